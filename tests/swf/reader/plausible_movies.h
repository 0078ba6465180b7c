// Compressed movies that real tools make and that compress far better than most, or hold
// far more objects than most: long timelines, long silences, flat pictures, big fonts and
// scripts. Written tag by tag with the model's own writers, so that nothing holds them as
// objects while they are made; for the tests and benchmarks of the readers' memory bound.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

#include "swf/bitmaps/define_bits_lossless.h"
#include "swf/header/swf_header.h"
#include "swf/records/matrix.h"
#include "swf/records/rect.h"
#include "swf/shapes/define_shape.h"
#include "swf/shapes/shape.h"
#include "swf/sound/sound_stream_block.h"
#include "swf/sound/sound_stream_head.h"
#include "swf/stream/swf_stream.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/tag_unknown.h"

namespace swfmovies {

using Bytes = std::vector<uint8_t>;
using namespace ravuz;

// python3's zlib inflating the stream after a SWF's first 8 bytes, every byte of it, held a
// chunk at a time; `n` is what it gave and `d.eof` whether the stream ended.
inline constexpr const char* kPythonInflateAll =
    "import sys, zlib\n"
    "d, n = zlib.decompressobj(), 0\n"
    "with open(sys.argv[1], 'rb') as f:\n"
    "    f.seek(8)\n"
    "    for c in iter(lambda: f.read(1 << 16), b''):\n"
    "        n += len(d.decompress(c, 1 << 20))\n"
    "        while d.unconsumed_tail:\n"
    "            n += len(d.decompress(d.unconsumed_tail, 1 << 20))\n";

// A movie's tags as bytes, each written and freed as it is added.
class MovieMaker {
public:
    explicit MovieMaker(float rate = 12.0f, uint8_t version = 6) : _body(version), _rate(rate) {}

    void Add(CBK_SwfTag* tag) {
        std::unique_ptr<CBK_SwfTag> owned(tag);
        if (tag->GetTagId() == kSwfTagShowFrame)
            ++_frames;
        tag->Write(&_body);
        ++_tags;
    }
    // A tag of a code the model keeps as stored.
    void AddStored(uint16_t code, const Bytes& payload) {
        auto* tag = new CBK_SwfTagUnknown(code, 0);
        tag->SetPayload(payload);
        tag->SetLongHeader(payload.size() > 62);
        Add(tag);
    }
    std::size_t Tags() const { return _tags; }

