// Temporary files that are written whole and then renamed over the file they replace. Each is
// ".stravel-<hash of the target's name>-<slot>.tmp" in the target's folder, whatever the
// target's name is long, made with O_EXCL; up to 16 writers of one target can work at once.
// A writer holds a lock on its file for as long as it keeps the descriptor open, so it renames
// or removes the file before closing it. A file whose writer died (nobody holds its lock) is
// removed when a later writer of the same target meets its name, and when this process first
// makes a temporary file in that folder.
#pragma once

#include <string>
#include <sys/types.h>

namespace tbx {

// A new temporary file for `target` (a path), open for writing with `mode`; -1 with errno set
// when none can be made. `temporary` receives its path.
int FSOpenTemporaryBeside(const std::string& target, mode_t mode, std::string& temporary);

} // namespace tbx
