// BMP files: bmp_read over arbitrary bytes, written to a private scratch file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "core/bmp/bmp_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        // The reader reports on standard output; keep the fuzzer's log readable.
        std::freopen("/dev/null", "w", stdout);
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder && *folder ? folder : "/tmp") + "/stravel_fuzz_bmp_" +
               std::to_string(getpid()) + ".bmp";
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    uint32_t width = 0;
    int32_t height = 0;
    uint8_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (bmp_read(path.c_str(), &width, &height, &r, &g, &b) == 0) {
        delete[] r;
        delete[] g;
        delete[] b;
    }
    std::remove(path.c_str());
    return 0;
}
