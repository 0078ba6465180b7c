#include "platform/files/fs_fork_ranges.h"

#include <cerrno>
#include <fcntl.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"

namespace tbx {

namespace {

OSErr SetRange(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset, UInt64 requestCount,
               UInt64* rangeStart, bool lock) {
    SInt64 start = 0;
    if (positionMode == fsAtMark || positionMode == fsFromMark) {
        if (OSErr error = FSGetForkPosition(forkRefNum, &start))
            return error;
    } else if (positionMode == fsFromLEOF) {
        if (OSErr error = FSGetForkSize(forkRefNum, &start))
            return error;
    }
    if (positionMode != fsAtMark)
        start += positionOffset;
    if (start < 0 || requestCount == 0 || requestCount > UInt64(INT64_MAX - start))
        return paramErr;
    return fs_detail::WithForkFile(forkRefNum, [&](int fd, SInt64 base, const std::string&) {
        if (fd < 0)
            return OSErr(paramErr); // an unwritten resource fork has no bytes to lock
        struct flock range = {};
        range.l_type = lock ? F_WRLCK : F_UNLCK;
        range.l_whence = SEEK_SET;
        range.l_start = off_t(base + start);
        range.l_len = off_t(requestCount);
        if (fcntl(fd, F_OFD_SETLK, &range) != 0)
            return errno == EAGAIN || errno == EACCES ? OSErr(afpRangeOverlap)
                                                      : FSErrorFromErrno(errno);
        if (rangeStart)
            *rangeStart = UInt64(start);
        return OSErr(noErr);
    });
}

} // namespace

OSErr FSLockRange(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  UInt64 requestCount, UInt64* rangeStart) {
    return SetRange(forkRefNum, positionMode, positionOffset, requestCount, rangeStart, true);
}

OSErr FSUnlockRange(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                    UInt64 requestCount, UInt64* rangeStart) {
    return SetRange(forkRefNum, positionMode, positionOffset, requestCount, rangeStart, false);
}

OSErr FSGetForkCBInfo(SInt16 forkRefNum, FSRef* ref) {
    if (!ref)
        return paramErr;
    return fs_detail::WithForkFile(forkRefNum, [&](int, SInt64, const std::string& path) {
        return fs_detail::MakeRef(path, false, *ref);
    });
}

} // namespace tbx
