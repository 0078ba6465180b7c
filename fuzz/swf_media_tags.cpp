// Sound, video, bitmap and button tags over untrusted payloads. The first byte picks the tag
// kind and the movie version, the second how much of the rest the tag's length covers (the
// bytes after it stand for the next tag). A read never passes the tag's end; what is read
// writes to bytes that read back whole and write again unchanged.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "swf/bitmaps/define_bits.h"
#include "swf/bitmaps/define_bits_lossless.h"
#include "swf/bitmaps/jpeg_tables.h"
#include "swf/buttons/define_button.h"
#include "swf/buttons/define_button_cxform.h"
#include "swf/buttons/define_button_sound.h"
#include "swf/sound/define_sound.h"
#include "swf/sound/mpeg_frame.h"
#include "swf/sound/sound_stream_block.h"
#include "swf/sound/sound_stream_head.h"
#include "swf/sound/start_sound.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/video/bit_stream_parser.h"
#include "swf/video/define_video_stream.h"
#include "swf/video/screen_video_packet.h"
#include "swf/video/video_frame.h"

namespace {

using namespace ravuz;
using Bytes = std::vector<uint8_t>;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

Bytes Written(CBK_SwfTag& tag, uint8_t version) {
    CBK_SwfStream s(version);
    const uint32_t n = tag.Write(&s);
    const auto& stream = s.GetStream();
    Bytes out(stream.begin(), stream.end());
    Check(n == out.size());
    return out;
}

Bytes PayloadOf(const Bytes& tag) {
    const std::size_t header = tag.size() >= 2 && (tag[0] & 0x3F) == 0x3F ? 6 : 2;
    return Bytes(tag.begin() + static_cast<std::ptrdiff_t>(std::min(header, tag.size())),
                 tag.end());
}

uint32_t ReadInto(CBK_SwfTag& tag, const Bytes& bytes, uint32_t tagLength, uint8_t version) {
    CBK_SwfReader reader;
    reader.CreateFromBytes(bytes.data(), bytes.size(), version);
    reader.SetCurrentTagLength(tagLength);
    return tag.Read(&reader);
}

// Reads the fuzzed payload into `first`, then checks the write, read, write cycle on `second`.
template <class Tag>
void Cycle(Tag& first, Tag& second, const Bytes& data, uint32_t tagLength, uint8_t version) {
    Check(ReadInto(first, data, tagLength, version) <= tagLength);
    const Bytes written = Written(first, version);
    if (written.empty())
        return; // refused as a whole: nothing to read back
    const Bytes payload = PayloadOf(written);
    Check(ReadInto(second, payload, static_cast<uint32_t>(payload.size()), version) ==
          payload.size());
    Check(Written(second, version) == written);
}

template <class Tag, class... Args>
void CycleNew(const Bytes& data, uint32_t tagLength, uint8_t version, Args... args) {
    Tag first(args...), second(args...);
    Cycle(first, second, data, tagLength, version);
}

void FuzzVideoFrame(const Bytes& data, uint32_t tagLength, uint8_t version) {
    for (uint32_t recordLength : {0u, tagLength, tagLength / 2, 3u}) {
        CBK_SwfVideoFrame first(recordLength), second;
        Cycle(first, second, data, tagLength, version);
        first.GetFrameType();
        Check(first.GetQuantiser() < 32);
    }
}

void FuzzHeaders(const Bytes& data) {
    for (std::size_t i = 0; i + 4 <= data.size(); i += 4) {
        CMpegFrame frame;
        frame.SetHeader(data.data() + i);
        if (frame.IsValidHeader()) {
            Check(frame.GetSampleSize() >= 4);
            Check(frame.GetSamplingrate() != 0 && frame.GetBitrate() != 0);
        }
        frame.GetSampleSize();
        frame.GetDecodedFrameSize();
    }
    CBK_SwfDefineSound sound;
    sound.CreateFromBuffer(reinterpret_cast<const char*>(data.data()), data.size());
}

// A screen-video packet from the bytes: writes all of itself or nothing.
void FuzzPacket(const Bytes& data) {
    if (data.size() < 4)
        return;
    CBK_SwfScreenVideoPacket packet(16u * (data[0] % 18), 16u * (data[1] % 18),
                                    uint32_t(data[2]) * 17, uint32_t(data[3]) * 17);
    std::size_t p = 4;
    while (p + 1 < data.size()) {
        const std::size_t n = std::min<std::size_t>(data[p], data.size() - p - 1);
        auto* block = new CBK_SwfImageBlock;
        block->SetPayload(data.data() + p + 1, n);
        packet.AddImageBlock(block);
        p += 1 + n;
    }
    CBK_SwfStream s(7);
    const uint32_t n = packet.Write(&s);
    Check(n == s.GetStream().size());
    Check((n == 0) == !packet.IsWritable());

    CBK_BitStreamParser parser;
    parser.Add(data.data(), data.size());
    uint8_t out[8];
    for (uint8_t op : data) {
        if (op & 1)
            parser.GetBits(op >> 3, (op & 2) != 0);
        else
            Check(parser.GetBits(out, op % 64) <= op % 64);
        if ((op & 6) == 6)
            parser.ByteAlign();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 1 << 16)
        return 0;
    const uint8_t kind = data[0] & 0x1F;
    const uint8_t version = static_cast<uint8_t>(4 + ((data[0] >> 5) & 3));
    const Bytes rest(data + 2, data + size);
    const auto tagLength =
        static_cast<uint32_t>(data[1] == 0xFF ? rest.size() : rest.size() * data[1] / 255);
    switch (kind) {
    case 0:
        CycleNew<CBK_SwfSoundStreamHead>(rest, tagLength, version);
        break;
    case 1:
        CycleNew<CBK_SwfSoundStreamHead2>(rest, tagLength, version);
        break;
    case 2:
        CycleNew<CBK_SwfSoundStreamBlock>(rest, tagLength, version);
        break;
    case 3:
        CycleNew<CBK_SwfDefineSound>(rest, tagLength, version);
        break;
    case 4:
        CycleNew<CBK_SwfStartSound>(rest, tagLength, version);
        break;
    case 5:
        CycleNew<CBK_SwfDefineVideoStream>(rest, tagLength, version);
        break;
    case 6:
        FuzzVideoFrame(rest, tagLength, version);
        break;
    case 7:
        CycleNew<CBK_SwfJpegTables>(rest, tagLength, version, tagLength);
        break;
    case 8:
        CycleNew<CBK_SwfDefineBits>(rest, tagLength, version, tagLength);
        break;
    case 9:
        CycleNew<CBK_SwfDefineBitsJpeg2>(rest, tagLength, version);
        break;
    case 10:
        CycleNew<CBK_SwfDefineBitsJpeg3>(rest, tagLength, version);
        break;
    case 11:
        CycleNew<CBK_SwfDefineBitsLossless>(rest, tagLength, version, 5);
        break;
    case 12:
        CycleNew<CBK_SwfDefineBitsLossless2>(rest, tagLength, version, 5);
        break;
    case 13:
        CycleNew<CBK_SwfDefineButton>(rest, tagLength, version);
        break;
    case 14: {
        CBK_SwfDefineButton2 first, second;
        Cycle(first, second, rest, tagLength, version);
        CBK_SwfDefineButton2 copy(first);
        Check(Written(copy, version) == Written(first, version));
        if (first.adjustPaths(L"/p\u00E9")) {
            const Bytes prefixed = Written(first, version);
            CBK_SwfDefineButton2 again;
            const Bytes payload = PayloadOf(prefixed);
            if (!prefixed.empty())
                ReadInto(again, payload, static_cast<uint32_t>(payload.size()), version);
            Check(first.adjustPaths(nullptr));
        }
        break;
    }
    case 15:
        CycleNew<CBK_SwfDefineButtonCxForm>(rest, tagLength, version);
        break;
    case 16:
        CycleNew<CBK_SwfDefineButtonSound>(rest, tagLength, version);
        break;
    case 17:
        FuzzHeaders(rest);
        break;
    default:
        FuzzPacket(rest);
    }
    return 0;
}
