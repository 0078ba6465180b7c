// Gestalt: a table of system facts by selector.
#pragma once

#include "platform/types.h"

namespace tbx {

// 'sysv' reports a Mac OS X 10.4 system (0x1049); 'qtim' QuickTime 7 (0x07008000). 'mclk'
// (processor MHz), 'ram ' (memory bytes, saturating at 2^31 - 1) and 'ramm' (memory MB) are
// read from the machine.
// gestaltUndefSelectorErr for a selector the table lacks; paramErr for a null response.
OSErr Gestalt(OSType selector, SInt32* response);

namespace test {
void SetGestalt(OSType selector, SInt32 value);
void RemoveGestalt(OSType selector);
// Back to the table the program starts with.
void ResetGestalt();
} // namespace test

} // namespace tbx
