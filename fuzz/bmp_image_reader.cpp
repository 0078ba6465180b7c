// BMP pictures read into an image: arbitrary bytes written to a private scratch file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "media/codecs/bmp_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        // The reader reports on standard output; keep the fuzzer's log readable.
        std::freopen("/dev/null", "w", stdout);
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder && *folder ? folder : "/tmp") + "/stravel_fuzz_bmp_image_" +
               std::to_string(getpid()) + ".bmp";
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    CBK_ImageBmp image;
    CBK_Path bmp(std::wstring(path.begin(), path.end()));
    if (image.Read(bmp)) {
        const size_t bytes = size_t(image.GetWidth()) * size_t(image.GetHeight()) * 3;
        if (image.GetSize() != bytes)
            __builtin_trap();
        unsigned sum = 0;
        for (size_t i = 0; i < bytes; ++i)
            sum += image.GetData()[i];
        volatile unsigned sink = sum;
        (void)sink;
    }
    std::remove(path.c_str());
    return 0;
}
