// Chunked allocation for the many small objects of one compile or one action list (tree
// nodes, their child slots, codings, action records): a bump pointer inside a chunk per
// thread and kind, the chunk freed when the last of its objects is. Memory of a freed object
// is not reused before its whole chunk is free, so objects of different lifetimes take
// different kinds.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define STRAVEL_POISON(at, size) ASAN_POISON_MEMORY_REGION(at, size)
#define STRAVEL_UNPOISON(at, size) ASAN_UNPOISON_MEMORY_REGION(at, size)
#else
#define STRAVEL_POISON(at, size) ((void)(at), (void)(size))
#define STRAVEL_UNPOISON(at, size) ((void)(at), (void)(size))
#endif

enum class BK_ArenaKind { Tree, Code, Actions };
constexpr int kBK_ArenaKinds = 3;

// Any size; larger blocks come from the heap. Never null (throws std::bad_alloc).
inline void* BK_ArenaAllocate(std::size_t size, BK_ArenaKind kind);
// Takes what BK_ArenaAllocate gave, on any thread; null does nothing.
inline void BK_ArenaRelease(void* block);

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

// The quick paths are inline, as a compile allocates and releases blocks by the million; the
// rest is in chunk_arena.cpp.
namespace bk_arena_detail {

constexpr std::size_t kChunkBytes = 64 * 1024;
// Blocks above this go to the heap, so that a growing child list does not strand chunks.
constexpr std::size_t kMaxArenaBlock = 512;
constexpr std::size_t kAlign = alignof(std::max_align_t);
// Every block is preceded by the chunk it came from (null for a heap block) and its size.
struct Header {
    void* chunk;
    std::size_t size;
};
constexpr std::size_t kHeader = (sizeof(Header) + kAlign - 1) / kAlign * kAlign;

// Stands for the blocks not yet handed out while a thread still carves the chunk.
constexpr std::size_t kCarving = std::size_t(1) << 62;

struct Chunk {
    // Counts down by one per release from kCarving. The carving thread counts what it hands
    // out apart (no atomic per block) and, when it moves on, takes off the blocks never
    // handed out; whoever brings the count to zero frees the chunk.
    std::atomic<std::size_t> references{kCarving};
    std::size_t used = 0;
    std::size_t handed = 0; // the carving thread's own
};

// What a thread holds: the chunk it carves from per kind, and a run of releases into one
// chunk, counted here and settled with one atomic step when the thread releases into another
// chunk or ends rather than one per block (a tree or a coding list is freed in about the
// order it was made); the chunk stays until its run is settled. Plain data, constantly
// initialised, so that the quick paths reach it without a guard.
struct ThreadState {
    Chunk* current[kBK_ArenaKinds];
    Chunk* pendingChunk;
    std::size_t pendingCount;
    bool ended;
};

extern thread_local constinit ThreadState threadState;

void* AllocateSlowly(std::size_t size, BK_ArenaKind kind);
void ReleaseSlowly(unsigned char* start, const Header& header);

} // namespace bk_arena_detail

inline void* BK_ArenaAllocate(std::size_t size, BK_ArenaKind kind) {
    using namespace bk_arena_detail;
    const std::size_t rounded = (size + kAlign - 1) / kAlign * kAlign;
    if (rounded <= kMaxArenaBlock && rounded >= size) [[likely]] {
        const std::size_t need = rounded + kHeader;
        Chunk* chunk = threadState.current[static_cast<int>(kind)];
        if (chunk && chunk->used + need <= kChunkBytes) [[likely]] {
            unsigned char* block = reinterpret_cast<unsigned char*>(chunk) + chunk->used;
            chunk->used += need;
            ++chunk->handed;
            STRAVEL_UNPOISON(block, need);
            new (block) Header{chunk, need};
            return block + kHeader;
        }
    }
    return AllocateSlowly(size, kind);
}

inline void BK_ArenaRelease(void* block) {
    using namespace bk_arena_detail;
    if (!block)
        return;
    unsigned char* start = static_cast<unsigned char*>(block) - kHeader;
    const Header header = *reinterpret_cast<Header*>(start);
    if (header.chunk && header.chunk == threadState.pendingChunk) [[likely]] {
        STRAVEL_POISON(start, header.size);
        ++threadState.pendingCount;
        return;
    }
    ReleaseSlowly(start, header);
}
