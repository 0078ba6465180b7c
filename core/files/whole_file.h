// Whole files read into memory, never more than the caller allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/paths/path.h"

// As tbx::ReadWholeFile, for the item at the path.
bool BK_ReadWholeFile(const CBK_Path& path, std::vector<uint8_t>& bytes, std::size_t maxBytes);
