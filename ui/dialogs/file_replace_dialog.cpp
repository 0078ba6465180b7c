#include "ui/dialogs/file_replace_dialog.h"

#include <string>

#include "core/strings/cf_string.h"
#include "core/strings/format.h"
#include "platform/windows/alerts.h"
#include "platform/windows/windows.h"
#include "ui/base/control_bounds.h"

namespace {

// At most 256 characters of the formatted text.
std::wstring Message(const wchar_t* format, const wchar_t* a, const wchar_t* b = nullptr) {
    std::wstring text;
    if (b)
        BK_FormatString(text, format, a, b);
    else
        BK_FormatString(text, format, a);
    return text.substr(0, 256);
}

std::wstring FolderName(const CBK_Path& path) {
    CBK_Path folder(path.GetDirectoryString(false));
    return folder.GetFilenameString();
}

} // namespace

int32_t CBK_FileReplaceDialog::DoModal(tbx::WindowRef parent) {
    // A sheet needs a window to hang on: with none shown it would run a loop nobody sees.
    const bool sheet = parent && tbx::IsWindowVisible(parent);
    m_nDialogNo = 20000;
    if (!Create(100, 100, 390, 131, sheet ? kSheet : kMovableModal, sheet ? parent : nullptr))
        return -1;
    return _RunModalLoop();
}

bool CBK_FileReplaceDialog::OnInit() {
    const std::wstring message =
        Message(L"The item \"%ls\" in %ls already exists. Replace it?",
                m_pPath->GetFilenameString().c_str(), FolderName(*m_pPath).c_str());
    tbx::Rect r = BK_Bounds(20, 20, 370, 59);
    m_Message.Create(*this, tbx::FourCC("sMsg"), r, message.c_str());
    if (m_nMode == 1) {
        r = BK_Bounds(20, 95, 104, 109);
        m_ApplyToAll.Create(*this, tbx::FourCC("cAll"), r, L"Apply To All");
        r = BK_Bounds(123, 94, 222, 111);
        m_DontReplace.Create(*this, tbx::FourCC("bDnt"), r, L"Don't Replace");
        r = BK_Bounds(245, 94, 293, 111);
        m_Stop.Create(*this, tbx::FourCC("bStp"), r, L"Stop");
    } else {
        r = BK_Bounds(194, 94, 293, 111);
        m_DontReplace.Create(*this, tbx::FourCC("bDnt"), r, L"Don't Replace");
    }
    r = BK_Bounds(307, 94, 370, 111);
    m_Replace.Create(*this, tbx::FourCC("ok  "), r, L"Replace");
    return true;
}

bool CBK_FileReplaceDialog::OnCommand(uint32_t command, tbx::EventRef&) {
    const bool all = m_ApplyToAll.GetControlHandle() && m_ApplyToAll.IsChecked();
    int32_t answer = 0;
    if (command == tbx::FourCC("ok  "))
        answer = all ? kBK_ReplaceAll : kBK_ReplaceThis;
    else if (command == tbx::FourCC("bDnt"))
        answer = all ? kBK_DontReplaceAny : kBK_DontReplaceThis;
    else if (command == tbx::FourCC("bStp"))
        answer = kBK_ReplaceStop;
    else
        return false;
    EndModal(answer);
    return true;
}

int32_t BK_DoReplaceAllFileDialog(CBK_Path& path, tbx::WindowRef parent, int32_t mode) {
    if (!path.FileExists())
        return -1;
    CBK_FileReplaceDialog dialog(path, mode);
    const int32_t answer = dialog.DoModal(parent);
    return answer == -1 ? kBK_DontReplaceThis : answer;
}

bool BK_DoReplaceFileDialog(const wchar_t* name, tbx::WindowRef parent, bool& replace) {
    const std::wstring text = Message(
        L"The item \"%ls\" already exists in this location. Do you want to replace it with this "
        L"one?",
        name ? name : L"");
    CBK_CFString message(text.c_str()), replaceText(L"Replace"), cancelText(L"Cancel");
    tbx::AlertStdCFStringAlertParamRec param;
    tbx::GetStandardAlertDefaultParams(&param, tbx::kStdCFStringAlertVersionOne);
    param.movable = true;
    param.defaultText = replaceText;
    param.cancelText = cancelText;
    param.defaultButton = tbx::kAlertStdAlertCancelButton;
    param.cancelButton = 0;
    param.position = parent ? tbx::kWindowCenterParentWindow : tbx::kWindowDefaultPosition;
    tbx::DialogRef alert = nullptr;
    tbx::DialogItemIndex item = 0;
    // An alert that cannot be shown is no consent to replace.
    replace = tbx::CreateStandardAlert(tbx::kAlertCautionAlert, message, nullptr, &param, &alert) ==
                  tbx::noErr &&
              tbx::RunStandardAlert(alert, nullptr, &item) == tbx::noErr &&
              item == tbx::kAlertStdAlertOKButton;
    return true;
}

bool BK_DoReplaceFileDialog(CBK_Path& path, tbx::WindowRef parent) {
    if (!path.FileExists())
        return true;
    bool replace = false;
    BK_DoReplaceFileDialog(path.GetFilenameString().c_str(), parent, replace);
    return replace;
}
