// Reader of string tables ("key" = "value"; pairs with C-style comments and escapes).
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tbx::strings_file {

// Parses the table text (UTF-8, or UTF-16 with a byte-order mark). Bytes that are not UTF-8
// are kept as byte escapes (platform/text_encoding.h). All or nothing: on a syntax error the
// result is false and `table` is left as it was.
bool Parse(std::string_view bytes, std::map<std::u16string, std::u16string>& table);

} // namespace tbx::strings_file
