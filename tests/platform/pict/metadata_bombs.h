// Pictures whose metadata, text or tables FFmpeg's decoders read beyond their pixels: PNG text
// chunks, DNG-style TIFF files with JPEG strips and tiles, for the picture and movie tests, the
// benchmarks and the fuzz seeds.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/tools.h"

namespace picturetest {

// A PNG chunk with its length and checksum.
inline std::string PngChunk(const std::string& type, const std::string& data) {
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return be32(uint32_t(data.size())) + body + be32(uint32_t(crc));
}

// A zlib stream of `inflated` bytes of `fill`.
inline std::string Deflated(std::size_t inflated, char fill = ' ') {
    z_stream z{};
    deflateInit(&z, 9);
    const std::string block(1 << 20, fill);
    std::string out;
    std::vector<unsigned char> buffer(1 << 16);
    for (std::size_t left = inflated;;) {
        const std::size_t n = std::min(left, block.size());
        left -= n;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        z.avail_in = uInt(n);
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
            z.next_out = buffer.data();
            z.avail_out = uInt(buffer.size());
            result = deflate(&z, flush);
            out.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
        if (left == 0 || result == Z_STREAM_END)
            break;
    }
    deflateEnd(&z);
    return out;
}

// A zTXt chunk whose text inflates to `inflated` bytes.
inline std::string CompressedTextChunk(std::size_t inflated) {
    return PngChunk("zTXt", std::string("Comment\0\0", 9) + Deflated(inflated));
}

// An iCCP chunk whose profile inflates to `inflated` bytes.
inline std::string ProfileChunk(std::size_t inflated) {
    return PngChunk("iCCP", std::string("icc\0\0", 5) + Deflated(inflated));
}

// A PNG with `chunks` put right after its header chunk.
inline std::string WithChunks(const std::string& png, const std::string& chunks) {
    const std::size_t afterHeader = 8 + 25;
    return png.substr(0, afterHeader) + chunks + png.substr(afterHeader);
}

// An 8 x 8 grey PNG whose image stream inflates to `inflated` bytes of zeros: its rows, black,
// then whatever is more.
inline std::string BlackPng(std::size_t inflated) {
    const std::string header("\0\0\0\x08\0\0\0\x08\x08\0\0\0\0", 13);
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header) +
           PngChunk("IDAT", Deflated(inflated, '\0')) + PngChunk("IEND", "");
}

// A little-endian TIFF of one directory, its entries given in increasing order of tag, the
// values of more than four bytes after it and then the data, which `DataAt` places.
class TiffMaker {
public:
    void Add(uint16_t tag, uint16_t type, uint32_t count, const std::string& value) {
        _entries[tag] = {type, count, value};
    }
    void Short(uint16_t tag, uint16_t value) { Add(tag, 3, 1, Le(value, 2) + Le(0, 2)); }
    void Long(uint16_t tag, uint32_t value) { Add(tag, 4, 1, Le(value, 4)); }
    // Where data appended by Make starts, once every entry is added.
    std::size_t DataAt() const {
        std::size_t at = 8 + 2 + 12 * _entries.size() + 4;
        for (const auto& [tag, e] : _entries)
            if (e.value.size() > 4)
                at += e.value.size() + e.value.size() % 2;
        return at;
    }
    std::string Make(const std::string& data) const {
        std::string out = std::string("II*\0", 4) + Le(8, 4) + Le(uint32_t(_entries.size()), 2);
        std::string values;
        std::size_t valuesAt = 8 + 2 + 12 * _entries.size() + 4;
        for (const auto& [tag, e] : _entries) {
            out += Le(tag, 2) + Le(e.type, 2) + Le(e.count, 4);
            if (e.value.size() <= 4) {
                out += e.value + std::string(4 - e.value.size(), '\0');
            } else {
                out += Le(uint32_t(valuesAt + values.size()), 4);
                values += e.value + std::string(e.value.size() % 2, '\0');
            }
        }
        return out + Le(0, 4) + values + data;
    }
    static std::string Le(uint32_t v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += char(v >> (8 * i));
        return out;
    }

private:
    struct Entry {
        uint16_t type;
        uint32_t count;
        std::string value;
    };
    std::map<uint16_t, Entry> _entries;
};

// The tags of a DNG-style bayer picture of `size` × `size` 8-bit samples whose data FFmpeg
// hands to its Motion-JPEG decoder.
inline TiffMaker DngTags(int size) {
    TiffMaker t;
    t.Short(0x100, uint16_t(size));
    t.Short(0x101, uint16_t(size));
    t.Short(0x102, 8);
    t.Short(0x103, 7);     // JPEG
    t.Short(0x106, 32803); // a colour filter array
    t.Short(0x115, 1);
    t.Add(0x828D, 3, 2, TiffMaker::Le(2, 2) + TiffMaker::Le(2, 2));
    t.Add(0x828E, 1, 4, std::string("\0\1\1\2", 4));
    t.Add(0xC612, 1, 4, std::string("\1\4\0\0", 4)); // DNG version
    return t;
}

// One strip of JPEG data.
inline std::string DngWithStrip(const std::string& jpeg, int size = 8) {
    TiffMaker t = DngTags(size);
    t.Long(0x111, 0);
    t.Short(0x116, uint16_t(size));
    t.Long(0x117, uint32_t(jpeg.size()));
    t.Long(0x111, uint32_t(t.DataAt()));
    return t.Make(jpeg);
}

// Tiles of `tile` × `tile` samples that all point at the same JPEG data.
inline std::string DngWithSharedTiles(const std::string& jpeg, int size, int tile) {
    TiffMaker t = DngTags(size);
    const uint32_t tiles = uint32_t((size / tile) * (size / tile));
    t.Short(0x142, uint16_t(tile));
    t.Short(0x143, uint16_t(tile));
    t.Add(0x144, 4, tiles, std::string(4 * tiles, '\0'));
    std::string counts;
    for (uint32_t i = 0; i < tiles; ++i)
        counts += TiffMaker::Le(uint32_t(jpeg.size()), 4);
    t.Add(0x145, 4, tiles, counts);
    std::string offsets;
    for (uint32_t i = 0; i < tiles; ++i)
        offsets += TiffMaker::Le(uint32_t(t.DataAt()), 4);
    t.Add(0x144, 4, tiles, offsets);
    return t.Make(jpeg);
}

// JPEG data with Huffman tables of about `bytes` put after its start: each table one code.
inline std::string WithHuffmanTables(const std::string& jpeg, std::size_t bytes) {
    std::string tables;
    while (tables.size() + 18 + 4 <= 65535 && tables.size() + 18 + 4 <= bytes)
        tables += std::string("\x00\x01", 2) + std::string(15, '\0') + '\0';
    const std::size_t length = tables.size() + 2;
    return jpeg.substr(0, 2) + "\xFF\xC4" + char(length >> 8) + char(length) + tables +
           jpeg.substr(2);
}

// A grey JPEG of `size` x `size` samples from cjpeg, as a DNG's strips and tiles hold.
inline std::string GreyJpeg(int size) {
    std::string pgm = "P5\n" + std::to_string(size) + " " + std::to_string(size) + "\n255\n";
    for (int i = 0; i < size * size; ++i)
        pgm += char(i * 7);
    return stravel::testing::RunTool({"cjpeg", "-grayscale"}, pgm).out;
}

} // namespace picturetest
