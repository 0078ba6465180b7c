// Shape, morph-shape, font and text tags over untrusted bytes. The first byte picks the tag
// kind and the movie version; whatever is read must stay within the bytes given and write
// back to bytes that read and write again unchanged, copies included.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "swf/fonts/define_font.h"
#include "swf/fonts/define_font2.h"
#include "swf/fonts/define_font_info.h"
#include "swf/morph/define_morph_shape.h"
#include "swf/shapes/define_shape.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/text/define_edit_text.h"
#include "swf/text/define_text.h"

namespace {

using namespace ravuz;
using Bytes = std::vector<uint8_t>;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

std::unique_ptr<CBK_SwfReader> Over(const Bytes& bytes, uint8_t version) {
    auto reader = std::make_unique<CBK_SwfReader>();
    reader->CreateFromBytes(bytes.data(), bytes.size(), version);
    return reader;
}

Bytes Written(CBK_SwfObj& object, uint8_t version) {
    CBK_SwfStream s(version);
    const uint32_t n = object.Write(&s);
    const auto& stream = s.GetStream();
    Bytes out(stream.begin(), stream.end());
    Check(n == out.size());
    return out;
}

template <class Tag>
void FuzzTag(const Bytes& data, uint8_t version) {
    Tag first;
    auto reader = Over(data, version);
    Check(first.Read(reader.get()) <= data.size());
    Check(reader->GetBufPos() <= data.size());
    const Bytes written = Written(first, version);
    Check(Written(first, version) == written);
    const std::size_t header = written.size() >= 2 && (written[0] & 0x3F) == 0x3F ? 6 : 2;
    const Bytes payload(written.begin() + static_cast<std::ptrdiff_t>(header), written.end());
    Tag second;
    auto r2 = Over(payload, version);
    Check(second.Read(r2.get()) == payload.size());
    Check(Written(second, version) == written);
    Tag copy(first);
    Check(Written(copy, version) == written);
    copy.OffsetInfo(3, 7, 0);
    Written(copy, version);
}

// Records read from the bytes: written, read and written again, padded to a byte.
template <class Record>
void FuzzRecord(const Bytes& data, uint8_t version, Record&& first, Record&& second) {
    auto reader = Over(data, version);
    first.Read(reader.get());
    Check(reader->GetBufPos() <= data.size());
    CBK_SwfStream s(version);
    first.Write(&s);
    s.ByteAlign();
    const auto& stream = s.GetStream();
    const Bytes written(stream.begin(), stream.end());
    auto r2 = Over(written, version);
    second.Read(r2.get());
    CBK_SwfStream t(version);
    second.Write(&t);
    t.ByteAlign();
    Check(t.GetStream() == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 16)
        return 0;
    const uint8_t mode = data[0] & 0x0F;
    const uint8_t version = static_cast<uint8_t>(4 + ((data[0] >> 4) & 3));
    const bool alpha = (data[0] & 0x40) != 0;
    const Bytes rest(data + 1, data + size);
    switch (mode) {
    case 0:
        FuzzTag<CBK_SwfDefineShape>(rest, version);
        break;
    case 1:
        FuzzTag<CBK_SwfDefineShape2>(rest, version);
        break;
    case 2:
        FuzzTag<CBK_SwfDefineShape3>(rest, version);
        break;
    case 3:
        FuzzTag<CBK_SwfDefineMorphShape>(rest, version);
        break;
    case 4:
        FuzzTag<CBK_SwfDefineFont>(rest, version);
        break;
    case 5:
        FuzzTag<CBK_SwfDefineFont2>(rest, version);
        break;
    case 6:
        FuzzTag<CBK_SwfDefineFontInfo>(rest, version);
        break;
    case 7:
        FuzzTag<CBK_SwfDefineFontInfo2>(rest, version);
        break;
    case 8:
        FuzzTag<CBK_SwfDefineText>(rest, version);
        break;
    case 9:
        FuzzTag<CBK_SwfDefineText2>(rest, version);
        break;
    case 10:
        FuzzTag<CBK_SwfDefineEditText>(rest, version);
        break;
    case 11: {
        CBK_SwfShape a, b;
        a.SetAlpha(alpha);
        b.SetAlpha(alpha);
        FuzzRecord(rest, version, a, b);
        break;
    }
    case 12:
        FuzzRecord(rest, version, CBK_SwfShapeWithStyle(alpha), CBK_SwfShapeWithStyle(alpha));
        break;
    case 13:
        FuzzRecord(rest, version, CBK_SwfFillStyleArray(alpha), CBK_SwfFillStyleArray(alpha));
        FuzzRecord(rest, version, CBK_SwfLineStyleArray(alpha), CBK_SwfLineStyleArray(alpha));
        break;
    case 14:
        FuzzRecord(rest, version, CBK_SwfMorphFillStyleArray(), CBK_SwfMorphFillStyleArray());
        FuzzRecord(rest, version, CBK_SwfMorphLineStyleArray(), CBK_SwfMorphLineStyleArray());
        break;
    default:
        FuzzRecord(rest, version, CBK_SwfGradient(alpha), CBK_SwfGradient(alpha));
        FuzzRecord(rest, version, CBK_SwfMorphGradient(), CBK_SwfMorphGradient());
    }
    return 0;
}
