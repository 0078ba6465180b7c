#include "media/watermark/watermark_dialog.h"

#include "media/image/image.h"
#include "media/movie/quicktime_movie.h"
#include "platform/windows/controls.h"
#include "ui/dialogs/message_box.h"
#include "ui/files/file_dialog.h"
#include "ui/files/file_filter.h"
#include "ui/menus/instance.h"

namespace {
constexpr uint32_t Code(const char (&text)[5]) {
    return tbx::FourCC(text);
}
constexpr int32_t kEntries = 13;
const wchar_t* const kNoPicture = L"Choose an image for the watermark";
} // namespace

int32_t BK_WatermarkPositionRow(int32_t index) {
    return index >= 2 && index < kEntries && (index - 2) % 4 != 3 ? (index - 2) / 4 : -1;
}

int32_t BK_WatermarkPositionColumn(int32_t index) {
    return BK_WatermarkPositionRow(index) >= 0 ? (index - 2) % 4 : -1;
}

int32_t BK_WatermarkPositionIndex(int32_t hAlign, int32_t vAlign) {
    if (hAlign < 0 || hAlign > 2 || vAlign < 0 || vAlign > 2)
        return 0;
    return 2 + vAlign * 4 + hAlign;
}

CBK_ImageWatermarkDialog::CBK_ImageWatermarkDialog(CBK_ImageWatermark& watermark)
    : m_rWatermark(watermark) {
    m_Watermark = watermark;
}

int32_t CBK_ImageWatermarkDialog::DoModal(tbx::WindowRef parent) {
    CBK_Instance* instance = CBK_MainInstance::Instance();
    if (!instance || !instance->GetNibRef())
        return -1;
    return CBK_Dialog::DoModal(instance->GetNibRef(), L"IDD_WATERMARK", parent, kDialogNumber);
}

bool CBK_ImageWatermarkDialog::OnInit() {
    const uint32_t n = kDialogNumber;
    m_txtPath.Init(Code("sPth"), m_hWnd, n);
    m_edtWidth.Init(Code("eMkw"), m_hWnd, n);
    m_edtHeight.Init(Code("eMkh"), m_hWnd, n);
    m_chkKeepAspect.Init(Code("cRat"), m_hWnd, n);
    m_edtX.Init(Code("eMkx"), m_hWnd, n);
    m_edtY.Init(Code("eMky"), m_hWnd, n);
    m_lstPosition.Init(Code("mPos"), m_hWnd, n);
    m_sldAlpha.Init(Code("lAlp"), m_hWnd, n);
    m_chkTransparent.Init(Code("cTra"), m_hWnd, n);
    m_btnColor.Init(Code("bTra"), m_hWnd, n);
    m_ctlPreview.Init(Code("uImg"), m_hWnd, n);

    m_edtWidth.SetFilter(CBK_ControlEditBox::FILTER_UNSIGNED_INTEGER);
    m_edtHeight.SetFilter(CBK_ControlEditBox::FILTER_UNSIGNED_INTEGER);
    m_edtWidth.RegisterFocusChange(*this);
    m_edtHeight.RegisterFocusChange(*this);
    m_edtX.SetFilter(CBK_ControlEditBox::FILTER_SIGNED_INTEGER);
    m_edtY.SetFilter(CBK_ControlEditBox::FILTER_SIGNED_INTEGER);

    m_lstPosition.DeleteAllItems();
    m_lstPosition.AppendItem(200);
    for (int32_t row = 0; row < 3; ++row) {
        m_lstPosition.AppendSeparator();
        for (int32_t column = 0; column < 3; ++column)
            m_lstPosition.AppendItem(201 + row * 3 + column);
    }
    m_sldAlpha.SetRange(0, 255, false);
    return SetData();
}

bool CBK_ImageWatermarkDialog::SetData() {
    const CBK_ImageWatermark& job = m_rWatermark;
    m_edtWidth.SetTextWithNumber(job.GetTargetWidth(), false);
    m_edtHeight.SetTextWithNumber(job.GetTargetHeight(), false);
    m_edtX.SetTextWithNumber(job.GetXPos(), false);
    m_edtY.SetTextWithNumber(job.GetYPos(), false);
    m_chkKeepAspect.Check(job.GetKeepAspectRatio(), false);
    m_nPosition =
        job.GetAlignToDocument() ? BK_WatermarkPositionIndex(job.GetHAlign(), job.GetVAlign()) : 0;
    m_lstPosition.SetCurrentItem(m_nPosition);
    m_sldAlpha.SetPosition(job.GetAlpha(), false);
    m_chkTransparent.Check(job.GetUseTransparentColor(), false);
    m_btnColor.SetColor(job.GetTransparentColor(), false);
    _OnKeepAspectRatio();
    _OnPosition();
    _ShowImage(job.GetSourcePath(), false);
    return true;
}

