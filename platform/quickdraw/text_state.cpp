#include "platform/quickdraw/text_state.h"

#include <memory>

#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/port.h"

namespace tbx {
namespace {

qd::Port* CurrentPort() {
    CGrafPtr port = nullptr;
    GetGWorld(&port, nullptr);
    return qd::FindPort(port, qd::kPortKinds);
}

} // namespace

OSErr TextFont(SInt16 font) {
    qd::Port* port = CurrentPort();
    if (!port)
        return paramErr;
    port->textFont = font;
    return noErr;
}

OSErr TextSize(SInt16 size) {
    qd::Port* port = CurrentPort();
    if (!port)
        return paramErr;
    port->textSize = size;
    return noErr;
}

OSErr TextFace(StyleParameter face) {
    qd::Port* port = CurrentPort();
    if (!port)
        return paramErr;
    port->textFace = Style(face & 0xFF);
    return noErr;
}

SInt16 GetPortTextFont(CGrafPtr grafPort) {
    qd::Port* port = qd::FindPort(grafPort, qd::kPortKinds);
    return port ? port->textFont : 0;
}

SInt16 GetPortTextSize(CGrafPtr grafPort) {
    qd::Port* port = qd::FindPort(grafPort, qd::kPortKinds);
    return port ? port->textSize : 0;
}

Style GetPortTextFace(CGrafPtr grafPort) {
    qd::Port* port = qd::FindPort(grafPort, qd::kPortKinds);
    return port ? port->textFace : 0;
}

CGrafPtr CreateNewPort() {
    return reinterpret_cast<CGrafPtr>(qd::AddPort(std::make_unique<qd::Port>()));
}

OSErr DisposePort(CGrafPtr port) {
    return DisposeGWorld(port);
}

} // namespace tbx
