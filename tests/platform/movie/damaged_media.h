// Files as they arrive damaged or lying, made from intact ones by editing their bytes, for the
// movie and sound readers' tests: a frame count changed in an MP3's tag, a time changed in a
// Matroska block or cluster, FLV tags, MPEG PES headers or Ogg pages, FLV times that restart,
// noise in Matroska blocks, packs lost from a program stream or packets from a transport stream,
// FLV tags lost, an AVI file cut inside its index, an MP4 file given other edits or cut inside a
// fragment.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
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

// The places of the data of the elements with an id in `wanted` inside the segments, clusters
// and block groups in [from, to).
inline void MatroskaElements(const std::string& bytes, std::size_t from, std::size_t to,
                             const std::vector<uint64_t>& wanted,
                             std::vector<std::size_t>& places) {
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
        if (std::find(wanted.begin(), wanted.end(), id) != wanted.end())
            places.push_back(data);
        if (id == 0x18538067 || id == 0x1F43B675 || id == 0xA0) // segment, cluster, block group
            MatroskaElements(bytes, data, end, wanted, places);
        at = end;
    }
}

inline std::vector<std::size_t> MatroskaClusters(const std::string& bytes) {
    std::vector<std::size_t> clusters;
    MatroskaElements(bytes, 0, bytes.size(), {0x1F43B675}, clusters);
    return clusters;
}

// The places of the PTS fields of the sound's PES headers (MPEG audio streams and private
// stream 1, which a VOB's AC-3 goes in), in a transport stream's packets or a program stream's
// packs: each begins where a start code and a header with a PTS are found, of MPEG-2 or, in an
// MPEG-1 program stream, of MPEG-1 (stuffing, a buffer size, then the PTS).
inline std::vector<std::size_t> SoundPesTimes(const std::string& bytes) {
    auto at = [&](std::size_t i) { return uint8_t(bytes[i]); };
    std::vector<std::size_t> times;
    for (std::size_t pes = bytes.find(std::string("\0\0\1", 3)); pes != std::string::npos;
         pes = bytes.find(std::string("\0\0\1", 3), pes + 3)) {
        if (pes + 14 > bytes.size())
            break;
        const uint8_t id = at(pes + 3);
        if ((id < 0xC0 || id > 0xDF) && id != 0xBD)
            continue;
        if ((at(pes + 6) & 0xC0) == 0x80) {
            if (at(pes + 7) & 0x80)
                times.push_back(pes + 9);
            continue;
        }
        std::size_t header = pes + 6;
        while (header < pes + 22 && at(header) == 0xFF)
            ++header;
        if ((at(header) & 0xC0) == 0x40)
            header += 2;
        if (header + 5 <= bytes.size() && (at(header) & 0xE0) == 0x20)
            times.push_back(header);
    }
    return times;
}

// A 33-bit time of 90 kHz ticks as a PES header stores it, in 5 bytes with marker bits.
inline int64_t PesTime(const std::string& bytes, std::size_t at) {
    auto b = [&](std::size_t i) { return int64_t(uint8_t(bytes[at + i])); };
    return (b(0) >> 1 & 7) << 30 | b(1) << 22 | (b(2) >> 1) << 15 | b(3) << 7 | b(4) >> 1;
}

inline void SetPesTime(std::string& bytes, std::size_t at, int64_t time) {
    const uint64_t t = uint64_t(time) & ((uint64_t(1) << 33) - 1);
    bytes[at] = char((uint8_t(bytes[at]) & 0xF1) | (t >> 30 & 7) << 1 | 1);
    bytes[at + 1] = char(t >> 22);
    bytes[at + 2] = char((t >> 14 & 0xFE) | 1);
    bytes[at + 3] = char(t >> 7);
    bytes[at + 4] = char((t << 1 & 0xFE) | 1);
}

