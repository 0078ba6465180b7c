#include "platform/movie/pcm_queue.h"

#include <algorithm>
#include <cstring>

namespace tbx::movie {

void PcmQueue::Clear() {
    _blocks.clear();
    _head = 0;
    _size = 0;
}

uint8_t* PcmQueue::_Room(std::size_t& room) {
    // The end is found from the bytes held, not from the last block: a block added for room
    // that was then not written is written next.
    const std::size_t end = _head + _size;
    if (end / kBlock == _blocks.size())
        _blocks.push_back(std::make_unique_for_overwrite<uint8_t[]>(kBlock));
    room = kBlock - end % kBlock;
    return _blocks[end / kBlock].get() + end % kBlock;
}

void PcmQueue::Append(const uint8_t* data, std::size_t bytes) {
    while (bytes > 0) {
        std::size_t room = 0;
        uint8_t* to = _Room(room);
        const std::size_t n = std::min(room, bytes);
        std::memcpy(to, data, n);
        data += n;
        bytes -= n;
        _size += n;
    }
}

void PcmQueue::AppendZeros(std::size_t bytes) {
    while (bytes > 0) {
        std::size_t room = 0;
        uint8_t* to = _Room(room);
        const std::size_t n = std::min(room, bytes);
        std::memset(to, 0, n);
        bytes -= n;
        _size += n;
    }
}

uint8_t* PcmQueue::Tail(std::size_t bytes) {
    // More than a block never fits: no block is added for it.
    if (bytes > kBlock - (_head + _size) % kBlock)
        return nullptr;
    std::size_t room = 0;
    return _Room(room);
}

void PcmQueue::CopyOut(std::size_t offset, std::size_t count, uint8_t* to) const {
    std::size_t at = _head + offset;
    while (count > 0) {
        const std::size_t inBlock = at % kBlock;
        const std::size_t n = std::min(kBlock - inBlock, count);
        std::memcpy(to, _blocks[at / kBlock].get() + inBlock, n);
        to += n;
        at += n;
        count -= n;
    }
}

void PcmQueue::DropFront(std::size_t bytes) {
    bytes = std::min(bytes, _size);
    _head += bytes;
    _size -= bytes;
    while (_head >= kBlock) {
        _blocks.pop_front();
        _head -= kBlock;
    }
    if (_size == 0 && _blocks.size() == 1) {
        // Empty: start the one block afresh rather than keep a hole at its front.
        _head = 0;
    }
}

} // namespace tbx::movie
