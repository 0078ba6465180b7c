// CBK_QuicktimeConverter: opens a movie and converts it to a QuickTime or AVI movie through the
// matching movie exporter: its settings dialog, then the export to the path given, with the
// converter's own progress window and an estimate of the remaining time.
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
    // The exporter's settings dialog, then the export to `path`: true when the file was
    // written; false without a movie, when the dialog or the progress window is cancelled or
    // the export fails, which leaves no file.
    bool ConvertToMov(std::wstring& path, CONVERTER_SETTINGS* settings);
    bool ConvertToAvi(std::wstring& path, CONVERTER_SETTINGS* settings);
    bool ConvertToMng(std::wstring&) { return true; }

    // The progress procedure of a movie operation; `done` is the fraction done as 16.16.
    // -128 once cancelled; the window goes at the close message even then.
    int16_t OnMovieProgressProc(int16_t message, int32_t done);
    // Seconds left after `elapsedTicks` ticks (1/60 s) with the 16.16 fraction `done`
    // finished: elapsed / done − elapsed; 0 when nothing is done yet.
    static int32_t EstimateRemainingTime(int32_t done, uint32_t elapsedTicks);

    bool IsCancelled() const { return m_bCancelled; }
    bool HasProgressProc();
    CBK_QuicktimeConverterProgressDialog* GetProgressDialog() { return m_pProgress.get(); }
    CBK_QuicktimeMovie& GetMovie() { return m_Movie; }

private:
    void _Setup();
    bool _Export(std::wstring& path, tbx::OSType exporterType, CONVERTER_SETTINGS* settings);

    CBK_QuicktimeMovie m_Movie;
    std::unique_ptr<CBK_QuicktimeConverterProgressDialog> m_pProgress;
    tbx::MovieProgressProcPtr m_pProgressProc = nullptr; // set by Open
    bool m_bCancelled = false;
    uint32_t m_nStartTime = 0;
    CONVERTER_SETTINGS m_Settings;
};

// The progress procedure that Open installs; its reference is the converter. 0 without one.
tbx::OSErr BK_MovieProgressProc(tbx::Movie* movie, tbx::SInt16 message, tbx::SInt16 operation,
                                tbx::SInt32 done, void* refCon);
