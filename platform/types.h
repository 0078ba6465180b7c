// Basic toolbox types shared by every stand-in and by the code that calls them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tbx {

using UInt8 = uint8_t;
using SInt8 = int8_t;
using UInt16 = uint16_t;
using SInt16 = int16_t;
using UInt32 = uint32_t;
using SInt32 = int32_t;
using UInt64 = uint64_t;
using SInt64 = int64_t;
using Boolean = unsigned char;
using UniChar = char16_t;
using UniCharCount = std::size_t;

using OSType = uint32_t;
using FourCharCode = uint32_t;
using ResType = uint32_t;
using OSErr = int16_t;
using OSStatus = int32_t;

using Ptr = char*;
using Handle = char**;

using Str255 = unsigned char[256];
using Str63 = unsigned char[64];
using Str31 = unsigned char[32];
using StringPtr = unsigned char*;
using ConstStringPtr = const unsigned char*;
using ConstStr255Param = const unsigned char*;

// Four-character code from its text, most significant byte first: FourCC("MooV").
constexpr OSType FourCC(const char (&code)[5]) {
    return (OSType(static_cast<unsigned char>(code[0])) << 24) |
           (OSType(static_cast<unsigned char>(code[1])) << 16) |
           (OSType(static_cast<unsigned char>(code[2])) << 8) |
           OSType(static_cast<unsigned char>(code[3]));
}

// A file name of up to 255 UTF-16 units, as the File Manager passes names.
struct HFSUniStr255 {
    UInt16 length = 0;
    UniChar unicode[255] = {};
};

struct Rect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};

struct Point {
    int16_t v = 0;
    int16_t h = 0;
};

inline bool operator==(const Rect& a, const Rect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
inline bool operator==(const Point& a, const Point& b) {
    return a.v == b.v && a.h == b.h;
}

// Result codes of the toolbox, with the numbers callers compare against.
enum : OSStatus {
    noErr = 0,
    ioErr = -36,
    eofErr = -39,
    fnfErr = -43,
    wPrErr = -44,
    fLckdErr = -45,
    fBsyErr = -47,
    dupFNErr = -48,
    paramErr = -50,
    memFullErr = -108,
    nilHandleErr = -109,
    dirNFErr = -120,
    errFSNotAFolder = -1407,
    gestaltUndefSelectorErr = -5551,
    eventNotHandledErr = -9874,
};

} // namespace tbx
