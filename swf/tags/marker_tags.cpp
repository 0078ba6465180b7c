#include "swf/tags/marker_tags.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {

// A length byte and at most 255 bytes of text.
void AddShortString(CBK_SwfStream& stream, const std::string& text) {
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    stream.Add(static_cast<uint8_t>(n));
    stream.AddBytes(text.data(), n);
}

std::string ReadShortString(CBK_SwfReader* reader) {
    const uint8_t n = reader->GetByte();
    std::vector<uint8_t> bytes;
    reader->GetBytes(bytes, n);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

uint32_t CBK_SwfQuillfern::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    ReadShortString(reader);
    ReadShortString(reader);
    _productName = ReadShortString(reader);
    _first = reader->GetDWord();
    _major = reader->GetWord();
    _second = reader->GetDWord();
    _minor = reader->GetWord();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfQuillfern::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        AddShortString(s, kMakerName);
        AddShortString(s, kMakerUrl);
        AddShortString(s, _productName);
        s.Add(_first);
        s.Add(_major);
        s.Add(_second);
        s.Add(_minor);
    });
}

} // namespace ravuz
