#include "ui/dialogs/file_relocate_dialog.h"

#include <memory>
#include <vector>

#include "core/bundles/sibling_locators.h"
#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "ui/base/control_bounds.h"
#include "ui/files/file_dialog.h"

namespace {

// The folders in which missing files were found, in the order added.
std::vector<CBK_Path>& FoundFolders() {
    static std::vector<CBK_Path> folders;
    return folders;
}

// Lists every folder and the files named as the missing one.
class FinderDialog : public CBK_FileChooseDialog {
public:
    explicit FinderDialog(std::wstring name) : _name(std::move(name)) {}
    bool OnNavFilterProc(tbx::AEDesc* item, void* info, int16_t) override {
        const auto* file = static_cast<const tbx::NavFileOrFolderInfo*>(info);
        if (file && file->isFolder)
            return true;
        tbx::FSRef ref;
        if (!item || tbx::AEGetDescData(item, &ref, sizeof ref) != tbx::noErr)
            return false;
        return qf_wcscasecmp(CBK_Path(ref).GetFilenameString().c_str(), _name.c_str()) == 0;
    }

private:
    std::wstring _name;
};

bool ChooseLibrary(int32_t titleId, const wchar_t* library, CBK_Path& out, tbx::WindowRef parent) {
    CBK_String title(titleId);
    CBK_FolderChooseDialog dialog;
    CBK_FileDialog::FILEDLG_SETTINGS_TYPE settings;
    settings.title = title.GetConstString();
    CBK_FileDialog::FILEDLG_RESULT_TYPE result;
    if (!dialog.DoModal(result, parent, &settings))
        return false;
    CBK_Path built;
    if (!built.MakePath(library, result.path) || !built.FileExists())
        return false;
    out = built;
    return true;
}

} // namespace

int32_t CBK_FileRelocatePromptDialog::DoModal(tbx::WindowRef parent) {
    m_nDialogNo = 20000;
    if (!Create(100, 100, 440, 140, kMovableModal, parent))
        return -1;
    return _RunModalLoop();
}

bool CBK_FileRelocatePromptDialog::OnInit() {
    if (m_pSettings->title)
        SetTitle(m_pSettings->title);
    tbx::Rect r = BK_Bounds(20, 20, 420, 95);
    m_Message.Create(*this, tbx::FourCC("sMsg"), r,
                     m_pSettings->message ? m_pSettings->message : L"");
    r = BK_Bounds(21, 102, 125, 119);
    m_DontRelocate.Create(*this, tbx::FourCC("bDnt"), r, L"Don't Relocate");
    r = BK_Bounds(135, 102, 205, 119);
    m_Cancel.Create(*this, tbx::FourCC("bCan"), r, L"Cancel");
    r = BK_Bounds(269, 102, 339, 119);
    m_Replace.Create(*this, tbx::FourCC("bRep"), r, L"Replace");
    r = BK_Bounds(349, 102, 419, 119);
    m_Relocate.Create(*this, tbx::FourCC("ok  "), r, L"Relocate");
    return true;
}

bool CBK_FileRelocatePromptDialog::OnCommand(uint32_t command, tbx::EventRef&) {
    int32_t answer = 0;
    if (command == tbx::FourCC("ok  "))
        answer = static_cast<int32_t>(tbx::FourCC("ok  "));
    else if (command == tbx::FourCC("bDnt"))
        answer = kBK_DontRelocate;
    else if (command == tbx::FourCC("bRep"))
        answer = kBK_RelocateReplace;
    else if (command == tbx::FourCC("bCan"))
        answer = static_cast<int32_t>(tbx::FourCC("not!"));
    else
        return false;
    EndModal(answer);
    return true;
}

bool CBK_FileRelocateDialog::DoModal(CBK_Path& missing, CBK_Path& found, tbx::WindowRef parent) {
    m_MissingPath = missing;
    const std::wstring name = missing.GetFilenameString();
    const std::wstring title = L"Please Relocate: " + name;
    FinderDialog dialog(name);
    CBK_FileDialog::FILEDLG_SETTINGS_TYPE settings;
    settings.title = title.c_str();
    CBK_FileDialog::FILEDLG_RESULT_TYPE result;
    if (!dialog.DoModal(result, parent, &settings) || result.count < 1)
        return false;
    found = result.path;
    return true;
}

bool CBK_FileRelocateDialog::FindFile(CBK_Path& missing, CBK_Path& found) {
    const std::wstring name = missing.GetFilenameString();
    for (const CBK_Path& folder : FoundFolders()) {
        CBK_Path candidate;
        if (candidate.MakePath(name.c_str(), folder) && candidate.FileExists()) {
            found = candidate;
            return true;
        }
    }
    return false;
}

void CBK_FileRelocateDialog::AddFoundPath(CBK_Path& found) {
    CBK_Path folder(found.GetDirectoryString(true));
    FoundFolders().push_back(folder);
}

void CBK_FileRelocateDialog::ResetFoundPaths() {
    FoundFolders().clear();
}

bool BK_RelocateKestrowDll(CBK_Path& out, tbx::WindowRef parent) {
    CBK_Path application, found;
    BK_GetPathToKestrow(application);
    CBK_FileRelocateDialog finder;
    if (!finder.DoModal(application, found, parent))
        return false;
    CBK_Path library;
    if (!library.MakePath(L"Kestrow.dll", CBK_Path(found.GetDirectoryString(false))) ||
        !library.FileExists())
        return false;
    out = library;
    return true;
}

bool BK_RelocateDunmereDll(CBK_Path& out, tbx::WindowRef parent) {
    return ChooseLibrary(131, L"dnb.bundle", out, parent);
}

bool BK_RelocateQuorbelDll(CBK_Path& out, tbx::WindowRef parent) {
    return ChooseLibrary(130, L"qrb.bundle", out, parent);
}
