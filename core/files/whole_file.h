// Whole files read into memory, never more than the caller allows, and only regular files
// opened for reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/paths/path.h"

// As tbx::ReadWholeFile, for the item at the path.
bool BK_ReadWholeFile(const CBK_Path& path, std::vector<uint8_t>& bytes, std::size_t maxBytes);

// The regular file at the path open for reading (the caller closes it), or null as
// tbx::OpenRegularFile fails.
FILE* BK_OpenRegularFile(const CBK_Path& path);
