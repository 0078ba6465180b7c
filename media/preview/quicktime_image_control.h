// CBK_ControlQuicktimeImage: a user pane that shows a picture, or the first frame of a movie,
// fitted or stretched, from a canvas of its own size.
#pragma once

#include "core/paths/path.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"
#include "ui/base/control.h"

class CBK_ControlQuicktimeImage : public CBK_Control {
public:
    CBK_ControlQuicktimeImage() = default;
    ~CBK_ControlQuicktimeImage() override;

    using CBK_Control::Create;
    // A user pane of the dialog's window.
    bool Create(CBK_Dialog& dialog, uint32_t code, tbx::Rect& bounds, const wchar_t*) override;
    bool Destroy() override;
    // Makes the canvas and installs the update handler; false without a canvas.
    bool OnInit() override;
    // False when the file does not open or has no picture.
    bool SetImage(CBK_Path& path, bool fit);
    // Copies the canvas onto the control in its window.
    bool OnDraw();
    tbx::GWorldPtr GetCanvas() const { return m_Canvas; }

private:
    static tbx::OSStatus _OnEvent(tbx::EventHandlerCallRef, tbx::EventRef, void* data);

    tbx::EventHandlerRef m_Handler = nullptr;
    tbx::GWorldPtr m_Canvas = nullptr;
};
