// Visiting every item of a folder tree, and listing one folder. Links are visited, never
// followed. Results are File Manager codes (0 = no error).
#pragma once

#include <vector>

#include "platform/files/fs_types.h"

// Called for each item with its level (1 for the container's own items); true ends the walk.
using IterateContainerFilterProcPtr =
    tbx::Boolean (*)(tbx::Boolean containerChanged, tbx::UInt32 currentLevel,
                     const tbx::FSCatalogInfo* catalogInfo, const tbx::FSRef* ref,
                     const tbx::FSSpec* fileSpec, const tbx::HFSUniStr255* name, void* yourDataPtr);

// Depth first, down to maxLevels (0: the whole tree). Folders that cannot be read are
// visited but not entered.
tbx::OSErr FSIterateContainer(const tbx::FSRef* container, tbx::UInt32 maxLevels,
                              tbx::FSCatalogInfoBitmap whichInfo, tbx::Boolean wantFSSpec,
                              tbx::Boolean wantName, IterateContainerFilterProcPtr iterateFilter,
                              void* yourDataPtr);
// The references of a folder's own items.
tbx::OSErr FSGetDirectoryItems(const tbx::FSRef* container, std::vector<tbx::FSRef>& items);
