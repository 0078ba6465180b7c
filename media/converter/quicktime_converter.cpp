#include "media/converter/quicktime_converter.h"

#include <algorithm>
#include <cmath>

#include "media/converter/export_settings_dialog.h"
#include "media/movie/movie_file_export.h"
#include "platform/windows/events.h"

namespace {

constexpr int16_t kUserCanceled = -128;

} // namespace

tbx::OSErr BK_MovieProgressProc(tbx::Movie*, tbx::SInt16 message, tbx::SInt16, tbx::SInt32 done,
                                void* refCon) {
    return refCon ? static_cast<CBK_QuicktimeConverter*>(refCon)->OnMovieProgressProc(message, done)
                  : tbx::OSErr(tbx::noErr);
}

bool CBK_QuicktimeConverter::Open(std::wstring& path) {
    CBK_Path file(path);
    if (!m_Movie.Open(file))
        return false;
    m_pProgressProc = BK_MovieProgressProc;
    tbx::SetMovieProgressProc(m_Movie.GetMovie(), m_pProgressProc, this);
    return true;
}

bool CBK_QuicktimeConverter::HasProgressProc() {
    return tbx::GetMovieProgressProc(m_Movie.GetMovie(), nullptr) != nullptr;
}

bool CBK_QuicktimeConverter::SetSettings(CONVERTER_SETTINGS* settings) {
    if (!settings)
        return false;
    m_Settings.m_bShowProgress = settings->m_bShowProgress;
    return m_Settings.m_bShowProgress;
}

void CBK_QuicktimeConverter::_Setup() {
    if (m_Settings.m_bShowProgress)
        tbx::SetMovieProgressProc(m_Movie.GetMovie(), m_pProgressProc, this);
    else
        tbx::SetMovieProgressProc(m_Movie.GetMovie(), nullptr, nullptr);
}

bool CBK_QuicktimeConverter::Convert(std::wstring&, CONVERTER_SETTINGS* settings) {
    if (settings)
        m_Settings = *settings;
    _Setup();
    return true;
}

bool CBK_QuicktimeConverter::_Export(std::wstring& path, tbx::OSType exporterType,
                                     CONVERTER_SETTINGS* settings) {
    if (settings)
        m_Settings = *settings;
    _Setup();
    tbx::Movie* movie = m_Movie.GetMovie();
    const tbx::ComponentDescription looking{tbx::MovieExportType, exporterType, 0,
                                            tbx::canMovieExportFiles, tbx::canMovieExportFiles};
    const tbx::Component component = tbx::FindNextComponent(nullptr, &looking);
    const tbx::ComponentInstance exporter =
        movie && component ? tbx::OpenComponent(component) : nullptr;
    if (!exporter)
        return false;
    const tbx::TimeValue duration = movie->GetDuration();
    bool cancelled = true;
    tbx::OSErr error = BK_MovieExportDoUserDialog(exporter, movie, 0, duration, &cancelled);
    if (error == tbx::noErr && !cancelled) {
        CBK_Path file(path);
        error = BK_MovieExportToFile(exporter, file, movie, 0, duration);
    }
    tbx::CloseComponent(exporter);
    return error == tbx::noErr && !cancelled;
}

bool CBK_QuicktimeConverter::ConvertToMov(std::wstring& path, CONVERTER_SETTINGS* settings) {
    return _Export(path, tbx::FourCC("MooV"), settings);
}

bool CBK_QuicktimeConverter::ConvertToAvi(std::wstring& path, CONVERTER_SETTINGS* settings) {
    return _Export(path, tbx::FourCC("VfW "), settings);
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
    switch (message) {
    case kProgressOpen:
        // A new operation: a cancel of an earlier one does not stop it.
        m_bCancelled = false;
        m_pProgress = std::make_unique<CBK_QuicktimeConverterProgressDialog>();
        m_pProgress->DoModal(nullptr, m_bCancelled);
        m_nStartTime = tbx::TickCount();
        return 0;
    case kProgressClose:
        // The window goes whether or not the operation was cancelled.
        m_pProgress.reset();
        return m_bCancelled ? kUserCanceled : 0;
    case kProgressUpdate:
        if (m_bCancelled)
            return kUserCanceled;
        if (m_pProgress) {
            BK_QuicktimeDispatchInputEvents();
            m_pProgress->SetProgress(int32_t(int64_t(done) * 100 / 65536));
            m_pProgress->SetTimeRemaining(
                EstimateRemainingTime(done, tbx::TickCount() - m_nStartTime));
        }
        break;
    default:
        break;
    }
    return m_bCancelled ? kUserCanceled : 0;
}
