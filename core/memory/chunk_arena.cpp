#include "core/memory/chunk_arena.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace bk_arena_detail {

thread_local constinit ThreadState threadState = {};

namespace {

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

void Settle(ThreadState& state) {
    if (state.pendingChunk)
        Drop(std::exchange(state.pendingChunk, nullptr), std::exchange(state.pendingCount, 0));
}

// Lets go of what the thread holds when it ends; armed by the slow paths, which are the only
// ones that make the thread hold something.
struct Reaper {
    bool armed = false;
    ~Reaper() {
        ThreadState& state = threadState;
        Settle(state);
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

void* HeapBlock(std::size_t size) {
    if (size > SIZE_MAX - kHeader)
        throw std::bad_alloc();
    void* block = std::malloc(size + kHeader);
    if (!block)
        throw std::bad_alloc();
    return Stamp(block, nullptr, size + kHeader);
}

} // namespace

void* AllocateSlowly(std::size_t size, BK_ArenaKind kind) {
    ThreadState& state = threadState;
    const std::size_t rounded = (size + kAlign - 1) / kAlign * kAlign;
    // A thread that has ended keeps no chunk.
    if (rounded > kMaxArenaBlock || rounded < size || state.ended)
        return HeapBlock(size);
    reaper.armed = true;
    const std::size_t need = rounded + kHeader;
    Chunk*& held = state.current[static_cast<int>(kind)];
    Chunk* chunk = held;
    if (chunk && chunk->used + need > kChunkBytes && state.pendingChunk == chunk)
        Settle(state);
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

void ReleaseSlowly(unsigned char* start, const Header& header) {
    if (!header.chunk) {
        std::free(start);
        return;
    }
    STRAVEL_POISON(start, header.size);
    auto* chunk = static_cast<Chunk*>(header.chunk);
    ThreadState& state = threadState;
    if (state.ended) {
        Drop(chunk, 1);
        return;
    }
    reaper.armed = true;
    Settle(state);
    state.pendingChunk = chunk;
    state.pendingCount = 1;
}

} // namespace bk_arena_detail
