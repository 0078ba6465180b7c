// Chunked allocation for the many small objects of one compile or one action list (tree
// nodes, their child slots, codings, action records): a bump pointer inside a chunk per
// thread and kind, the chunk freed when the last of its objects is. Memory of a freed object
// is not reused before its whole chunk is free, so objects of different lifetimes take
// different kinds.
#pragma once

#include <cstddef>
#include <new>

enum class BK_ArenaKind { Tree, Code, Actions };
constexpr int kBK_ArenaKinds = 3;

// Any size; larger blocks come from the heap. Never null (throws std::bad_alloc).
void* BK_ArenaAllocate(std::size_t size, BK_ArenaKind kind);
// Takes what BK_ArenaAllocate gave, on any thread; null does nothing.
void BK_ArenaRelease(void* block);

// Gives a class (and its subclasses) arena allocation through plain new and delete.
template <BK_ArenaKind Kind>
struct TBK_ArenaAllocated {
    static void* operator new(std::size_t size) { return BK_ArenaAllocate(size, Kind); }
    static void operator delete(void* block) { BK_ArenaRelease(block); }
};

// For containers whose buffers belong with the objects that hold them.
template <class T, BK_ArenaKind Kind>
struct TBK_ArenaAllocator {
    using value_type = T;
    TBK_ArenaAllocator() = default;
    template <class U>
    TBK_ArenaAllocator(const TBK_ArenaAllocator<U, Kind>&) {}
    template <class U>
    struct rebind {
        using other = TBK_ArenaAllocator<U, Kind>;
    };
    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / 2 / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(BK_ArenaAllocate(n * sizeof(T), Kind));
    }
    void deallocate(T* block, std::size_t) { BK_ArenaRelease(block); }
    template <class U>
    bool operator==(const TBK_ArenaAllocator<U, Kind>&) const {
        return true;
    }
};
