// Temporary files of a unique name in the program's temporary folder.
#pragma once

#include "core/paths/path.h"

// Creates a new, empty file named stem + a unique part + extension (with O_EXCL, mode 0600)
// and puts its path in `path`; false when none can be made. The caller deletes it.
bool BK_MakeTemporaryFile(const char* stem, const char* extension, CBK_Path& path);