bool CBK_ImageWatermarkDialog::GetData() {
    CBK_ImageWatermark& job = m_rWatermark;
    job = m_Watermark;
    // The flag first: the size that the boxes show is the one kept, and the picture has it.
    job.SetKeepAspectRatio(m_chkKeepAspect.IsChecked());
    // A box still holding a size that leaving it would have refused keeps the current size.
    const auto size = [](CBK_ControlEditBox& box, int32_t current) {
        int32_t value = 0;
        return box.GetTextAsNumber(value) && value >= CBK_ImageWatermark::kMinSize &&
                       value <= CBK_ImageWatermark::kMaxSize
                   ? value
                   : current;
    };
    job.SetDimensions(size(m_edtWidth, m_Watermark.GetTargetWidth()),
                      size(m_edtHeight, m_Watermark.GetTargetHeight()));
    const int32_t index = m_lstPosition.GetCurrentItem();
    job.SetAlignToDocument(index != 0);
    if (index != 0 && BK_WatermarkPositionRow(index) >= 0) {
        job.SetHAlign(CBK_ImageWatermark::HALIGN_TYPE(BK_WatermarkPositionColumn(index)));
        job.SetVAlign(CBK_ImageWatermark::VALIGN_TYPE(BK_WatermarkPositionRow(index)));
    }
    job.SetPos(_Number(m_edtX), _Number(m_edtY));
    job.SetAlpha(m_sldAlpha.GetPosition());
    job.SetUseTransparentColor(m_chkTransparent.IsChecked());
    job.SetTransparentColor(m_btnColor.GetColor());
    return true;
}

int32_t CBK_ImageWatermarkDialog::_Number(CBK_ControlEditBox& box) {
    return box.GetTextAsNumber();
}

bool CBK_ImageWatermarkDialog::_ShowImage(const CBK_Path& path, bool takeSize) {
    CBK_QuicktimeMovie movie;
    CBK_Image picture;
    CBK_Path file = path;
    m_bHavePicture = !path.GetPathString().empty() && movie.Open(file) &&
                     movie.GetRgbFrameImage(0, picture, nullptr, 24) && !picture.IsEmpty();
    if (m_bHavePicture) {
        m_ctlPreview.SetAlpha(m_sldAlpha.GetPosition(), false);
        m_ctlPreview.SetTransparentColor(m_btnColor.GetColor(), false);
        m_ctlPreview.UseTransparentColor(m_chkTransparent.IsChecked(), false);
        m_ctlPreview.SetImage(picture);
        if (takeSize) {
            m_edtWidth.SetTextWithNumber(picture.GetWidth(), true);
            m_edtHeight.SetTextWithNumber(picture.GetHeight(), true);
        }
        m_txtPath.SetText(path.GetFilenameString().c_str(), true);
    } else {
        m_txtPath.SetText(kNoPicture, true);
    }
    _EnableControls();
    return m_bHavePicture;
}

void CBK_ImageWatermarkDialog::_EnableControls() {
    const bool on = m_bHavePicture;
    const bool custom = m_lstPosition.GetCurrentItem() == 0;
    BK_EnableControl(m_edtWidth.GetControlHandle(), on);
    BK_EnableControl(m_edtHeight.GetControlHandle(), on);
    BK_EnableControl(m_chkKeepAspect.GetControlHandle(), on);
    BK_EnableControl(m_edtX.GetControlHandle(), on && custom);
    BK_EnableControl(m_edtY.GetControlHandle(), on && custom);
    BK_EnableControl(m_lstPosition.GetControlHandle(), on);
    BK_EnableControl(m_sldAlpha.GetControlHandle(), on);
    BK_EnableControl(m_chkTransparent.GetControlHandle(), on);
    BK_EnableControl(m_btnColor.GetControlHandle(), on && m_chkTransparent.IsChecked());
}

void CBK_ImageWatermarkDialog::_OnBrowse() {
    CBK_FileFilter filter;
    filter.MakeQuicktimeImageFilter();
    CBK_FileDialog::FILEDLG_SETTINGS_TYPE settings;
    settings.filter = &filter;
    settings.message = L"Choose an image";
    CBK_FileOpenDialog dialog;
    CBK_FileDialog::FILEDLG_RESULT_TYPE result;
    if (!dialog.DoModal(result, m_hWnd, &settings) || result.count < 1)
        return;
    if (_ShowImage(result.path, true))
        m_Watermark.SetSourcePath(result.path);
}

