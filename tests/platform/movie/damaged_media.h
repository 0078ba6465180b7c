// Files as they arrive damaged or lying, made from intact ones by editing their bytes, for the
// sound reader's tests: a frame count changed in an MP3's tag, a time changed in one Matroska
// block or FLV tag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace soundtest {

// Halves the frame count of an MP3's Xing tag, leaving its byte count true. False without one.
inline bool HalveXingCount(std::string& bytes) {
    std::size_t at = bytes.find("Xing");
    if (at == std::string::npos)
        at = bytes.find("Info");
    if (at == std::string::npos || at + 12 > bytes.size())
        return false;
    uint32_t frames = 0;
    for (int i = 0; i < 4; ++i)
        frames = frames << 8 | uint8_t(bytes[at + 8 + i]);
    frames /= 2;
    for (int i = 3; i >= 0; --i, frames >>= 8)
        bytes[at + 8 + std::size_t(i)] = char(frames & 0xFF);
    return true;
}

namespace detail {

// An EBML number at `at`: its value and length; the marker bit stays in an element's id.
inline bool EbmlNumber(const std::string& bytes, std::size_t at, bool id, uint64_t& value,
                       std::size_t& length) {
    if (at >= bytes.size() || bytes[at] == 0)
        return false;
    const uint8_t first = uint8_t(bytes[at]);
    length = 1;
    while (!(first & (0x80 >> (length - 1))))
        ++length;
    if (at + length > bytes.size())
        return false;
    value = id ? first : first & (0xFF >> length);
    for (std::size_t i = 1; i < length; ++i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return true;
}

// The places of the blocks' data (track number, then the 16-bit time) inside the segments,
// clusters and block groups in [from, to).
inline void MatroskaBlocks(const std::string& bytes, std::size_t from, std::size_t to,
                           std::vector<std::size_t>& blocks) {
    for (std::size_t at = from; at < to;) {
        uint64_t id = 0, size = 0;
        std::size_t idLength = 0, sizeLength = 0;
        if (!EbmlNumber(bytes, at, true, id, idLength) ||
            !EbmlNumber(bytes, at + idLength, false, size, sizeLength))
            return;
        const std::size_t data = at + idLength + sizeLength;
        const std::size_t end = size == (uint64_t(1) << (7 * sizeLength)) - 1
                                    ? to
                                    : std::min<std::size_t>(to, data + size);
        if (id == 0x18538067 || id == 0x1F43B675 || id == 0xA0) // segment, cluster, block group
            MatroskaBlocks(bytes, data, end, blocks);
        else if (id == 0xA3 || id == 0xA1) // simple block, block
            blocks.push_back(data);
        at = end;
    }
}

} // namespace detail

// Sets the time of Matroska block `index` to `time` relative to its cluster (or moves it by
// `time` where `relative`). False where the file holds fewer blocks.
inline bool SetMatroskaBlockTime(std::string& bytes, std::size_t index, int16_t time,
                                 bool relative) {
    std::vector<std::size_t> blocks;
    detail::MatroskaBlocks(bytes, 0, bytes.size(), blocks);
    uint64_t track = 0;
    std::size_t length = 0;
    if (index >= blocks.size() || !detail::EbmlNumber(bytes, blocks[index], false, track, length))
        return false;
    const std::size_t at = blocks[index] + length;
    const int16_t was = int16_t(uint8_t(bytes[at]) << 8 | uint8_t(bytes[at + 1]));
    const uint16_t now = uint16_t(relative ? int16_t(was + time) : time);
    bytes[at] = char(now >> 8);
    bytes[at + 1] = char(now & 0xFF);
    return true;
}

// Moves the time of the FLV file's sound tag `index` by `milliseconds`. False where it holds
// fewer.
inline bool MoveFlvSoundTag(std::string& bytes, std::size_t index, int32_t milliseconds) {
    auto at = [&](std::size_t i) { return uint32_t(uint8_t(bytes[i])); };
    if (bytes.size() < 13 || bytes.compare(0, 3, "FLV") != 0)
        return false;
    std::size_t tag = (at(5) << 24 | at(6) << 16 | at(7) << 8 | at(8)) + 4;
    for (std::size_t sound = 0; tag + 11 <= bytes.size();) {
        const std::size_t size = at(tag + 1) << 16 | at(tag + 2) << 8 | at(tag + 3);
        if ((at(tag) & 0x1F) == 8 && sound++ == index) {
            const uint32_t time =
                (at(tag + 7) << 24 | at(tag + 4) << 16 | at(tag + 5) << 8 | at(tag + 6)) +
                uint32_t(milliseconds);
            bytes[tag + 4] = char(time >> 16);
            bytes[tag + 5] = char(time >> 8);
            bytes[tag + 6] = char(time);
            bytes[tag + 7] = char(time >> 24);
            return true;
        }
        tag += 11 + size + 4;
    }
    return false;
}

} // namespace soundtest
