#include "core/memory/chunk_arena.h"

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

// The chunk this thread carves from; its own reference is dropped when the thread ends.
struct Current {
    Chunk* chunk = nullptr;
    ~Current() {
        if (chunk)
            Retire(std::exchange(chunk, nullptr));
    }
};

thread_local Current current[kBK_ArenaKinds];

// A run of releases into one chunk is counted here and settled with one atomic step when the
// thread releases into another chunk or ends, rather than one per block (a tree or a coding
// list is freed in about the order it was made). The chunk stays until its run is settled.
struct PendingReleases {
    Chunk* chunk = nullptr;
    std::size_t count = 0;
    bool ended = false;
    void Settle() {
        if (chunk)
            Drop(std::exchange(chunk, nullptr), std::exchange(count, 0));
    }
    ~PendingReleases() {
        Settle();
        ended = true;
    }
};

thread_local PendingReleases pending;

unsigned char* Stamp(void* block, Chunk* chunk, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(block);
    new (bytes) Header{chunk, size};
    return bytes + kHeader;
}

} // namespace

void* BK_ArenaAllocate(std::size_t size, BK_ArenaKind kind) {
    const std::size_t rounded = (size + kAlign - 1) / kAlign * kAlign;
    if (rounded > kMaxArenaBlock || rounded < size) {
        if (size > SIZE_MAX - kHeader)
            throw std::bad_alloc();
        void* block = std::malloc(size + kHeader);
        if (!block)
            throw std::bad_alloc();
        return Stamp(block, nullptr, size + kHeader);
    }
    const std::size_t need = rounded + kHeader;
    Chunk*& held = current[static_cast<int>(kind)].chunk;
    Chunk* chunk = held;
    if (chunk && chunk->used + need > kChunkBytes && pending.chunk == chunk)
        pending.Settle();
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

void BK_ArenaRelease(void* block) {
    if (!block)
        return;
    unsigned char* start = static_cast<unsigned char*>(block) - kHeader;
    const Header header = *reinterpret_cast<Header*>(start);
    if (!header.chunk) {
        std::free(start);
        return;
    }
    STRAVEL_POISON(start, header.size);
    auto* chunk = static_cast<Chunk*>(header.chunk);
    if (pending.ended) {
        Drop(chunk, 1);
        return;
    }
    if (pending.chunk != chunk) {
        pending.Settle();
        pending.chunk = chunk;
    }
    ++pending.count;
}
