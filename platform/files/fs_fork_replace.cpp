#include "platform/files/fs_fork_replace.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/stat.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"
#include "platform/files/fs_sidecar.h"

namespace tbx {

using namespace fs_detail;

OSErr FSReplaceResourceFork(const FSRef* ref, const void* bytes, ByteCount size) {
    if (!ref || ref->path.empty() || (!bytes && size) || size > 0xFFFFFFFFu)
        return paramErr;
    struct stat file;
    if (OSErr error = StatRef(*ref, file))
        return error;
    if (!S_ISREG(file.st_mode))
        return notAFileErr;
    if (IsLocked(file))
        return fLckdErr;
    // A sidecar made elsewhere may hold other entries before the fork (Finder information,
    // comments): they are kept, and the fork keeps its place at the end.
    const std::string_view fork(static_cast<const char*>(bytes), size);
    return RebuildSidecar(ref->path, nullptr, &fork);
}

} // namespace tbx
