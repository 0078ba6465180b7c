#include "ui/dialogs/warning_dialog.h"

#include "ui/menus/instance.h"

namespace {

constexpr uint32_t kOk = tbx::FourCC("ok  ");
constexpr uint32_t kCancel = tbx::FourCC("not!");
constexpr uint32_t kWarningDialogNo = 60;

} // namespace

bool CBK_WarningDialog::OnInit() {
    return m_DontWarn.Init(tbx::FourCC("cDwm"), m_hWnd, m_nDialogNo);
}

bool CBK_WarningDialog::OnCommand(uint32_t command, tbx::EventRef&) {
    if (command == kOk) {
        *m_pShow = !(m_DontWarn.GetControlHandle() && m_DontWarn.IsChecked());
        EndModal(static_cast<int32_t>(kOk));
        return true;
    }
    if (command == kCancel) {
        EndModal(static_cast<int32_t>(kCancel));
        return true;
    }
    return false;
}

int32_t BK_ShowWarning(const wchar_t* name, tbx::WindowRef parent, bool, bool& show) {
    if (!show)
        return static_cast<int32_t>(kOk);
    CBK_WarningDialog dialog(show);
    return dialog.DoModal(CBK_MainInstance::Instance()->GetNibRef(), name, parent,
                          kWarningDialogNo);
}

bool BK_ShowWarning(const wchar_t* name, tbx::WindowRef parent, bool& show) {
    BK_ShowWarning(name, parent, false, show);
    return true;
}
