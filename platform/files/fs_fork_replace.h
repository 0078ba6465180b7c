// Replacing a file's whole resource fork at once: the new sidecar is written and synced
// beside the old one, then renamed over it, so the fork holds the old bytes or the new ones
// and never a mix.
#pragma once

#include "platform/files/fs_forks.h"

namespace tbx {

// fLckdErr for a locked file; on any failure the old fork stays as it was.
OSErr FSReplaceResourceFork(const FSRef* ref, const void* bytes, ByteCount size);

} // namespace tbx
