// The text state of ports (family, size and face that text is measured and drawn in), and
// bare ports that have a text state but no pixels.
//
// The setters act on the current port (see SetGWorld) and give paramErr, changing nothing,
// when no live port is current. The getters give 0 for a dead port.
#pragma once

#include "platform/quickdraw/qd_types.h"

namespace tbx {

// Family 0 stands for the system font; size 0 for the default size.
OSErr TextFont(SInt16 font);
OSErr TextSize(SInt16 size);
// Only the low eight bits are face bits.
OSErr TextFace(StyleParameter face);

SInt16 GetPortTextFont(CGrafPtr port);
SInt16 GetPortTextSize(CGrafPtr port);
Style GetPortTextFace(CGrafPtr port);

// A port without pixels, for measuring: its bounds are empty, so nothing is ever drawn in it.
// Null when no port can be had. The current port is left as it was.
CGrafPtr CreateNewPort();
// The current port becomes stale when it is the port disposed of.
OSErr DisposePort(CGrafPtr port);

} // namespace tbx