// The places of an Ogg file's pages that carry a granule position of sound (past the headers,
// whose pages have none or 0; not of a Theora picture stream beside it), each with its length.
inline std::vector<std::pair<std::size_t, std::size_t>> OggSoundPages(const std::string& bytes) {
    std::vector<std::pair<std::size_t, std::size_t>> pages;
    std::vector<std::string> pictures; // the serial numbers of picture streams
    for (std::size_t at = bytes.find("OggS"); at != std::string::npos && at + 27 <= bytes.size();
         at = bytes.find("OggS", at + 1)) {
        const std::size_t segments = uint8_t(bytes[at + 26]);
        if (at + 27 + segments > bytes.size())
            break;
        std::size_t length = 27 + segments;
        for (std::size_t i = 0; i < segments; ++i)
            length += uint8_t(bytes[at + 27 + i]);
        const std::string serial = bytes.substr(at + 14, 4);
        if (uint8_t(bytes[at + 5]) & 2 && bytes.compare(at + 27 + segments, 7, "\x80theora") == 0)
            pictures.push_back(serial);
        int64_t granule = 0;
        for (int i = 7; i >= 0; --i)
            granule = granule << 8 | uint8_t(bytes[at + 6 + std::size_t(i)]);
        if (granule > 0 && at + length <= bytes.size() &&
            std::find(pictures.begin(), pictures.end(), serial) == pictures.end())
            pages.emplace_back(at, length);
    }
    return pages;
}

// The CRC of an Ogg page: CRC-32 of polynomial 0x04C11DB7, unreflected, over the page with its
// CRC field as zeros.
inline uint32_t OggCrc(const std::string& bytes, std::size_t at, std::size_t length) {
    uint32_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const uint8_t byte = i >= 22 && i < 26 ? 0 : uint8_t(bytes[at + i]);
        crc ^= uint32_t(byte) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// MP4 boxes: the place of each box of `type` inside [from, to), looking into the boxes that hold
// others on the way to it; `path` receives the places of those holding the first one found.
inline std::size_t Mp4Box(const std::string& bytes, std::size_t from, std::size_t to,
                          const std::string& type, std::vector<std::size_t>& path) {
    auto be32 = [&](std::size_t i) {
        return uint32_t(uint8_t(bytes[i])) << 24 | uint32_t(uint8_t(bytes[i + 1])) << 16 |
               uint32_t(uint8_t(bytes[i + 2])) << 8 | uint32_t(uint8_t(bytes[i + 3]));
    };
    for (std::size_t at = from; at + 8 <= to;) {
        const std::size_t size = be32(at);
        if (size < 8 || at + size > to)
            return std::string::npos;
        const std::string name = bytes.substr(at + 4, 4);
        if (name == type)
            return at;
        if (name == "moov" || name == "trak" || name == "edts" || name == "mdia") {
            path.push_back(at);
            if (const std::size_t found = Mp4Box(bytes, at + 8, at + size, type, path);
                found != std::string::npos)
                return found;
            path.pop_back();
        }
        at += size;
    }
    return std::string::npos;
}

inline uint32_t Mp4TimeScale(const std::string& bytes, const std::string& header) {
    std::vector<std::size_t> path;
    const std::size_t at = Mp4Box(bytes, 0, bytes.size(), header, path);
    if (at == std::string::npos)
        return 0;
    const std::size_t scale = at + (bytes[at + 8] == 1 ? 28 : 20); // after the two dates
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | uint8_t(bytes[scale + std::size_t(i)]);
    return value;
}

} // namespace detail