void CBK_ImageWatermarkDialog::_OnPosition() {
    int32_t index = m_lstPosition.GetCurrentItem();
    // A separator cannot stay chosen.
    if (index != 0 && BK_WatermarkPositionRow(index) < 0) {
        index = m_nPosition;
        m_lstPosition.SetCurrentItem(index);
    }
    m_nPosition = index;
    _EnableControls();
    _RecomputePosition();
}

void CBK_ImageWatermarkDialog::_RecomputePosition() {
    const int32_t index = m_lstPosition.GetCurrentItem();
    const int32_t row = BK_WatermarkPositionRow(index), column = BK_WatermarkPositionColumn(index);
    if (index == 0 || row < 0)
        return;
    const int32_t x =
        BK_AlignPosition(column, m_rWatermark.GetDocumentWidth(), _Number(m_edtWidth));
    const int32_t y = BK_AlignPosition(row, m_rWatermark.GetDocumentHeight(), _Number(m_edtHeight));
    m_Watermark.SetHAlign(CBK_ImageWatermark::HALIGN_TYPE(column));
    m_Watermark.SetVAlign(CBK_ImageWatermark::VALIGN_TYPE(row));
    m_Watermark.SetPos(x, y);
    m_edtX.SetTextWithNumber(x, true);
    m_edtY.SetTextWithNumber(y, true);
}

void CBK_ImageWatermarkDialog::_OnKeepAspectRatio() {
    const bool keep = m_chkKeepAspect.IsChecked();
    m_Watermark.SetKeepAspectRatio(keep);
    if (!keep)
        return;
    m_edtWidth.SetTextWithNumber(m_Watermark.GetTargetWidth(), true);
    m_edtHeight.SetTextWithNumber(m_Watermark.GetTargetHeight(), true);
    _RecomputePosition();
}

void CBK_ImageWatermarkDialog::_OnSizeLeft(bool width) {
    CBK_ControlEditBox& box = width ? m_edtWidth : m_edtHeight;
    int32_t value = 0;
    const bool number = box.GetTextAsNumber(value);
    if (number && value >= CBK_ImageWatermark::kMinSize && value <= CBK_ImageWatermark::kMaxSize) {
        if (width) {
            m_Watermark.SetWidth(value);
            m_edtHeight.SetTextWithNumber(m_Watermark.GetTargetHeight(), true);
        } else {
            m_Watermark.SetHeight(value);
            m_edtWidth.SetTextWithNumber(m_Watermark.GetTargetWidth(), true);
        }
        _RecomputePosition();
        return;
    }
    BK_ErrorBox(m_hWnd, 10001, width ? 2011 : 2012);
    box.SetFocus();
    box.SetTextWithNumber(width ? m_Watermark.GetTargetWidth() : m_Watermark.GetTargetHeight(),
                          true);
}

bool CBK_ImageWatermarkDialog::OnKeyboardFocus(tbx::ControlRef, tbx::ControlRef oldControl) {
    if (!oldControl)
        return false;
    if (oldControl == m_edtWidth.GetControlHandle())
        _OnSizeLeft(true);
    else if (oldControl == m_edtHeight.GetControlHandle())
        _OnSizeLeft(false);
    else
        return false;
    return true;
}

bool CBK_ImageWatermarkDialog::OnCommand(uint32_t code, tbx::EventRef&) {
    switch (code) {
    case Code("bBrw"):
        _OnBrowse();
        return true;
    case Code("mPos"):
        _OnPosition();
        return true;
    case Code("cRat"):
        _OnKeepAspectRatio();
        return true;
    case Code("cTra"):
        m_ctlPreview.UseTransparentColor(m_chkTransparent.IsChecked(), true);
        _EnableControls();
        return true;
    case Code("bTra"):
        m_ctlPreview.SetTransparentColor(m_btnColor.GetColor(), true);
        return true;
    case Code("lAlp"):
        m_ctlPreview.SetAlpha(m_sldAlpha.GetPosition(), true);
        return true;
    case Code("ok  "):
        GetData();
        EndModal(int32_t(code));
        return true;
    case Code("not!"):
        EndModal(int32_t(code));
        return true;
    default:
        return false;
    }
}
