#include "ascompiler/tree/node_arena.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define STRAVEL_POISON(at, size) ASAN_POISON_MEMORY_REGION(at, size)
#define STRAVEL_UNPOISON(at, size) ASAN_UNPOISON_MEMORY_REGION(at, size)
#else
#define STRAVEL_POISON(at, size) ((void)(at), (void)(size))
#define STRAVEL_UNPOISON(at, size) ((void)(at), (void)(size))
#endif

namespace translate {
namespace {

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

constexpr std::size_t kChunkStart = (sizeof(Chunk) + kAlign - 1) / kAlign * kAlign;

void Free(Chunk* chunk) {
    chunk->~Chunk();
    std::free(chunk);
}

void Drop(Chunk* chunk, std::size_t count) {
    if (chunk->references.fetch_sub(count, std::memory_order_acq_rel) == count)
        Free(chunk);
}

// The carving thread lets go of the chunk.
void Retire(Chunk* chunk) {
    const std::size_t unused = kCarving - chunk->handed;
    if (chunk->references.fetch_sub(unused, std::memory_order_acq_rel) == unused)
        Free(chunk);
}

Chunk* NewChunk() {
    void* memory = std::malloc(kChunkBytes);
    if (!memory)
        throw std::bad_alloc();
    auto* chunk = new (memory) Chunk;
    chunk->used = kChunkStart;
    STRAVEL_POISON(static_cast<unsigned char*>(memory) + kChunkStart, kChunkBytes - kChunkStart);
    return chunk;
}

// What a thread holds: the chunk it carves from per kind, and a run of releases into one
// chunk, counted here and settled with one atomic step when the thread releases into another
// chunk or ends rather than one per block (a tree or a coding list is freed in about the
// order it was made); the chunk stays until its run is settled. Plain data, so that the quick
// paths reach it without the guard of a thread-local object that has a destructor.
struct ThreadState {
    Chunk* current[kArenaKinds];
    Chunk* pendingChunk;
    std::size_t pendingCount;
    bool ended;
    void Settle() {
        if (pendingChunk)
            Drop(std::exchange(pendingChunk, nullptr), std::exchange(pendingCount, 0));
    }
};

thread_local ThreadState state;

// Lets go of what the thread holds when it ends; armed by the slow paths, which are the only
// ones that make the thread hold something.
struct Reaper {
    bool armed = false;
    ~Reaper() {
        state.Settle();
        for (Chunk*& chunk : state.current)
            if (chunk)
                Retire(std::exchange(chunk, nullptr));
        state.ended = true;
    }
};

thread_local Reaper reaper;

unsigned char* Stamp(void* block, Chunk* chunk, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(block);
    new (bytes) Header{chunk, size};
    return bytes + kHeader;
}

} // namespace

namespace {

void* HeapBlock(std::size_t size) {
    if (size > SIZE_MAX - kHeader)
        throw std::bad_alloc();
    void* block = std::malloc(size + kHeader);
    if (!block)
        throw std::bad_alloc();
    return Stamp(block, nullptr, size + kHeader);
}

[[gnu::noinline]] void* AllocateSlowly(std::size_t size, ArenaKind kind) {
    const std::size_t rounded = (size + kAlign - 1) / kAlign * kAlign;
    // A thread that has ended keeps no chunk.
    if (rounded > kMaxArenaBlock || rounded < size || state.ended)
        return HeapBlock(size);
    reaper.armed = true;
    const std::size_t need = rounded + kHeader;
    Chunk*& held = state.current[static_cast<int>(kind)];
    Chunk* chunk = held;
    if (chunk && chunk->used + need > kChunkBytes && state.pendingChunk == chunk)
        state.Settle();
    if (chunk && chunk->used + need > kChunkBytes &&
        chunk->references.load(std::memory_order_acquire) == kCarving - chunk->handed) {
        // Every block handed out is back (only this thread hands out blocks): start it over.
        chunk->used = kChunkStart;
        chunk->handed = 0;
        chunk->references.store(kCarving, std::memory_order_relaxed);
    }
    if (!chunk || chunk->used + need > kChunkBytes) {
        Chunk* fresh = NewChunk();
        held = fresh;
        if (chunk)
            Retire(chunk);
        chunk = fresh;
    }
    unsigned char* block = reinterpret_cast<unsigned char*>(chunk) + chunk->used;
    chunk->used += need;
    ++chunk->handed;
    STRAVEL_UNPOISON(block, need);
    return Stamp(block, chunk, need);
}

[[gnu::noinline]] void ReleaseSlowly(unsigned char* start, const Header& header) {
    if (!header.chunk) {
        std::free(start);
        return;
    }
    STRAVEL_POISON(start, header.size);
    auto* chunk = static_cast<Chunk*>(header.chunk);
    if (state.ended) {
        Drop(chunk, 1);
        return;
    }
    reaper.armed = true;
    state.Settle();
    state.pendingChunk = chunk;
    state.pendingCount = 1;
}

} // namespace

void* ArenaAllocate(std::size_t size, ArenaKind kind) {
    const std::size_t rounded = (size + kAlign - 1) / kAlign * kAlign;
    if (rounded <= kMaxArenaBlock && rounded >= size) [[likely]] {
        const std::size_t need = rounded + kHeader;
        Chunk* chunk = state.current[static_cast<int>(kind)];
        if (chunk && chunk->used + need <= kChunkBytes) [[likely]] {
            unsigned char* block = reinterpret_cast<unsigned char*>(chunk) + chunk->used;
            chunk->used += need;
            ++chunk->handed;
            STRAVEL_UNPOISON(block, need);
            return Stamp(block, chunk, need);
        }
    }
    return AllocateSlowly(size, kind);
}

void ArenaRelease(void* block) {
    if (!block)
        return;
    unsigned char* start = static_cast<unsigned char*>(block) - kHeader;
    const Header header = *reinterpret_cast<Header*>(start);
    if (header.chunk && header.chunk == state.pendingChunk) [[likely]] {
        STRAVEL_POISON(start, header.size);
        ++state.pendingCount;
        return;
    }
    ReleaseSlowly(start, header);
}

} // namespace translate
