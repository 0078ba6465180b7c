#include "platform/cf_base.h"

namespace tbx {

void CFObject::Retain() const {
    if (!_immortal)
        _refs.fetch_add(1, std::memory_order_relaxed);
}

void CFObject::Release() const {
    if (_immortal)
        return;
    if (_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

CFTypeRef CFRetain(CFTypeRef object) {
    if (object)
        object->Retain();
    return object;
}

void CFRelease(CFTypeRef object) {
    if (object)
        object->Release();
}

CFIndex CFGetRetainCount(CFTypeRef object) {
    return object ? object->RetainCount() : 0;
}

} // namespace tbx
