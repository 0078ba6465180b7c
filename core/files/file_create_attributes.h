// What a new file gets: Finder creator and type, hidden and locked flags.
#pragma once

#include <cstdint>

#include "platform/files/fs_types.h"
#include "platform/types.h"

struct BK_FILE_CREATE_ATTRIBUTES {
    uint32_t creator = tbx::FourCC("????");
    uint32_t type = tbx::FourCC("????");
    bool hidden = false;
    bool locked = false;
};

// The Finder type and creator and the UTF-8 text-encoding hint that a new file gets.
tbx::FSCatalogInfo BK_CreationCatalogInfo(const BK_FILE_CREATE_ATTRIBUTES& attributes);
