#include "platform/memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tbx {
namespace {

// The handle points at `data`, so *handle is the block as callers expect.
struct MasterPointer {
    char* data;
    std::size_t size;
};

MasterPointer* Master(Handle handle) {
    return reinterpret_cast<MasterPointer*>(handle);
}

Handle Allocate(std::size_t size, bool clear) {
    auto* master = new (std::nothrow) MasterPointer{nullptr, size};
    if (!master)
        return nullptr;
    // Keep *handle non-null even for an empty block.
    master->data =
        static_cast<char*>(clear ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1));
    if (!master->data) {
        delete master;
        return nullptr;
    }
    return &master->data;
}

} // namespace

Handle NewHandle(std::size_t size) {
    return Allocate(size, false);
}
Handle NewHandleClear(std::size_t size) {
    return Allocate(size, true);
}

void DisposeHandle(Handle handle) {
    if (!handle)
        return;
    MasterPointer* master = Master(handle);
    std::free(master->data);
    delete master;
}

std::size_t GetHandleSize(Handle handle) {
    return handle ? Master(handle)->size : 0;
}

OSErr SetHandleSize(Handle handle, std::size_t size) {
    if (!handle)
        return nilHandleErr;
    MasterPointer* master = Master(handle);
    char* grown = static_cast<char*>(std::realloc(master->data, size ? size : 1));
    if (!grown)
        return memFullErr;
    master->data = grown;
    master->size = size;
    return noErr;
}

} // namespace tbx