    // The whole movie, End added, compressed as the compressor does ("CWS", zlib level 9).
    Bytes Compressed() {
        Add(new CBK_SwfEnd);
        CBK_SwfHeader header;
        header.Create(6400, 4800, _rate, static_cast<uint16_t>(std::min(_frames, 65535u)),
                      _body.GetVersion());
        CBK_SwfStream head(_body.GetVersion());
        header.Write(&head);
        const CBK_ByteBuffer& body = _body.GetStream();
        header.SetFileSize(static_cast<uint32_t>(head.GetRealSize() + body.size()));
        head.Destroy();
        header.Write(&head);
        const CBK_ByteBuffer& fields = head.GetStream();
        Bytes plain(fields.begin() + 8, fields.end());
        plain.insert(plain.end(), body.begin(), body.end());
        uLongf size = compressBound(plain.size());
        Bytes file(fields.begin(), fields.begin() + 8);
        file[0] = 'C';
        file.resize(8 + size);
        compress2(file.data() + 8, &size, plain.data(), plain.size(), 9);
        file.resize(8 + size);
        return file;
    }

private:
    CBK_SwfStream _body;
    float _rate;
    uint32_t _frames = 0;
    std::size_t _tags = 0;
};

inline CBK_SwfMatrix* Translation(int32_t x, int32_t y) {
    auto* matrix = new CBK_SwfMatrix;
    matrix->SetTranslation(x, y);
    return matrix;
}

// Character `depth` placed at (x, y) in frame `frame`: put there in the first, moved after.
inline CBK_SwfPlaceObject2* Placed(uint16_t depth, uint32_t frame, int32_t x, int32_t y) {
    auto* place = new CBK_SwfPlaceObject2;
    place->SetDepth(depth);
    if (frame == 0)
        place->SetCharacterId(depth);
    place->SetMove(frame > 0);
    place->SetMatrix(Translation(x, y));
    return place;
}

// A box shape of a solid colour, as a builder makes one.
inline CBK_SwfDefineShape* Box(uint16_t id, int32_t size, uint32_t colour) {
    auto* shape = new CBK_SwfDefineShape3;
    shape->SetCharacterId(id);
    auto* fill = new CBK_SwfFillStyle(
        new CBK_SwfColorAlpha(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF, 255),
        true);
    shape->CreateBox(0, 0, size, size, fill, nullptr);
    return shape;
}

// `frames` frames of `perFrame` characters moved at every frame through a cycle of 24
// positions, as a walk cycle or a loop does: 16 a frame over 65,535 frames is 1.1 million
// tags in some 60 kB.
inline Bytes Timeline(uint32_t frames, uint32_t perFrame) {
    MovieMaker movie(24.0f);
    for (uint16_t d = 1; d <= perFrame; ++d)
        movie.Add(Box(d, 400, 0x3060C0u * d));
    for (uint32_t f = 0; f < frames; ++f) {
        for (uint16_t d = 1; d <= perFrame; ++d)
            movie.Add(Placed(d, f, d * 300 + int32_t(f % 24) * 40, d * 200));
        movie.Add(new CBK_SwfShowFrame);
    }
    return movie.Compressed();
}

// An MPEG-1 layer III frame of digital silence: 128 kbit/s, 44.1 kHz, stereo, no side
// information and no main data.
inline Bytes SilentMp3Frame() {
    Bytes frame(417, 0);
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = 0x90;
    frame[3] = 0x00;
    return frame;
}

// A streamed sound of `frames` frames, every block `block` (its bytes after the head).
inline void AddSoundStream(MovieMaker& movie, uint8_t format, uint16_t samples, uint32_t frames,
                           const Bytes& block) {
    auto* head = new CBK_SwfSoundStreamHead2;
    head->Create(0x0F, 0x0F, samples);
    head->SetStreamFormat(format);
    movie.Add(head);
    for (uint32_t f = 0; f < frames; ++f) {
        auto* tag = new CBK_SwfSoundStreamBlock;
        tag->SetData(block.data(), block.size());
        movie.Add(tag);
        movie.Add(new CBK_SwfShowFrame);
    }
}

// `minutes` of MP3 silence as a sound stream at 12 fps, three frames of 1152 samples a block.
inline Bytes Mp3Silence(uint32_t minutes) {
    MovieMaker movie(12.0f);
    Bytes block{0x80, 0x0D, 0x00, 0x00}; // 3456 samples, no seek
    const Bytes frame = SilentMp3Frame();
    for (int i = 0; i < 3; ++i)
        block.insert(block.end(), frame.begin(), frame.end());
    AddSoundStream(movie, CBK_SwfSoundCodes::FORMAT_MP3, 3456, minutes * 60 * 12, block);
    return movie.Compressed();
}

// `minutes` of 16-bit stereo 44.1 kHz PCM silence as a sound stream at 12 fps.
inline Bytes PcmSilence(uint32_t minutes) {
    MovieMaker movie(12.0f);
    AddSoundStream(movie, CBK_SwfSoundCodes::FORMAT_UNCOMPRESSED_LITTLE_ENDIAN, 3675,
                   minutes * 60 * 12, Bytes(3675 * 4, 0));
    return movie.Compressed();
}

// `count` lossless 32-bit bitmaps of one colour, `side` pixels square, whose own zlib stores
// them uncompressed (as some encoders do).
inline Bytes FlatBitmaps(uint32_t count, uint16_t side) {
    MovieMaker movie;
    const Bytes pixels(std::size_t(side) * side * 4, 0xC0);
    uLongf size = compressBound(pixels.size());
    Bytes stored(size);
    compress2(stored.data(), &size, pixels.data(), pixels.size(), 0);
    stored.resize(size);
    for (uint16_t i = 1; i <= count; ++i) {
        auto* bitmap = new CBK_SwfDefineBitsLossless2;
        bitmap->SetCharacterId(i);
        bitmap->SetBitmapWidth(side);
        bitmap->SetBitmapHeight(side);
        bitmap->SetPayload(stored.data(), stored.size());
        movie.Add(bitmap);
    }
    movie.Add(new CBK_SwfShowFrame);
    return movie.Compressed();
}

// A cartoon at 24 fps: 59 characters moving along their own paths in every frame, a block
// of MP3 sound a frame: 61 tags a frame, 1.93 million in 22 minutes.
inline Bytes Cartoon(uint32_t minutes) {
    MovieMaker movie(24.0f);
    constexpr uint16_t kCast = 59;
    for (uint16_t d = 1; d <= kCast; ++d)
        movie.Add(Box(d, 200 + 10 * d, 0x102030u * d));
    auto* head = new CBK_SwfSoundStreamHead2;
    head->Create(0x0F, 0x0F, 1152);
    head->SetStreamFormat(CBK_SwfSoundCodes::FORMAT_MP3);
    movie.Add(head);
    Bytes block{0x80, 0x04, 0x00, 0x00}; // 1152 samples, no seek
    const Bytes frame = SilentMp3Frame();
    block.insert(block.end(), frame.begin(), frame.end());
    const uint32_t frames = minutes * 60 * 24;
    for (uint32_t f = 0; f < frames; ++f) {
        for (uint16_t d = 1; d <= kCast; ++d) {
            const int32_t step = int32_t(f) * (d % 7 + 1);
            movie.Add(Placed(d, f, (d * 97 + step * 3) % 6400, (d * 61 + step) % 4800));
        }
        auto* sound = new CBK_SwfSoundStreamBlock;
        sound->SetData(block.data(), block.size());
        movie.Add(sound);
        movie.Add(new CBK_SwfShowFrame);
    }
    return movie.Compressed();
}

// A font of `glyphs` glyphs, each a box of its own size, with wide codes, offsets and a
// layout, as the payload of a DefineFont2 (code 48) or DefineFont3 (code 75) tag.
inline Bytes FontPayload(uint32_t glyphs, uint8_t version) {
    CBK_SwfStream shapes(version);
    std::vector<uint32_t> offsets;
    const uint32_t table = 4 * (glyphs + 1);
    for (uint32_t i = 0; i < glyphs; ++i) {
        offsets.push_back(table + shapes.GetByteCount());
        CBK_SwfShape glyph;
        glyph.Create(1, 0);
        SwfAddBoxRecords(glyph, 0, 0, 400 + int32_t(i % 500), 700, true, false);
        glyph.Write(&shapes);
    }
    CBK_SwfStream out(version);
    out.Add(uint16_t(1));   // font id
    out.Add(uint8_t(0x8C)); // layout, wide offsets, wide codes
    out.Add(uint8_t(0));    // language
    out.Add(uint8_t(4));
    out.Add(std::string("Mono"));
    out.Add(static_cast<uint16_t>(glyphs));
    for (uint32_t offset : offsets)
        out.Add(offset);
    out.Add(table + shapes.GetByteCount()); // the code table
    out.Add(&shapes);
    for (uint32_t i = 0; i < glyphs; ++i)
        out.Add(static_cast<uint16_t>(0x4E00 + i));
    out.Add(uint16_t(800)); // ascent, descent, leading
    out.Add(uint16_t(200));
    out.Add(uint16_t(0));
    for (uint32_t i = 0; i < glyphs; ++i)
        out.Add(static_cast<uint16_t>(420 + i % 500));
    for (uint32_t i = 0; i < glyphs; ++i) {
        CBK_SwfRect bounds(0, 0, 400 + int32_t(i % 500), 700);
        bounds.Write(&out);
        out.ByteAlign();
    }
    out.Add(uint16_t(0)); // no kerning
    const CBK_ByteBuffer& bytes = out.GetStream();
    return Bytes(bytes.begin(), bytes.end());
}

inline Bytes Font(uint16_t code, uint32_t glyphs) {
    MovieMaker movie;
    movie.AddStored(code, FontPayload(glyphs, 6));
    movie.Add(new CBK_SwfShowFrame);
    return movie.Compressed();
}

// A script filling a table of `entries` keys, as a compiler writes `t.k<i> = i` with the
// table in register 1: three actions an entry, all in one DoAction.
inline Bytes ScriptTable(uint32_t entries) {
    Bytes code;
    auto word = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            code.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    for (uint32_t i = 0; i < entries; ++i) {
        const std::string digits = std::to_string(i);
        code.push_back(0x96); // Push register 1, the key k<i>
        word(static_cast<uint32_t>(2 + 1 + digits.size() + 2), 2);
        code.insert(code.end(), {4, 1, 0, 'k'});
        code.insert(code.end(), digits.begin(), digits.end());
        code.push_back(0);
        code.insert(code.end(), {0x96, 5, 0, 7}); // Push integer i
        word(i, 4);
        code.push_back(0x4F); // SetMember
    }
    code.push_back(0);
    MovieMaker movie;
    movie.AddStored(kSwfTagDoAction, code);
    movie.Add(new CBK_SwfShowFrame);
    return movie.Compressed();
}

} // namespace swfmovies
