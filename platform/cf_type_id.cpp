#include "platform/cf_type_id.h"

#include <typeinfo>

#include "platform/cf_string.h"

namespace tbx {

CFTypeID CFGetTypeID(CFTypeRef object) {
    return object ? static_cast<CFTypeID>(typeid(*object).hash_code()) : 0;
}

CFTypeID CFStringGetTypeID() {
    return static_cast<CFTypeID>(typeid(CFString).hash_code());
}

} // namespace tbx
