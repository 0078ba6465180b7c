// Pictures and movies whose decoders do far more than their bytes suggest: FLIC frames that
// clear the whole frame for each six-byte chunk, Go2Meeting frames that repaint a tile as
// large as the frame for each few-byte chunk or set aside room for huge tiles, OpenEXR blocks
// that all name one zlib chunk, and QuickTime movies whose samples may all name one payload
// (no encoder here makes FLIC frames of that kind, TDSC or Go2Meeting).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/pict/exif_segment.h"
#include "tests/platform/pict/metadata_bombs.h"

namespace picturetest {

inline std::string Be(uint64_t v, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char(v >> (8 * i));
    return out;
}

// The zlib stream of `bytes`.
inline std::string Deflate(const std::string& bytes) {
    uLongf size = compressBound(uLong(bytes.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(bytes.data()), uLong(bytes.size()), 9);
    out.resize(size);
    return out;
}

// An 8-bit FLIC frame of `clears` chunks that each set the whole frame to colour 0.
inline std::string FlicClears(int clears) {
    std::string chunks;
    for (int i = 0; i < clears; ++i)
        chunks += Le(6, 4) + Le(13, 2);
    return Le(uint32_t(16 + chunks.size()), 4) + Le(0xF1FA, 2) + Le(uint32_t(clears), 2) +
           std::string(8, '\0') + chunks;
}

// A Go2Meeting frame of `width` × `height` pixels in one tile: its display info `infos` times,
// each setting aside room for tiles of `tile` × `tile` pixels, then the tile painted grey
// `paints` times, each by a chunk of eleven bytes.
inline std::string G2mFrame(int width, int height, int tile, int infos, int paints) {
    auto chunk = [](int type, const std::string& data) {
        return Le(uint32_t(data.size() + 1), 4) + char(type) + data;
    };
    std::string out = "G2M4";
    for (int i = 0; i < infos; ++i)
        out += chunk(0xC8, Be(uint32_t(width), 4) + Be(uint32_t(height), 4) + Be(3, 4) +
                               Be(uint32_t(tile), 4) + Be(uint32_t(tile), 4) + char(32) +
                               Be(0xFF0000, 4) + Be(0xFF00, 4) + Be(0xFF, 4) + Be(0, 4));
    for (int i = 0; i < paints; ++i)
        out += chunk(0xC9, std::string("\0\0\0\x80\x80\x80", 6)); // tile (0, 0), one colour
    return out;
}

// A RemotelyAnywhere screen capture set up at `width` × `height` in 32 bits, then cleared by
// `clears` chunks of eight bytes, then `moves` regions as large as the frame cleared by one
// move chunk, whose list of moves is deflated, then given a cursor of `cursor` × `cursor`
// pixels of many colours, drawn at the frame's corner.
inline std::string RascFrame(int width, int height, int clears, int moves, int cursor = 0) {
    std::string out = std::string("FINT") + Le(72, 4) + Le(0x65, 4) + std::string(4, '\0') +
                      Le(uint32_t(width), 4) + Le(uint32_t(height), 4) + std::string(30, '\0') +
                      Le(32, 2) + std::string(24, '\0');
    for (int i = 0; i < clears; ++i)
        out += std::string("FINT") + Le(0, 4);
    if (moves > 0) {
        std::string list;
        for (int i = 0; i < moves; ++i)
            list += Le(1, 2) + Le(0, 4) + Le(uint32_t(width - 1), 2) + Le(uint32_t(height - 1), 2) +
                    std::string(6, '\0');
        const std::string body = std::string(8, '\0') + Le(uint32_t(moves), 4) +
                                 std::string(8, '\0') + Le(1, 4) + Deflate(list);
        out += "MOVE" + Le(uint32_t(body.size()), 4) + body;
    }
    if (cursor > 0) {
        std::string shape;
        for (uint32_t i = 0; i < uint32_t(3 * cursor * cursor); ++i)
            shape += char(i % 251);
        const uint32_t side = uint32_t(cursor);
        const std::string body = std::string(8, '\0') + Le(side, 4) + Le(side, 4) +
                                 std::string(12, '\0') + Le(uint32_t(shape.size()), 4) +
                                 Deflate(shape);
        out += "MOUS" + Le(uint32_t(body.size()), 4) + body;
    }
    return out;
}

// A frame of Gryphon's animations whose `segments` each fill the whole of a 1024 x 1024 frame
// grey with one tile record of four bytes.
inline std::string ArbcFrame(int segments) {
    std::string out = std::string(8, '\0') + Le(uint32_t(segments), 2);
    for (int i = 0; i < segments; ++i)
        out += std::string("\x80\0\x80\0\x80\0\x10", 7) + Le(1, 2) + Le(0, 2) + Le(0xFFFF, 2);
    return out;
}

// An OpenEXR picture of 16 × (16 × `blocks`) pixels, ZIP-compressed in blocks of 16 lines,
// with R, G and B and `others` more half-float channels that nothing draws: its blocks all
// name one zlib chunk of zeros (`shared`), or each has a chunk of its own.
inline std::string ExrBlocks(int others, int blocks, bool shared) {
    auto attribute = [](const std::string& name, const std::string& type,
                        const std::string& value) {
        return name + '\0' + type + '\0' + Le(uint32_t(value.size()), 4) + value;
    };
    std::string channels;
    std::vector<std::string> names{"B", "G", "R"};
    for (int i = 0; i < others; ++i)
        names.push_back(std::string("n").append(std::to_string(i)));
    for (const std::string& name : names)
        channels += name + '\0' + Le(1, 4) + std::string(4, '\0') + Le(1, 4) + Le(1, 4);
    channels += '\0';
    const int height = 16 * blocks;
    const std::string box = Le(0, 4) + Le(0, 4) + Le(15, 4) + Le(uint32_t(height - 1), 4);
    std::string header =
        std::string("\x76\x2F\x31\x01\x02\0\0\0", 8) + attribute("channels", "chlist", channels) +
        attribute("compression", "compression", std::string(1, '\3')) +
        attribute("dataWindow", "box2i", box) + attribute("displayWindow", "box2i", box) +
        attribute("lineOrder", "lineOrder", std::string(1, '\0')) +
        attribute("pixelAspectRatio", "float", Le(0x3F800000, 4)) +
        attribute("screenWindowCenter", "v2f", std::string(8, '\0')) +
        attribute("screenWindowWidth", "float", Le(0x3F800000, 4)) + '\0';
    // Each block's lines inflate to 16 × 16 samples of 2 bytes for every channel.
    const std::string zeros = Deflated(std::size_t(16) * 16 * 2 * names.size(), '\0');
    const std::size_t tableEnd = header.size() + 8 * std::size_t(blocks);
    std::string table, data;
    for (int i = 0; i < blocks; ++i) {
        const uint64_t at = tableEnd + (shared ? 0 : data.size());
        table += Le(uint32_t(at), 4) + Le(uint32_t(at >> 32), 4);
        if (!shared || i == 0)
            data += Le(uint32_t(shared ? 0 : 16 * i), 4) + Le(uint32_t(zeros.size()), 4) + zeros;
    }
    return header + table + data;
}

// A QuickTime movie of one video track of `width` × `height` pixels whose samples, of codec
// `codec`, are `payloads` in turn, each in the file once; or `payloads`[0] named `count` times.
inline std::string QuickTimeMovie(const std::string& codec, int width, int height,
                                  const std::vector<std::string>& payloads, int count = 0) {
    auto atom = [](const std::string& type, const std::string& body) {
        return Be(uint32_t(8 + body.size()), 4) + type + body;
    };
    const int samples = count > 0 ? count : int(payloads.size());
    const std::string matrix = Be(0x10000, 4) + Be(0, 4) + Be(0, 4) + Be(0, 4) + Be(0x10000, 4) +
                               Be(0, 4) + Be(0, 4) + Be(0, 4) + Be(0x40000000, 4);
    const uint32_t duration = uint32_t(samples) * 20; // at 600 a second: 30 a second
    const std::string mvhd = atom("mvhd", Be(0, 4) + Be(0, 8) + Be(600, 4) + Be(duration, 4) +
                                              Be(0x10000, 4) + Be(0x100, 2) + std::string(10, 0) +
                                              matrix + std::string(24, '\0') + Be(2, 4));
    const std::string tkhd =
        atom("tkhd", Be(0xF, 4) + Be(0, 8) + Be(1, 4) + Be(0, 4) + Be(duration, 4) +
                         std::string(8, '\0') + Be(0, 8) + matrix + Be(uint32_t(width) << 16, 4) +
                         Be(uint32_t(height) << 16, 4));
    const std::string mdhd =
        atom("mdhd", Be(0, 4) + Be(0, 8) + Be(600, 4) + Be(duration, 4) + Be(0, 4));
    const std::string hdlr =
        atom("hdlr", Be(0, 4) + "mhlr" + "vide" + std::string(12, '\0') + std::string(1, '\0'));
    const std::string entry =
        Be(86, 4) + codec + std::string(6, '\0') + Be(1, 2) + std::string(16, '\0') +
        Be(uint32_t(width), 2) + Be(uint32_t(height), 2) + Be(0x480000, 4) + Be(0x480000, 4) +
        Be(0, 4) + Be(1, 2) + std::string(32, '\0') + Be(24, 2) + Be(0xFFFF, 2);
    std::string mdat, sizes, offsets; // the media data comes first, after its 8-byte header
    for (int i = 0; i < samples; ++i) {
        const std::string& payload = payloads[count > 0 ? 0 : std::size_t(i)];
        const std::size_t at = count > 0 ? 0 : mdat.size();
        if (count == 0 || i == 0)
            mdat += payload;
        sizes += Be(uint32_t(payload.size()), 4);
        offsets += Be(uint32_t(8 + at), 4);
    }
    const std::string stbl =
        atom("stbl", atom("stsd", Be(0, 4) + Be(1, 4) + entry) +
                         atom("stts", Be(0, 4) + Be(1, 4) + Be(uint32_t(samples), 4) + Be(20, 4)) +
                         atom("stsc", Be(0, 4) + Be(1, 4) + Be(1, 4) + Be(1, 4) + Be(1, 4)) +
                         atom("stsz", Be(0, 4) + Be(0, 4) + Be(uint32_t(samples), 4) + sizes) +
                         atom("stco", Be(0, 4) + Be(uint32_t(samples), 4) + offsets));
    const std::string dinf =
        atom("dinf", atom("dref", Be(0, 4) + Be(1, 4) + atom("alis", Be(1, 4))));
    const std::string minf =
        atom("minf", atom("vmhd", Be(1, 4) + std::string(8, '\0')) + dinf + stbl);
    const std::string moov =
        atom("moov", mvhd + atom("trak", tkhd + atom("mdia", mdhd + hdlr + minf)));
    return atom("mdat", mdat) + moov;
}

} // namespace picturetest
