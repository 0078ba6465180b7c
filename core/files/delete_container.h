// Deleting a folder with everything in it. Locked items are unlocked first; links are
// deleted, never followed. Results are File Manager codes (0 = no error).
#pragma once

#include "platform/files/fs_types.h"

tbx::OSErr FSDeleteContainerContents(const tbx::FSRef* container);
tbx::OSErr FSDeleteContainer(const tbx::FSRef* container);
