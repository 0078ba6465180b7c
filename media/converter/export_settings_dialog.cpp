#include "media/converter/export_settings_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>

#include "platform/memory.h"
#include "platform/windows/controls.h"
#include "ui/base/control_bounds.h"

namespace {

constexpr uint32_t kDialogNumber = 20000;
constexpr uint32_t kOk = tbx::FourCC("ok  ");
constexpr uint32_t kCancel = tbx::FourCC("not!");

// The slider's five steps, least to best.
constexpr int32_t kQualities[] = {tbx::codecMinQuality, tbx::codecLowQuality,
                                  tbx::codecNormalQuality, tbx::codecHighQuality,
                                  tbx::codecMaxQuality};
constexpr int32_t kSteps = int32_t(std::size(kQualities));

int32_t NearestStep(int32_t quality) {
    int32_t best = 0;
    for (int32_t i = 1; i < kSteps; ++i)
        if (std::abs(kQualities[i] - quality) < std::abs(kQualities[best] - quality))
            best = i;
    return best;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

} // namespace

int32_t CBK_MovieExportSettingsDialog::DoModal(tbx::WindowRef parent) {
    m_nDialogNo = kDialogNumber;
    if (!Create(100, 100, 340, 250, kMovableModal, parent))
        return -1;
    SetTitle(L"Movie Settings");
    return _RunModalLoop();
}

void CBK_MovieExportSettingsDialog::_Label(int16_t left, int16_t top, int16_t right,
                                           const wchar_t* text) {
    tbx::Rect r = BK_Bounds(left, top, right, int16_t(top + 16));
    m_Labels.emplace_back().Create(*this, 0, r, text);
}

bool CBK_MovieExportSettingsDialog::OnInit() {
    tbx::Rect r = BK_Bounds(125, 18, 320, 38);
    m_Codec.Create(*this, tbx::FourCC("cCdc"), r, L"", 0);
    int32_t current = 0;
    for (std::size_t i = 0; i < m_Codecs.size(); ++i) {
        m_Codec.AppendItem(Wide(m_Codecs[i].name).c_str());
        if (m_Codecs[i].type == m_Settings.codec)
            current = int32_t(i);
    }
    m_Codec.SetCurrentItem(current);
    _Label(20, 20, 120, L"Compressor:");

    auto number = [this](CBK_ControlEditBox& box, uint32_t code, tbx::Rect bounds, int32_t value,
                         CBK_ControlEditBox::FILTER_TYPE filter) {
        box.Create(*this, code, bounds, L"", 0);
        box.SetFilter(filter);
        box.SetTextWithNumber(value, false);
    };
    const auto whole = CBK_ControlEditBox::FILTER_UNSIGNED_INTEGER;
    _Label(20, 52, 120, L"Width:");
    number(m_Width, tbx::FourCC("eWid"), BK_Bounds(125, 50, 185, 66), m_Settings.width, whole);
    _Label(200, 52, 250, L"Height:");
    number(m_Height, tbx::FourCC("eHgt"), BK_Bounds(255, 50, 315, 66), m_Settings.height, whole);
    _Label(20, 84, 120, L"Frames per second:");
    r = BK_Bounds(125, 82, 185, 98);
    m_Rate.Create(*this, tbx::FourCC("eFps"), r, L"", 0);
    m_Rate.SetFilter(CBK_ControlEditBox::FILTER_UNSIGNED_DECIMAL);
    m_Rate.SetTextWithFloat(m_Settings.frameRate, 0, 2, false);
    _Label(20, 116, 120, L"Key frame every:");
    number(m_KeyFrames, tbx::FourCC("eKey"), BK_Bounds(125, 114, 185, 130), m_Settings.keyFrameRate,
           whole);
    _Label(195, 116, 250, L"frames");

    _Label(20, 148, 120, L"Quality:");
    r = BK_Bounds(125, 146, 320, 166);
    m_Quality.Create(*this, tbx::FourCC("sQlt"), r, L"");
    m_Quality.SetRange(0, kSteps - 1, false);
    m_Quality.SetPosition(NearestStep(m_Settings.quality), false);

    r = BK_Bounds(20, 180, 200, 196);
    m_Sound.Create(*this, tbx::FourCC("cSnd"), r, L"Sound");
    m_Sound.Check(m_bHasSound && m_Settings.sound, false);
    if (!m_bHasSound)
        tbx::DisableControl(m_Sound.GetControlHandle());

    r = BK_Bounds(160, 210, 230, 230);
    m_Cancel.Create(*this, kCancel, r, L"Cancel");
    r = BK_Bounds(245, 210, 315, 230);
    m_Ok.Create(*this, kOk, r, L"OK");
    tbx::SetWindowDefaultButton(m_hWnd, m_Ok.GetControlHandle());
    tbx::SetWindowCancelButton(m_hWnd, m_Cancel.GetControlHandle());
    return true;
}

void CBK_MovieExportSettingsDialog::_Take() {
    const int32_t item = m_Codec.GetCurrentItem();
    if (item >= 0 && std::size_t(item) < m_Codecs.size())
        m_Settings.codec = m_Codecs[std::size_t(item)].type;
    // A box left empty keeps its setting.
    m_Width.GetTextAsNumber(m_Settings.width);
    m_Height.GetTextAsNumber(m_Settings.height);
    m_Rate.GetTextAsFloat(m_Settings.frameRate);
    m_KeyFrames.GetTextAsNumber(m_Settings.keyFrameRate);
    m_Settings.quality = kQualities[std::clamp(m_Quality.GetPosition(), 0, kSteps - 1)];
    if (m_bHasSound)
        m_Settings.sound = m_Sound.IsChecked();
}

bool CBK_MovieExportSettingsDialog::OnCommand(uint32_t command, tbx::EventRef&) {
    if (command == kOk)
        _Take();
    else if (command != kCancel)
        return false;
    EndModal(int32_t(command));
    return true;
}

tbx::OSErr BK_MovieExportDoUserDialog(tbx::ComponentInstance exporter, tbx::Movie* movie,
                                      tbx::TimeValue, tbx::TimeValue, bool* cancelled) {
    if (cancelled)
        *cancelled = true;
    std::vector<tbx::MovieExportCodec> codecs;
    if (tbx::OSErr error = tbx::OSErr(tbx::MovieExportGetCodecs(exporter, codecs)))
        return error;
    tbx::QTAtomContainer container = nullptr;
    if (!movie || codecs.empty())
        return tbx::paramErr;
    if (tbx::OSErr error =
            tbx::OSErr(tbx::MovieExportGetSettingsAsAtomContainer(exporter, &container)))
        return error;
    tbx::MovieExportSettings settings;
    tbx::ReadMovieExportSettings(container, settings);
    int32_t width = 0, height = 0;
    movie->GetNaturalSize(width, height);
    if (settings.width <= 0)
        settings.width = width;
    if (settings.height <= 0)
        settings.height = height;
    if (!(settings.frameRate > 0))
        settings.frameRate = std::round(movie->AverageFrameRate() * 100) / 100;
    CBK_MovieExportSettingsDialog dialog(settings, codecs, movie->HasSound());
    const int32_t answer = dialog.DoModal(nullptr);
    tbx::OSErr result = tbx::noErr;
    if (answer == int32_t(kOk)) {
        result = tbx::WriteMovieExportSettings(settings, container)
                     ? tbx::OSErr(tbx::MovieExportSetSettingsFromAtomContainer(exporter, container))
                     : tbx::OSErr(tbx::memFullErr);
        if (cancelled)
            *cancelled = false;
    }
    tbx::DisposeHandle(container);
    return answer == -1 ? tbx::OSErr(tbx::paramErr) : result;
}
