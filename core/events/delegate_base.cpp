#include "core/events/delegate_base.h"

#include <algorithm>
#include <cstring>

CBK_DelegateBase::CBK_DelegateBase(void* object, const void* method, int32_t size)
    : _object(object) {
    if (object) {
        if (method && size > 0)
            std::memcpy(_methodStore, method,
                        std::min<std::size_t>(static_cast<std::size_t>(size), kMethodStoreSize));
    } else {
        std::memcpy(_methodStore, &method, sizeof method);
    }
}

const void* CBK_DelegateBase::GetFunction() const {
    if (_object)
        return nullptr;
    const void* function = nullptr;
    std::memcpy(&function, _methodStore, sizeof function);
    return function;
}
