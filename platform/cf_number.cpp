#include "platform/cf_number.h"

#include <cmath>
#include <cstring>
#include <typeinfo>

namespace tbx {

namespace {

template <class T>
void Store(void* out, T value) {
    std::memcpy(out, &value, sizeof value);
}

template <class T>
T Load(const void* in) {
    T value;
    std::memcpy(&value, in, sizeof value);
    return value;
}

// The number as an integer when it is one, or a real that is integral and within int64.
bool AsInteger(CFNumberRef number, int64_t& out) {
    if (!number->IsReal()) {
        out = number->IntegerValue();
        return true;
    }
    const double v = number->RealValue();
    if (!std::isfinite(v) || v != std::trunc(v) || v < -9223372036854775808.0 ||
        v >= 9223372036854775808.0)
        return false;
    out = static_cast<int64_t>(v);
    return true;
}

bool StoreInteger(int64_t v, int64_t low, int64_t high, int bytes, void* out) {
    if (v < low || v > high)
        return false;
    switch (bytes) {
    case 1:
        Store(out, static_cast<uint8_t>(v));
        break;
    case 2:
        Store(out, static_cast<uint16_t>(v));
        break;
    case 4:
        Store(out, static_cast<uint32_t>(v));
        break;
    default:
        Store(out, v);
        break;
    }
    return true;
}

const CFBoolean kTrue(true);
const CFBoolean kFalse(false);

} // namespace

const CFBooleanRef kCFBooleanTrue = &kTrue;
const CFBooleanRef kCFBooleanFalse = &kFalse;

CFNumber* CFNumber::Integer(int64_t value) {
    auto* number = new CFNumber;
    number->_integer = value;
    return number;
}

CFNumber* CFNumber::Real(double value, bool single) {
    auto* number = new CFNumber;
    number->_real = true;
    number->_single = single;
    number->_value = value;
    return number;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* valuePtr) {
    if (!valuePtr)
        return nullptr;
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return CFNumber::Integer(Load<int8_t>(valuePtr));
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return CFNumber::Integer(Load<int16_t>(valuePtr));
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
    case kCFNumberLongType:
        return CFNumber::Integer(Load<int32_t>(valuePtr));
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
        return CFNumber::Integer(Load<int64_t>(valuePtr));
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        return CFNumber::Real(Load<float>(valuePtr), true);
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
        return CFNumber::Real(Load<double>(valuePtr), false);
    }
    return nullptr;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr) {
    if (!number || !valuePtr || CFGetTypeID(number) != CFNumberGetTypeID())
        return false;
    const double real =
        number->IsReal() ? number->RealValue() : static_cast<double>(number->IntegerValue());
    int64_t v = 0;
    switch (type) {
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        Store(valuePtr, static_cast<float>(real));
        return true;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
        Store(valuePtr, real);
        return true;
    default:
        break;
    }
    if (!AsInteger(number, v))
        return false;
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return StoreInteger(v, INT8_MIN, UINT8_MAX, 1, valuePtr);
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return StoreInteger(v, INT16_MIN, UINT16_MAX, 2, valuePtr);
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
    case kCFNumberLongType:
        return StoreInteger(v, INT32_MIN, UINT32_MAX, 4, valuePtr);
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
        return StoreInteger(v, INT64_MIN, INT64_MAX, 8, valuePtr);
    default:
        return false;
    }
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
    return number && CFGetTypeID(number) == CFNumberGetTypeID() && number->IsReal();
}

CFTypeID CFNumberGetTypeID() {
    return static_cast<CFTypeID>(typeid(CFNumber).hash_code());
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
    return boolean && CFGetTypeID(boolean) == CFBooleanGetTypeID() && boolean->Value();
}

CFTypeID CFBooleanGetTypeID() {
    return static_cast<CFTypeID>(typeid(CFBoolean).hash_code());
}

} // namespace tbx
