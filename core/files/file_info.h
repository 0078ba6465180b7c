// Finder information of a file and of a folder, with the masks that select what a setter
// stores.
#pragma once

#include <cstdint>

#include "platform/types.h"

enum : uint32_t {
    BK_FILE_INFO_TYPE = 1,
    BK_FILE_INFO_CREATOR = 2,
    BK_FILE_INFO_FLAGS = 4,
    BK_FILE_INFO_LOCATION = 8,
    BK_FILE_INFO_FOLDER = 16,
};

struct BK_FILE_INFO {
    uint32_t mask = 0;
    uint32_t type = 0;
    uint32_t creator = 0;
    uint16_t flags = 0;
    tbx::Point location;
    uint16_t folder = 0;
};

enum : uint32_t {
    BK_DIR_INFO_BOUNDS = 1,
    BK_DIR_INFO_FLAGS = 2,
    BK_DIR_INFO_LOCATION = 4,
};

struct BK_DIR_INFO {
    uint32_t mask = 0;
    uint16_t flags = 0;
    tbx::Rect bounds;
    tbx::Point location;
    uint16_t reserved = 0;
};
