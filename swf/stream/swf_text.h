// The one text codec of the SWF layer: UTF-8 from SWF 6 on, Latin-1 before. It never
// depends on the process locale, and sizes are always counted in encoded bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/bitstream/byte_buffer.h"

namespace ravuz {

// The version that records built in memory encode their text for until told otherwise.
constexpr uint8_t kSwfDefaultTextVersion = 6;

inline bool SwfTextIsUtf8(uint8_t version) {
    return version >= 6;
}

// Bytes of `text` as a SWF of `version` stores it: the text ends at its first NUL (as C text
// does), a character Latin-1 lacks becomes '?', and the result is cut at a character
// boundary so that it never exceeds `maxBytes`.
std::size_t SwfTextSize(std::wstring_view text, uint8_t version, std::size_t maxBytes = SIZE_MAX);
// Appends exactly SwfTextSize(text, version, maxBytes) bytes.
void SwfAppendText(CBK_ByteBuffer& out, std::wstring_view text, uint8_t version,
                   std::size_t maxBytes = SIZE_MAX);
std::string SwfEncodeText(std::wstring_view text, uint8_t version, std::size_t maxBytes = SIZE_MAX);

// Text from stored bytes, up to the first zero byte. Invalid UTF-8 bytes become the
// characters U+DC80 to U+DCFF, which encode back to the same bytes, so that reading and
// writing again never changes a file.
std::wstring SwfDecodeText(const uint8_t* bytes, std::size_t size, uint8_t version);

} // namespace ravuz
