#include "platform/system/date_time.h"

#include <ctime>

namespace tbx {

OSErr GetUTCDateTime(UTCDateTime* now, OptionBits) {
    constexpr UInt64 kSecondsFrom1904To1970 = 2082844800;
    struct timespec clock;
    if (!now || clock_gettime(CLOCK_REALTIME, &clock) != 0 || clock.tv_sec < 0)
        return paramErr;
    const UInt64 seconds = UInt64(clock.tv_sec) + kSecondsFrom1904To1970;
    now->highSeconds = UInt16(seconds >> 32);
    now->lowSeconds = UInt32(seconds);
    now->fraction = UInt16((UInt64(clock.tv_nsec) << 16) / 1000000000u);
    return noErr;
}

} // namespace tbx