// Sets the time of Matroska block `index` to `time` relative to its cluster (or moves it by
// `time` where `relative`). False where the file holds fewer blocks.
inline bool SetMatroskaBlockTime(std::string& bytes, std::size_t index, int16_t time,
                                 bool relative) {
    std::vector<std::size_t> blocks; // each at its track number, then its 16-bit time
    detail::MatroskaElements(bytes, 0, bytes.size(), {0xA3, 0xA1}, blocks); // simple, in group
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

inline std::size_t CountMatroskaBlocks(const std::string& bytes) {
    std::vector<std::size_t> blocks;
    detail::MatroskaElements(bytes, 0, bytes.size(), {0xA3, 0xA1}, blocks);
    return blocks.size();
}

// Writes noise over 64 bytes of each of `count` blocks of track `track` from its block `first`
// on, after their headers (blocks of over 68 bytes). False where the track holds fewer.
inline bool NoiseInMatroskaBlocks(std::string& bytes, uint64_t track, std::size_t first,
                                  std::size_t count) {
    std::vector<std::size_t> blocks;
    detail::MatroskaElements(bytes, 0, bytes.size(), {0xA3, 0xA1}, blocks);
    uint32_t noise = 12345;
    for (std::size_t at : blocks) {
        uint64_t number = 0;
        std::size_t length = 0;
        if (count == 0 || !detail::EbmlNumber(bytes, at, false, number, length) || number != track)
            continue;
        if (first > 0) {
            --first;
            continue;
        }
        for (std::size_t i = at + length + 3; i < at + length + 67 && i < bytes.size(); ++i)
            bytes[i] = char((noise = noise * 1103515245u + 12345u) >> 24);
        --count;
    }
    return count == 0;
}

inline std::size_t CountMatroskaClusters(const std::string& bytes) {
    return detail::MatroskaClusters(bytes).size();
}

// Sets the time of Matroska cluster `index` to `time` milliseconds, as an unsigned number, so
// that a negative one wraps (or moves it by `time` where `relative`). A time that its element
// has no room for takes the room of the CRC-32 element before it as well. False where the file
// holds fewer clusters or there is no room.
inline bool SetMatroskaClusterTime(std::string& bytes, std::size_t index, int64_t time,
                                   bool relative) {
    const std::vector<std::size_t> clusters = detail::MatroskaClusters(bytes);
    if (index >= clusters.size())
        return false;
    std::size_t at = clusters[index], crc = std::string::npos;
    if (bytes.compare(at, 2, "\xBF\x84") == 0) // ffmpeg's muxer puts a CRC-32 first
        crc = at, at += 6;
    uint64_t size = 0;
    std::size_t sizeLength = 0;
    if (at >= bytes.size() || uint8_t(bytes[at]) != 0xE7 ||
        !detail::EbmlNumber(bytes, at + 1, false, size, sizeLength) || size < 1 || size > 8 ||
        at + 1 + sizeLength + size > bytes.size())
        return false;
    const std::size_t data = at + 1 + sizeLength;
    uint64_t was = 0;
    for (std::size_t i = 0; i < size; ++i)
        was = was << 8 | uint8_t(bytes[data + i]);
    const uint64_t now = relative ? was + uint64_t(time) : uint64_t(time);
    if (size == 8 || now >> (8 * size) == 0) {
        uint64_t rest = now;
        for (std::size_t i = size; i-- > 0; rest >>= 8)
            bytes[data + i] = char(rest & 0xFF);
        return true;
    }
    // Seven or eight bytes of time after the id and a size padded to fill the room exactly.
    const std::size_t room = data + size - crc;
    if (crc == std::string::npos || room < 9 || room > 17)
        return false;
    const std::size_t timeBytes = room == 9 ? 7 : 8, length = room - 1 - timeBytes;
    if (timeBytes == 7 && now >> 56 != 0)
        return false;
    std::string element(1, '\xE7');
    element += char(0x80 >> (length - 1) | (length == 1 ? timeBytes : 0));
    for (std::size_t i = 1; i < length; ++i)
        element += char(i + 1 == length ? timeBytes : 0);
    for (int shift = int(timeBytes) * 8 - 8; shift >= 0; shift -= 8)
        element += char(now >> shift & 0xFF);
    bytes.replace(crc, room, element);
    return true;
}

// Moves the times of `count` Matroska clusters from `first` on by `milliseconds`. False where the
// file holds `first` or fewer.
inline bool MoveMatroskaClusters(std::string& bytes, std::size_t first, std::size_t count,
                                 int64_t milliseconds) {
    const std::size_t clusters = CountMatroskaClusters(bytes);
    for (std::size_t i = first; i < clusters && i - first < count; ++i)
        if (!SetMatroskaClusterTime(bytes, i, milliseconds, true))
            return false;
    return first < clusters;
}

inline std::size_t CountSoundPes(const std::string& bytes) {
    return detail::SoundPesTimes(bytes).size();
}

// Moves the times (PTS and any DTS) of each sound PES header `i` of the `count` that an MPEG
// transport or program stream holds by `ticks(i, count)` of 90 kHz. False where it holds none.
inline bool MovePesTimes(std::string& bytes,
                         const std::function<int64_t(std::size_t, std::size_t)>& ticks) {
    const std::vector<std::size_t> times = detail::SoundPesTimes(bytes);
    for (std::size_t i = 0; i < times.size(); ++i) {
        const std::size_t at = times[i];
        const int64_t by = ticks(i, times.size());
        detail::SetPesTime(bytes, at, detail::PesTime(bytes, at) + by);
        if ((uint8_t(bytes[at]) & 0xF0) == 0x30) // a DTS follows
            detail::SetPesTime(bytes, at + 5, detail::PesTime(bytes, at + 5) + by);
    }
    return !times.empty();
}

// Moves the times of `count` sound PES headers from `first` on by `ticks` of 90 kHz. False
// where the stream holds `first` or fewer.
inline bool MovePesTime(std::string& bytes, std::size_t first, std::size_t count, int64_t ticks) {
    return first < CountSoundPes(bytes) && MovePesTimes(bytes, [=](std::size_t i, std::size_t) {
               return i >= first && i - first < count ? ticks : 0;
           });
}

// Takes `count` of the units that begin with the 4-byte `code` (an MPEG program stream's packs)
// out of the file from its middle one on, as a recording loses them. False where it holds fewer
// than twice as many.
inline bool CutUnits(std::string& bytes, const std::string& code, std::size_t count) {
    std::vector<std::size_t> units;
    for (std::size_t at = bytes.find(code); at != std::string::npos; at = bytes.find(code, at + 1))
        units.push_back(at);
    if (units.size() < 2 * count + 2)
        return false;
    const std::size_t from = units[units.size() / 2], to = units[units.size() / 2 + count];
    bytes.erase(from, to - from);
    return true;
}

// Takes `count` packets of `size` bytes (a transport stream's 188, or 192 with their times) out
// of the file from the one at `share` of its bytes on. False where it holds fewer after there.
inline bool CutPackets(std::string& bytes, std::size_t size, double share, std::size_t count) {
    const std::size_t from = std::size_t(double(bytes.size() / size) * share) * size;
    if (from + count * size > bytes.size())
        return false;
    bytes.erase(from, count * size);
    return true;
}

inline std::size_t CountOggSoundPages(const std::string& bytes) {
    return detail::OggSoundPages(bytes).size();
}

// Moves the granule positions of `count` of an Ogg file's sound pages from `first` on by
// `samples`, with their CRCs made right again. False where it holds `first` or fewer.
inline bool MoveOggGranules(std::string& bytes, std::size_t first, std::size_t count,
                            int64_t samples) {
    const auto pages = detail::OggSoundPages(bytes);
    if (first >= pages.size())
        return false;
    for (std::size_t i = first; i < pages.size() && i - first < count; ++i) {
        const auto [at, length] = pages[i];
        uint64_t granule = 0;
        for (int b = 7; b >= 0; --b)
            granule = granule << 8 | uint8_t(bytes[at + 6 + std::size_t(b)]);
        granule += uint64_t(samples);
        for (std::size_t b = 0; b < 8; ++b)
            bytes[at + 6 + b] = char(granule >> (8 * b) & 0xFF);
        const uint32_t crc = detail::OggCrc(bytes, at, length);
        for (std::size_t b = 0; b < 4; ++b)
            bytes[at + 22 + b] = char(crc >> (8 * b) & 0xFF);
    }
    return true;
}

// An edit of an MP4 track: from `mediaTime` of its media, `duration` long, both in samples.
struct Mp4Edit {
    int64_t mediaTime, duration;
};

// Gives the first track of an MP4 file whose index follows its samples (moov after mdat) the
// edits given instead of its own. False without an edit list to replace.
inline bool SetMp4Edits(std::string& bytes, const std::vector<Mp4Edit>& edits) {
    std::vector<std::size_t> path;
    const std::size_t list = detail::Mp4Box(bytes, 0, bytes.size(), "elst", path);
    const uint32_t movie = detail::Mp4TimeScale(bytes, "mvhd");
    const uint32_t media = detail::Mp4TimeScale(bytes, "mdhd");
    std::vector<std::size_t> none;
    const std::size_t data = detail::Mp4Box(bytes, 0, bytes.size(), "mdat", none);
    if (list == std::string::npos || path.empty() || movie == 0 || media == 0 ||
        data == std::string::npos || data > path.front())
        return false;
    auto be = [](std::string& out, uint64_t value, int bytesOf) {
        for (int i = bytesOf - 1; i >= 0; --i)
            out += char(value >> (8 * i) & 0xFF);
    };
    std::string box;
    be(box, 16 + 20 * edits.size(), 4);
    box += "elst";
    be(box, uint64_t(1) << 24, 4); // version 1: 64-bit durations and times
    be(box, edits.size(), 4);
    for (const Mp4Edit& edit : edits) {
        be(box, uint64_t(edit.duration * movie / media), 8);
        be(box, uint64_t(edit.mediaTime), 8);
        be(box, 0x00010000, 4); // at the normal rate
    }
    std::size_t old = 0;
    for (int i = 0; i < 4; ++i)
        old = old << 8 | uint8_t(bytes[list + std::size_t(i)]);
    bytes.replace(list, old, box);
    for (std::size_t holder : path) { // the boxes that hold it grow by as much
        uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = size << 8 | uint8_t(bytes[holder + std::size_t(i)]);
        size = uint32_t(size + box.size() - old);
        for (int i = 0; i < 4; ++i)
            bytes[holder + std::size_t(i)] = char(size >> (8 * (3 - i)) & 0xFF);
    }
    return true;
}

// The places of an MP4 file's fragments (its top-level moof boxes).
inline std::vector<std::size_t> Mp4Fragments(const std::string& bytes) {
    std::vector<std::size_t> fragments;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
        std::size_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = size << 8 | uint8_t(bytes[at + std::size_t(i)]);
        if (size < 8)
            break;
        if (bytes.compare(at + 4, 4, "moof") == 0)
            fragments.push_back(at);
        at += size;
    }
    return fragments;
}

