// The settings dialog of a movie exporter, built in code: compressor, frame size, frame rate,
// key-frame rate, quality and sound. Its values live in the exporter's settings container.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/movie/movie_export.h"
#include "ui/base/dialog.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/drop_list.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/static_text.h"

class CBK_MovieExportSettingsDialog : public CBK_Dialog {
public:
    CBK_MovieExportSettingsDialog(tbx::MovieExportSettings& settings,
                                  const std::vector<tbx::MovieExportCodec>& codecs, bool hasSound)
        : m_Settings(settings), m_Codecs(codecs), m_bHasSound(hasSound) {}

    // 'ok  ' with the settings taken from the controls, 'not!' (settings untouched), or -1 when
    // the window cannot be made.
    using CBK_Dialog::DoModal;
    int32_t DoModal(tbx::WindowRef parent);
    bool OnInit() override;
    bool OnCommand(uint32_t command, tbx::EventRef& event) override;

private:
    void _Label(int16_t left, int16_t top, int16_t right, const wchar_t* text);
    void _Take();

    tbx::MovieExportSettings& m_Settings;
    const std::vector<tbx::MovieExportCodec>& m_Codecs;
    bool m_bHasSound;
    std::deque<CBK_ControlStaticText> m_Labels;
    CBK_ControlDropList m_Codec;
    CBK_ControlEditBox m_Width;
    CBK_ControlEditBox m_Height;
    CBK_ControlEditBox m_Rate;
    CBK_ControlEditBox m_KeyFrames;
    CBK_ControlSlider m_Quality;
    CBK_ControlCheckBox m_Sound;
    CBK_ControlButton m_Cancel;
    CBK_ControlButton m_Ok;
};

// Shows the exporter's settings dialog for the movie, starting from the exporter's settings
// (sizes and rates of 0 shown as the movie's own), and on OK puts what was chosen into the
// exporter's settings container. `cancelled` tells whether the user cancelled; the result is
// an error from the exporter, paramErr for an exporter without compressors, or noErr.
tbx::OSErr BK_MovieExportDoUserDialog(tbx::ComponentInstance exporter, tbx::Movie* movie,
                                      tbx::TimeValue start, tbx::TimeValue duration,
                                      bool* cancelled);
