#include "swf/flv/flv_stream.h"

#include <string>

#include "platform/text_encoding.h"

namespace {

std::string Utf8(const wchar_t* text) {
    std::string out;
    if (!text)
        return out;
    std::string piece;
    for (const wchar_t* p = text; *p; ++p) {
        piece.clear();
        tbx::text::AppendUtf8(piece, static_cast<char32_t>(*p));
        if (out.size() + piece.size() > 0xFFFF)
            break;
        out += piece;
    }
    return out;
}

} // namespace

void CBK_FlvStream::AddString(const wchar_t* text) {
    const std::string bytes = Utf8(text);
    AddWord(static_cast<uint16_t>(bytes.size()));
    AddMemBlock(reinterpret_cast<const uint8_t*>(bytes.data()),
                static_cast<uint32_t>(bytes.size()));
}

uint32_t CBK_FlvStream::StringSize(const wchar_t* text) {
    return 2 + static_cast<uint32_t>(Utf8(text).size());
}
