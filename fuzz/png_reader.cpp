// PNG decoding of untrusted bytes.
#include <cstddef>
#include <cstdint>

#include "media/codecs/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBK_ImagePng image;
    if (image.Read(data, size)) {
        const size_t expected = size_t(image.GetWidth()) * size_t(image.GetHeight()) *
                                size_t(image.GetChannels());
        if (image.GetSize() != expected || image.GetBitsPerPixel() != image.GetChannels() * 8)
            __builtin_trap();
        // Touch every byte so that the sanitizer sees a short buffer.
        unsigned sum = 0;
        for (size_t i = 0; i < expected; ++i)
            sum += image.GetData()[i];
        if (image.GetAlpha())
            for (size_t i = 0; i < expected / 4; ++i)
                sum += image.GetAlpha()[i];
        volatile unsigned sink = sum;
        (void)sink;
    }
    return 0;
}
