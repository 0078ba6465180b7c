// Deleting a folder with everything in it, walking the tree by folder descriptors. Locked
// files go too, and one's own folders that deny their owner access are opened to them first;
// links are deleted, never followed, and a folder swapped for a link during the walk is never
// entered. Results are File Manager codes (0 = no error).
#pragma once

#include "platform/files/fs_types.h"

tbx::OSErr FSDeleteContainerContents(const tbx::FSRef* container);
tbx::OSErr FSDeleteContainer(const tbx::FSRef* container);
