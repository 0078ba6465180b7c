#include "swf/stream/swf_text.h"

namespace ravuz {

namespace {

// A byte that did not decode is carried as one of these characters.
constexpr uint32_t kEscapeFirst = 0xDC80;
constexpr uint32_t kEscapeLast = 0xDCFF;

// Encoded form of one character: up to four bytes in `out`, returns how many.
inline int EncodeChar(uint32_t c, bool utf8, uint8_t out[4]) {
    if (c >= kEscapeFirst && c <= kEscapeLast) {
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

// Length of a well-formed UTF-8 sequence at `p` (strict: no overlong forms, surrogates or
// values above U+10FFFF), or 0.
inline int Utf8SequenceLength(const uint8_t* p, std::size_t left, uint32_t& value) {
    const uint8_t b0 = p[0];
    auto cont = [&](std::size_t i, uint8_t lo = 0x80, uint8_t hi = 0xBF) {
        return i < left && p[i] >= lo && p[i] <= hi;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (!cont(1))
            return 0;
        value = ((b0 & 0x1Fu) << 6) | (p[1] & 0x3Fu);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        const uint8_t lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const uint8_t hi = b0 == 0xED ? 0x9F : 0xBF;
        if (!cont(1, lo, hi) || !cont(2))
            return 0;
        value = ((b0 & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const uint8_t lo = b0 == 0xF0 ? 0x90 : 0x80;
        const uint8_t hi = b0 == 0xF4 ? 0x8F : 0xBF;
        if (!cont(1, lo, hi) || !cont(2) || !cont(3))
            return 0;
        value =
            ((b0 & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
        return 4;
    }
    return 0;
}

} // namespace

std::size_t SwfTextSize(std::wstring_view text, uint8_t version, std::size_t maxBytes) {
    return Encode(text, version, maxBytes, [](uint32_t, bool) {});
}

void SwfAppendText(std::vector<uint8_t>& out, std::wstring_view text, uint8_t version,
                   std::size_t maxBytes) {
    out.reserve(out.size() + text.size());
    Encode(text, version, maxBytes, [&out](uint32_t c, bool utf8) {
        uint8_t bytes[4];
        const int n = EncodeChar(c, utf8, bytes);
        out.insert(out.end(), bytes, bytes + n);
    });
}

std::string SwfEncodeText(std::wstring_view text, uint8_t version, std::size_t maxBytes) {
    std::vector<uint8_t> bytes;
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
        uint32_t value = 0;
        const int n = Utf8SequenceLength(bytes + i, size - i, value);
        if (n == 0) {
            text.push_back(static_cast<wchar_t>(0xDC00 + b));
            ++i;
        } else {
            text.push_back(static_cast<wchar_t>(value));
            i += static_cast<std::size_t>(n);
        }
    }
    return text;
}

} // namespace ravuz
