#include "media/converter/quicktime_converter.h"

#include <algorithm>
#include <cmath>

#include "platform/windows/events.h"

namespace {

constexpr int16_t kUserCanceled = -128;

} // namespace

bool CBK_QuicktimeConverter::Open(std::wstring& path) {
    CBK_Path file(path);
    if (!m_Movie.Open(file))
        return false;
    m_bProgressInstalled = true;
    return true;
}

bool CBK_QuicktimeConverter::SetSettings(CONVERTER_SETTINGS* settings) {
    if (!settings)
        return false;
    m_Settings.m_bShowProgress = settings->m_bShowProgress;
    return m_Settings.m_bShowProgress;
}

void CBK_QuicktimeConverter::_Setup() {
    m_bProgressInstalled = m_Settings.m_bShowProgress;
}

bool CBK_QuicktimeConverter::Convert(std::wstring&, CONVERTER_SETTINGS* settings) {
    if (settings)
        m_Settings = *settings;
    _Setup();
    return true;
}

bool CBK_QuicktimeConverter::_Export(CONVERTER_SETTINGS* settings) {
    if (settings)
        m_Settings = *settings;
    _Setup();
    // No movie exporter components exist here: none is found.
    return false;
}

bool CBK_QuicktimeConverter::ConvertToMov(std::wstring&, CONVERTER_SETTINGS* settings) {
    return _Export(settings);
}

bool CBK_QuicktimeConverter::ConvertToAvi(std::wstring&, CONVERTER_SETTINGS* settings) {
    return _Export(settings);
}

int32_t CBK_QuicktimeConverter::EstimateRemainingTime(int32_t done, uint32_t elapsedTicks) {
    const double fraction = done / 65536.0;
    if (fraction <= 0)
        return 0;
    const double total = elapsedTicks / fraction;
    const double seconds = (total - elapsedTicks) / 60.0;
    return int32_t(std::clamp(seconds, 0.0, double(INT32_MAX)));
}

int16_t CBK_QuicktimeConverter::OnMovieProgressProc(int16_t message, int32_t done) {
    if (m_bCancelled)
        return kUserCanceled;
    switch (message) {
    case kProgressOpen:
        m_bCancelled = false;
        m_pProgress = std::make_unique<CBK_QuicktimeConverterProgressDialog>();
        m_pProgress->DoModal(nullptr, m_bCancelled);
        m_nStartTime = tbx::TickCount();
        break;
    case kProgressUpdate:
        if (m_pProgress) {
            BK_QuicktimeDispatchInputEvents();
            m_pProgress->SetProgress(int32_t(int64_t(done) * 100 / 65536));
            m_pProgress->SetTimeRemaining(
                EstimateRemainingTime(done, tbx::TickCount() - m_nStartTime));
        }
        break;
    case kProgressClose:
        m_pProgress.reset();
        break;
    default:
        break;
    }
    return 0;
}
