#include "media/filterdialog/image_filter_dialog.h"

#include "core/events/delegate.h"
#include "core/system/window_ops.h"
#include "platform/windows/controls.h"
#include "platform/windows/windows.h"
#include "ui/graphics/cursors.h"

namespace {
constexpr uint32_t kOk = tbx::FourCC("ok  ");
constexpr uint32_t kCancel = tbx::FourCC("not!");
} // namespace

CBK_ImageFilterDialog::~CBK_ImageFilterDialog() {
    Destroy();
}

int32_t CBK_ImageFilterDialog::DoModal(tbx::WindowRef parent, CBK_Image& image,
                                       CBK_ImageFilter& filter) {
    m_imgPreview.Copy(image);
    m_pFilter = &filter;
    m_pSource = &image;
    // At the parent's outer corner, frame included; without a parent at the screen's.
    tbx::Rect bounds{};
    BK_GetGlobalWindowBounds(parent, bounds);
    int32_t result = -1;
    if (Create(bounds.left, bounds.top, 339, 248, kMovableModal, parent, kDialogNumber) && m_hWnd)
        result = _RunModalLoop();
    // A window that failed or closed another way has gone with the controls still in the
    // filter's hands; they must not keep stale ones (after OK or Cancel none are left).
    filter.KillControls();
    Destroy();
    return result;
}

bool CBK_ImageFilterDialog::OnInit() {
    m_nDialogNo = kDialogNumber;
    tbx::Rect preview{20, 20, 228, 228};
    m_ctlPreview.Create(*this, tbx::FourCC("uPrv"), preview, L"");
    tbx::Rect ok{20, 236, 37, 319}, cancel{52, 236, 69, 319};
    m_btnOk.Create(*this, kOk, ok, L"OK");
    m_btnCancel.Create(*this, kCancel, cancel, L"Cancel");
    tbx::SetWindowDefaultButton(m_hWnd, m_btnOk.GetControlHandle());
    tbx::SetWindowCancelButton(m_hWnd, m_btnCancel.GetControlHandle());
    if (!m_pFilter)
        return true;
    SetTitle(m_pFilter->GetFilterName().c_str());
    tbx::Rect area{255, 20, 400, 228};
    m_pFilter->InitControls(*this, area);
    m_ctlPreview.Show(true);
    {
        CBK_WaitCursor wait;
        m_pFilter->Filter(m_imgPreview);
        m_ctlPreview.SetImage(m_imgPreview);
    }
    m_pFilter->m_evSettingsChanged.AddHandler(
        BK_MakeDelegate(*this, &CBK_ImageFilterDialog::OnImageFilterSettingsChanged));
    return true;
}

bool CBK_ImageFilterDialog::OnCommand(uint32_t code, tbx::EventRef& event) {
    if (m_pFilter && m_pFilter->OnCommand(code, event))
        return true;
    if (code != kOk && code != kCancel)
        return false;
    // The filter's controls go before the window, which EndModal disposes of.
    if (m_pFilter)
        m_pFilter->KillControls();
    Destroy();
    EndModal(int32_t(code));
    return true;
}

bool CBK_ImageFilterDialog::OnNotify(int32_t code, int32_t data) {
    return m_pFilter && m_pFilter->OnNotify(code, data);
}

bool CBK_ImageFilterDialog::OnScroll(int32_t code, int32_t data) {
    return m_pFilter && m_pFilter->OnScroll(code, data);
}

void CBK_ImageFilterDialog::OnImageFilterSettingsChanged(CBK_ImageFilter* changed) {
    if (!changed || !m_pFilter || !m_pSource)
        return;
    CBK_WaitCursor wait;
    // Always from the unfiltered source; a filter that fails leaves the plain copy.
    CBK_Image fresh;
    fresh.Copy(*m_pSource);
    if (m_pFilter->Filter(fresh))
        m_imgPreview.Copy(fresh);
    else
        m_imgPreview.Copy(*m_pSource);
    m_ctlPreview.SetImage(m_imgPreview);
}

void CBK_ImageFilterDialog::Destroy() {
    if (m_pFilter)
        m_pFilter->m_evSettingsChanged.RemoveAllHandlers();
    m_pFilter = nullptr;
}
