#include "core/codec/crc32.h"

#include <cstdio>
#include <memory>
#include <vector>

#include <zlib.h>

#include "core/paths/path.h"

bool BK_ComputeCrc32(const unsigned char* data, std::size_t n, uint32_t& crc) {
    if (!data)
        return false;
    crc = static_cast<uint32_t>(crc32_z(0, data, n));
    return true;
}

bool BK_ComputeCrc32(const wchar_t* text, uint32_t& crc) {
    if (!text)
        return false;
    uLong value = crc32_z(0, Z_NULL, 0);
    unsigned char chunk[256];
    std::size_t used = 0;
    for (const wchar_t* p = text; *p; ++p) {
        chunk[used++] = static_cast<unsigned char>(static_cast<uint32_t>(*p) & 0xFF);
        if (used == sizeof chunk) {
            value = crc32_z(value, chunk, used);
            used = 0;
        }
    }
    crc = static_cast<uint32_t>(crc32_z(value, chunk, used));
    return true;
}

bool BK_ComputeCrc32File(const CBK_Path& path, uint32_t& crc) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(path.OpenAsStdFile(L"rb"), &std::fclose);
    if (!file)
        return false;
    std::vector<unsigned char> buffer(1 << 16);
    uLong value = crc32_z(0, Z_NULL, 0);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        value = crc32_z(value, buffer.data(), got);
        if (got < buffer.size())
            break;
    }
    if (std::ferror(file.get()))
        return false;
    crc = static_cast<uint32_t>(value);
    return true;
}
