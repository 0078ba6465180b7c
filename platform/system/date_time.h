// The current time in the File Manager's form.
#pragma once

#include "platform/files/fs_types.h"

namespace tbx {

using OptionBits = UInt32;

// Now, from the system clock: seconds since 1904 with a 1/65536 fraction. The options are
// ignored.
OSErr GetUTCDateTime(UTCDateTime* now, OptionBits options);

} // namespace tbx
