// The picture decoder over arbitrary bytes: it must refuse or accept, never read outside the
// bytes, and what it accepts fills exactly its frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/pict/pict_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    tbx::DecodedPicture picture;
    if (!tbx::DecodePicture(data, size, picture))
        return 0;
    const auto& f = picture.frame;
    if (picture.pixels.size() != std::size_t(f.right - f.left) * std::size_t(f.bottom - f.top))
        std::abort();
    return 0;
}
