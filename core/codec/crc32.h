// CRC-32 (the reflected polynomial 0xEDB88320 of IEEE 802.3 and zlib) over bytes, text and
// files.
#pragma once

#include <cstddef>
#include <cstdint>

class CBK_Path;

// Each form computes the CRC from scratch (start value 0xFFFFFFFF, final complement) and
// stores it in `crc`; the value that `crc` held before is not used. On failure `crc` is left
// as it was.

// False for null data.
bool BK_ComputeCrc32(const unsigned char* data, std::size_t n, uint32_t& crc);

// Over the low 8 bits of each character, the terminator excluded; false for null text.
bool BK_ComputeCrc32(const wchar_t* text, uint32_t& crc);

// Over the whole content of the file; false when it does not open or cannot be read.
bool BK_ComputeCrc32File(const CBK_Path& path, uint32_t& crc);
