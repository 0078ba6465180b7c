// Core Foundation objects: reference-counted values released with CFRelease.
#pragma once

#include <atomic>
#include <cstddef>

#include "platform/types.h"

namespace tbx {

using CFIndex = std::ptrdiff_t;
using CFOptionFlags = unsigned long;
using CFHashCode = unsigned long;

struct CFRange {
    CFIndex location;
    CFIndex length;
};
inline CFRange CFRangeMake(CFIndex location, CFIndex length) {
    return {location, length};
}

enum CFComparisonResult : CFIndex {
    kCFCompareLessThan = -1,
    kCFCompareEqualTo = 0,
    kCFCompareGreaterThan = 1,
};

// The base of every reference-counted object. Objects start with one reference that the
// creating call hands to its caller.
class CFObject {
public:
    CFObject() = default;
    CFObject(const CFObject&) = delete;
    CFObject& operator=(const CFObject&) = delete;
    virtual ~CFObject() = default;

    void Retain() const;
    // Deletes the object when the last reference goes.
    void Release() const;
    // Immortal objects (constant strings) ignore retain and release.
    void MakeImmortal() { _immortal = true; }
    long RetainCount() const { return _refs.load(); }

private:
    mutable std::atomic<long> _refs{1};
    bool _immortal = false;
};

using CFTypeRef = const CFObject*;
using CFAllocatorRef = const void*;
constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

// Null is ignored rather than crashing.
CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);

} // namespace tbx
