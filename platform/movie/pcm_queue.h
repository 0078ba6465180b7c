// Bytes of PCM held in fixed blocks: growing never moves what is held, and the front is
// dropped without copying the rest. Internal to the movie stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

namespace tbx::movie {

class PcmQueue {
public:
    std::size_t Size() const { return _size; }
    void Clear();
    void Append(const uint8_t* data, std::size_t bytes);
    void AppendZeros(std::size_t bytes);
    // Room for `bytes` at the end, in one piece, or null; Commit then holds what was written.
    uint8_t* Tail(std::size_t bytes);
    void Commit(std::size_t bytes) { _size += bytes; }
    // Copies bytes [offset, offset + count) of what is held.
    void CopyOut(std::size_t offset, std::size_t count, uint8_t* to) const;
    void DropFront(std::size_t bytes);

private:
    // Small enough that the allocator hands back the same few blocks as the front is dropped.
    static constexpr std::size_t kBlock = std::size_t(1) << 16;
    // Room at the end of the last block, adding a block when there is none.
    uint8_t* _Room(std::size_t& room);

    std::deque<std::unique_ptr<uint8_t[]>> _blocks;
    std::size_t _head = 0; // bytes of the first block already dropped
    std::size_t _size = 0;
};

} // namespace tbx::movie
