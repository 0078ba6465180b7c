// Chunked allocation for the many small objects of one compile (tree nodes, their child
// slots, codings): a bump pointer inside a chunk per thread and kind, the chunk freed when
// the last of its objects is. Memory of a freed object is not reused before its whole chunk
// is free, so objects of different lifetimes take different kinds.
#pragma once

#include <cstddef>
#include <memory>

namespace translate {

enum class ArenaKind { Tree, Code };
constexpr int kArenaKinds = 2;

// Any size; larger blocks come from the heap. Never null (throws std::bad_alloc).
void* ArenaAllocate(std::size_t size, ArenaKind kind);
// Takes what ArenaAllocate gave, on any thread; null does nothing.
void ArenaRelease(void* block);

// Gives a class (and its subclasses) arena allocation through plain new and delete.
template <ArenaKind Kind>
struct ArenaAllocated {
    static void* operator new(std::size_t size) { return ArenaAllocate(size, Kind); }
    static void operator delete(void* block) { ArenaRelease(block); }
};

// For containers whose buffers belong with the objects that hold them.
template <class T, ArenaKind Kind>
struct ArenaAllocator {
    using value_type = T;
    ArenaAllocator() = default;
    template <class U>
    ArenaAllocator(const ArenaAllocator<U, Kind>&) {}
    template <class U>
    struct rebind {
        using other = ArenaAllocator<U, Kind>;
    };
    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / 2 / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(ArenaAllocate(n * sizeof(T), Kind));
    }
    void deallocate(T* block, std::size_t) { ArenaRelease(block); }
    template <class U>
    bool operator==(const ArenaAllocator<U, Kind>&) const {
        return true;
    }
};

} // namespace translate
