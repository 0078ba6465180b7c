// Core Foundation data: an immutable run of bytes.
#pragma once

#include <vector>

#include "platform/cf_base.h"
#include "platform/cf_type_id.h"

namespace tbx {

class CFData : public CFObject {
public:
    CFData(const UInt8* bytes, CFIndex length, bool copy);
    const UInt8* Bytes() const { return _copy ? _bytes.data() : _borrowed; }
    CFIndex Length() const { return _length; }

private:
    std::vector<UInt8> _bytes;
    const UInt8* _borrowed = nullptr;
    CFIndex _length = 0;
    bool _copy = true;
};

using CFDataRef = const CFData*;

// The allocator that frees nothing: bytes handed to CFDataCreateWithBytesNoCopy with it stay
// the caller's.
extern const CFAllocatorRef kCFAllocatorNull;

// Null for a negative length or missing bytes.
CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length);
// Refers to the caller's bytes, which must outlive the object. Only kCFAllocatorNull is
// taken as the deallocator: the bytes are never freed here.
CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator);
CFIndex CFDataGetLength(CFDataRef data);       // 0 for null
const UInt8* CFDataGetBytePtr(CFDataRef data); // null for null
CFTypeID CFDataGetTypeID();

} // namespace tbx
