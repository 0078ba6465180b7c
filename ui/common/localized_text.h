// The text of a string id, telling a missing id apart from an empty text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Nothing when the string table has no text for the id.
std::optional<std::wstring> BK_LocalizedText(int32_t stringId);
