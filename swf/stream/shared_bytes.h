// CBK_SwfSharedBytes: a run of bytes inside a block that several holders share, such as the
// blocks a movie file is read into; the block lives while any part of it is held.
#pragma once

#include <cstdint>
#include <memory>

namespace ravuz {

struct CBK_SwfSharedBytes {
    std::shared_ptr<const uint8_t> data; // the first byte, owning the block; null when none
    uint32_t size = 0;

    explicit operator bool() const { return data != nullptr; }
    const uint8_t* begin() const { return data.get(); }
    const uint8_t* end() const { return data.get() + size; }
};

} // namespace ravuz