// Cuts a fragmented MP4 file `offset` bytes after the start of its fragment `index`, as a
// download stops. False where it holds fewer fragments.
inline bool CutMp4Fragment(std::string& bytes, std::size_t index, std::size_t offset) {
    const std::vector<std::size_t> fragments = Mp4Fragments(bytes);
    if (index >= fragments.size() || fragments[index] + offset >= bytes.size())
        return false;
    bytes.resize(fragments[index] + offset);
    return true;
}

// Cuts an AVI file short inside its index, after `kept` of the entries that its idx1 chunk
// counts, as a download stops; the chunk's size still counts them all. False without one.
inline bool CutAviIndex(std::string& bytes, std::size_t kept) {
    const std::size_t at = bytes.rfind("idx1");
    if (at == std::string::npos || at + 8 + 16 * kept > bytes.size())
        return false;
    bytes.resize(at + 8 + 16 * kept);
    return true;
}

inline std::size_t CountAviIndexEntries(const std::string& bytes) {
    const std::size_t at = bytes.rfind("idx1");
    if (at == std::string::npos || at + 8 > bytes.size())
        return 0;
    uint32_t size = 0;
    for (int i = 3; i >= 0; --i)
        size = size << 8 | uint8_t(bytes[at + 4 + std::size_t(i)]);
    return size / 16;
}

