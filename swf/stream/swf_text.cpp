#include "swf/stream/swf_text.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace ravuz {

namespace {

// Encoded form of one character: up to four bytes in `out`, returns how many.
inline int EncodeChar(uint32_t c, bool utf8, uint8_t out[4]) {
    // A byte that did not decode is written back as it was.
    if (tbx::text::IsByteEscape(c)) {
        out[0] = static_cast<uint8_t>(c - 0xDC00);
        return 1;
    }
    if (!utf8) {
        out[0] = c <= 0xFF ? static_cast<uint8_t>(c) : '?';
        return 1;
    }
    if (c < 0x80) {
        out[0] = static_cast<uint8_t>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<uint8_t>(0xC0 | (c >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (c & 0x3F));
        return 2;
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        out[0] = '?';
        return 1;
    }
    if (c < 0x10000) {
        out[0] = static_cast<uint8_t>(0xE0 | (c >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<uint8_t>(0xF0 | (c >> 18));
    out[1] = static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<uint8_t>(0x80 | (c & 0x3F));
    return 4;
}

inline int EncodedLength(uint32_t c, bool utf8) {
    if (!utf8 || c < 0x80 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 1;
    return c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

template <class Sink>
std::size_t Encode(std::wstring_view text, uint8_t version, std::size_t maxBytes, Sink&& sink) {
    const bool utf8 = SwfTextIsUtf8(version);
    std::size_t total = 0;
    for (wchar_t ch : text) {
        const uint32_t c = static_cast<uint32_t>(ch);
        if (c == 0)
            break;
        const std::size_t n = static_cast<std::size_t>(EncodedLength(c, utf8));
        if (n > maxBytes - total)
            break;
        sink(c, utf8);
        total += n;
    }
    return total;
}

} // namespace

std::size_t SwfTextSize(std::wstring_view text, uint8_t version, std::size_t maxBytes) {
    return Encode(text, version, maxBytes, [](uint32_t, bool) {});
}

void SwfAppendText(CBK_ByteBuffer& out, std::wstring_view text, uint8_t version,
                   std::size_t maxBytes) {
    // Room for the longest encoding (no more than the wide text itself takes), so that the
    // characters go straight into it.
    const std::size_t most = text.size() * (SwfTextIsUtf8(version) ? 4 : 1);
    uint8_t* at = out.Room(std::min(most, maxBytes));
    out.Grow(Encode(text, version, maxBytes,
                    [&at](uint32_t c, bool utf8) { at += EncodeChar(c, utf8, at); }));
}

std::string SwfEncodeText(std::wstring_view text, uint8_t version, std::size_t maxBytes) {
    CBK_ByteBuffer bytes;
    SwfAppendText(bytes, text, version, maxBytes);
    return std::string(bytes.begin(), bytes.end());
}

std::wstring SwfDecodeText(const uint8_t* bytes, std::size_t size, uint8_t version) {
    std::wstring text;
    if (!bytes)
        return text;
    text.reserve(size);
    const bool utf8 = SwfTextIsUtf8(version);
    std::size_t i = 0;
    while (i < size && bytes[i] != 0) {
        const uint8_t b = bytes[i];
        if (b < 0x80 || !utf8) {
            text.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        char32_t value = 0;
        const int n = tbx::text::DecodeUtf8Sequence(bytes + i, size - i, value);
        if (n == 0) {
            text.push_back(static_cast<wchar_t>(tbx::text::EscapeByte(b)));
            ++i;
        } else {
            text.push_back(static_cast<wchar_t>(value));
            i += static_cast<std::size_t>(n);
        }
    }
    return text;
}

} // namespace ravuz
