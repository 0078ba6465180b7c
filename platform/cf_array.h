// Core Foundation arrays of objects: appending retains a value, the array releases its values
// when it goes.
#pragma once

#include <vector>

#include "platform/cf_base.h"

namespace tbx {

class CFArray : public CFObject {
public:
    ~CFArray() override;
    std::vector<CFTypeRef> values;
};

using CFArrayRef = const CFArray*;
using CFMutableArrayRef = CFArray*;

// Only the retaining callbacks exist here; the argument is accepted for the callers' sake.
struct CFArrayCallBacks {};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks);
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
CFIndex CFArrayGetCount(CFArrayRef array); // 0 for null
// Null outside the array.
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);

} // namespace tbx
