// JPEG decoding, stream finding and section stripping of untrusted bytes.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/codecs/jpeg_image.h"
#include "media/codecs/jpeg_sections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBK_ImageJpg image;
    if (image.Read(data, size) &&
        image.GetSize() != size_t(image.GetWidth()) * size_t(image.GetHeight()) * 3)
        __builtin_trap();

    size_t length = 0;
    const uint8_t* start = CBK_ImageJpg::IsValidJpeg(data, size, &length);
    if (start && (start < data || length > size || start + length > data + size))
        __builtin_trap();

    CBK_JpegHelper helper;
    size_t leanSize = 0;
    std::unique_ptr<uint8_t[]> lean(helper.StripJpeg(data, size, &leanSize));
    if (lean) {
        CBK_ImageJpg again;
        again.Read(lean.get(), leanSize);
    }
    return 0;
}
