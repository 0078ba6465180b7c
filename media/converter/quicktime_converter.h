// CBK_QuicktimeConverter: opens a movie, shows its own progress window while a movie
// operation runs and estimates the remaining time. The movie exporters (MOV, AVI) are not
// present on this platform, so their operations report failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "media/converter/converter_progress_dialog.h"
#include "media/movie/quicktime_movie.h"

class CBK_QuicktimeConverter {
public:
    struct CONVERTER_SETTINGS {
        bool m_bShowProgress = false;
        void SetDefaultSettings() { m_bShowProgress = false; }
    };
    // Messages of a movie operation's progress.
    enum : int16_t { kProgressOpen = 0, kProgressUpdate = 1, kProgressClose = 2 };

    bool Open(std::wstring& path);
    bool SetSettings(CONVERTER_SETTINGS* settings);
    bool Convert(std::wstring& path, CONVERTER_SETTINGS* settings);
    bool ConvertToMov(std::wstring& path, CONVERTER_SETTINGS* settings);
    bool ConvertToAvi(std::wstring& path, CONVERTER_SETTINGS* settings);
    bool ConvertToMng(std::wstring&) { return true; }

    // The progress procedure of a movie operation; `done` is the fraction done as 16.16.
    // -128 once cancelled.
    int16_t OnMovieProgressProc(int16_t message, int32_t done);
    // Seconds left after `elapsedTicks` ticks (1/60 s) with the 16.16 fraction `done`
    // finished: elapsed / done − elapsed; 0 when nothing is done yet.
    static int32_t EstimateRemainingTime(int32_t done, uint32_t elapsedTicks);

    bool IsCancelled() const { return m_bCancelled; }
    bool HasProgressProc() const { return m_bProgressInstalled; }
    CBK_QuicktimeConverterProgressDialog* GetProgressDialog() { return m_pProgress.get(); }

private:
    void _Setup();
    bool _Export(CONVERTER_SETTINGS* settings);

    CBK_QuicktimeMovie m_Movie;
    std::unique_ptr<CBK_QuicktimeConverterProgressDialog> m_pProgress;
    bool m_bProgressInstalled = false;
    bool m_bCancelled = false;
    uint32_t m_nStartTime = 0;
    CONVERTER_SETTINGS m_Settings;
};
