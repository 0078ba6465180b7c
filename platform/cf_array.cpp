#include "platform/cf_array.h"

namespace tbx {

const CFArrayCallBacks kCFTypeArrayCallBacks{};

CFArray::~CFArray() {
    for (CFTypeRef value : values)
        CFRelease(value);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity, const CFArrayCallBacks*) {
    auto* array = new CFArray;
    if (capacity > 0 && capacity < (1 << 20))
        array->values.reserve(static_cast<std::size_t>(capacity));
    return array;
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value) {
    if (!array)
        return;
    auto object = static_cast<CFTypeRef>(value);
    CFRetain(object);
    array->values.push_back(object);
}

CFIndex CFArrayGetCount(CFArrayRef array) {
    return array ? static_cast<CFIndex>(array->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
    if (!array || index < 0 || index >= CFArrayGetCount(array))
        return nullptr;
    return array->values[static_cast<std::size_t>(index)];
}

} // namespace tbx