namespace detail {

// The places of an FLV file's tags, each with its type (8 sound, 9 picture, 18 script).
inline std::vector<std::pair<std::size_t, int>> FlvTags(const std::string& bytes) {
    auto at = [&](std::size_t i) { return uint32_t(uint8_t(bytes[i])); };
    std::vector<std::pair<std::size_t, int>> tags;
    if (bytes.size() < 13 || bytes.compare(0, 3, "FLV") != 0)
        return tags;
    for (std::size_t tag = (at(5) << 24 | at(6) << 16 | at(7) << 8 | at(8)) + 4;
         tag + 11 <= bytes.size();
         tag += 11 + (at(tag + 1) << 16 | at(tag + 2) << 8 | at(tag + 3)) + 4)
        tags.emplace_back(tag, int(at(tag) & 0x1F));
    return tags;
}

// A tag's time: 24 bits of milliseconds and 8 more above them.
inline uint32_t FlvTime(const std::string& bytes, std::size_t tag) {
    auto at = [&](std::size_t i) { return uint32_t(uint8_t(bytes[i])); };
    return at(tag + 7) << 24 | at(tag + 4) << 16 | at(tag + 5) << 8 | at(tag + 6);
}

inline void SetFlvTime(std::string& bytes, std::size_t tag, uint32_t time) {
    bytes[tag + 4] = char(time >> 16);
    bytes[tag + 5] = char(time >> 8);
    bytes[tag + 6] = char(time);
    bytes[tag + 7] = char(time >> 24);
}

} // namespace detail

