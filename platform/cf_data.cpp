#include "platform/cf_data.h"

#include <typeinfo>

namespace tbx {

namespace {
const char kNullAllocator = 0;
}

const CFAllocatorRef kCFAllocatorNull = &kNullAllocator;

CFData::CFData(const UInt8* bytes, CFIndex length, bool copy) : _length(length), _copy(copy) {
    if (copy)
        _bytes.assign(bytes, bytes + length);
    else
        _borrowed = bytes;
}

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
    if (length < 0 || (length > 0 && !bytes))
        return nullptr;
    return new CFData(bytes, length, true);
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator) {
    if (length < 0 || (length > 0 && !bytes) || bytesDeallocator != kCFAllocatorNull)
        return nullptr;
    return new CFData(bytes, length, false);
}

CFIndex CFDataGetLength(CFDataRef data) {
    return data ? data->Length() : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data) {
    return data ? data->Bytes() : nullptr;
}

CFTypeID CFDataGetTypeID() {
    return static_cast<CFTypeID>(typeid(CFData).hash_code());
}

} // namespace tbx
