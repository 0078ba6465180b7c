// Memory Manager handles: a relocatable block reached through a master pointer.
#pragma once

#include "platform/types.h"

namespace tbx {

Handle NewHandle(std::size_t size);
Handle NewHandleClear(std::size_t size);
void DisposeHandle(Handle handle);
// 0 for a null handle.
std::size_t GetHandleSize(Handle handle);
// memFullErr when the block cannot grow; nilHandleErr for a null handle.
OSErr SetHandleSize(Handle handle, std::size_t size);
// Handles never move here, so locking has nothing to do.
inline void HLock(Handle) {}
inline void HUnlock(Handle) {}

} // namespace tbx