inline std::size_t CountFlvSoundTags(const std::string& bytes) {
    const auto tags = detail::FlvTags(bytes);
    return std::size_t(
        std::count_if(tags.begin(), tags.end(), [](const auto& tag) { return tag.second == 8; }));
}

// Moves the time of each sound tag `i` of the `count` that the FLV file holds by
// `milliseconds(i, count)`. False where it holds none.
inline bool
MoveFlvSoundTimes(std::string& bytes,
                  const std::function<int32_t(std::size_t, std::size_t)>& milliseconds) {
    const std::size_t count = CountFlvSoundTags(bytes);
    std::size_t sound = 0;
    for (const auto& [tag, type] : detail::FlvTags(bytes))
        if (type == 8)
            detail::SetFlvTime(
                bytes, tag, detail::FlvTime(bytes, tag) + uint32_t(milliseconds(sound++, count)));
    return count > 0;
}

// Moves the times of `count` of the FLV file's sound tags from `index` on by `milliseconds`.
// False where it holds `index` or fewer.
inline bool MoveFlvSoundTag(std::string& bytes, std::size_t index, int32_t milliseconds,
                            std::size_t count = 1) {
    return MoveFlvSoundTimes(bytes,
                             [=](std::size_t i, std::size_t) {
                                 return i >= index && i - index < count ? milliseconds : 0;
                             }) &&
           CountFlvSoundTags(bytes) > index;
}

// Moves the times of every tag from the one at `share` of them on by `milliseconds`, as a
// recorder that lost its connection for a while writes them. False without tags.
inline bool StepFlvTimes(std::string& bytes, double share, int32_t milliseconds) {
    const auto tags = detail::FlvTags(bytes);
    for (std::size_t i = std::size_t(double(tags.size()) * share); i < tags.size(); ++i)
        detail::SetFlvTime(bytes, tags[i].first,
                           detail::FlvTime(bytes, tags[i].first) + uint32_t(milliseconds));
    return !tags.empty();
}

// Takes a share of the FLV file's tags of every kind out of it from the one at `from` of them on,
// as a recording loses them. False where it holds too few.
inline bool CutFlvTags(std::string& bytes, double from, double share) {
    const auto tags = detail::FlvTags(bytes);
    const std::size_t first = std::size_t(double(tags.size()) * from),
                      last = first + std::size_t(double(tags.size()) * share);
    if (last >= tags.size() || last == first)
        return false;
    bytes.erase(tags[first].first, tags[last].first - tags[first].first);
    return true;
}

// Starts the times of the FLV file's tags from its middle one on again at 0, as a recorder that
// resumes after a dropped connection writes them. False without tags.
inline bool RestartFlvTimes(std::string& bytes) {
    const auto tags = detail::FlvTags(bytes);
    if (tags.size() < 2)
        return false;
    const uint32_t zero = detail::FlvTime(bytes, tags[tags.size() / 2].first);
    for (std::size_t i = tags.size() / 2; i < tags.size(); ++i)
        detail::SetFlvTime(bytes, tags[i].first, detail::FlvTime(bytes, tags[i].first) - zero);
    return true;
}

} // namespace soundtest
