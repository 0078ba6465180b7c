// CBK_ControlQuicktimeImage: a user pane that shows a picture, or the first frame of a movie,
// fitted or stretched, from a canvas of its own size.
#pragma once

#include "core/paths/path.h"
#include "media/controls/pane_control.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

class CBK_ControlQuicktimeImage : public CBK_ControlPane {
public:
    CBK_ControlQuicktimeImage() = default;
    ~CBK_ControlQuicktimeImage() override;

    bool Destroy() override;
    // Makes the canvas and installs the update handler; false without a canvas.
    bool OnInit() override;
    // False when the file does not open or has no picture.
    bool SetImage(CBK_Path& path, bool fit);
    // Copies the canvas onto the control in its window.
    bool OnDraw() override;
    tbx::GWorldPtr GetCanvas() const { return m_Canvas; }

private:
    tbx::GWorldPtr m_Canvas = nullptr;
};
