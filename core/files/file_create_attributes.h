// What a new file gets: Finder creator and type, hidden and locked flags.
#pragma once

#include <cstdint>

#include "platform/types.h"

struct BK_FILE_CREATE_ATTRIBUTES {
    uint32_t creator = tbx::FourCC("????");
    uint32_t type = tbx::FourCC("????");
    bool hidden = false;
    bool locked = false;
};
