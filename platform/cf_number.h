// Core Foundation numbers and booleans.
#pragma once

#include <cstdint>

#include "platform/cf_base.h"
#include "platform/cf_type_id.h"

namespace tbx {

enum CFNumberType : CFIndex {
    kCFNumberSInt8Type = 1,
    kCFNumberSInt16Type = 2,
    kCFNumberSInt32Type = 3,
    kCFNumberSInt64Type = 4,
    kCFNumberFloat32Type = 5,
    kCFNumberFloat64Type = 6,
    kCFNumberCharType = 7,
    kCFNumberShortType = 8,
    kCFNumberIntType = 9,
    kCFNumberLongType = 10, // 32 bits, as the design's long
    kCFNumberLongLongType = 11,
    kCFNumberFloatType = 12,
    kCFNumberDoubleType = 13,
};

class CFNumber : public CFObject {
public:
    static CFNumber* Integer(int64_t value);
    // `single` marks a value made from (and written as) a 32-bit float.
    static CFNumber* Real(double value, bool single);
    bool IsReal() const { return _real; }
    bool IsSingle() const { return _single; }
    int64_t IntegerValue() const { return _integer; }
    double RealValue() const { return _value; }

private:
    bool _real = false;
    bool _single = false;
    int64_t _integer = 0;
    double _value = 0;
};

using CFNumberRef = const CFNumber*;

// Reads the value that `valuePtr` points at, of the given type; null for an unknown type.
CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* valuePtr);
// Stores the number as the given type. Integers convert exactly when they fit the type; for
// the 32-bit integer types that is any value from -2^31 to 2^32-1, whose low 32 bits are
// stored. Reals convert to integers when integral and in range, and every number converts
// to the floating-point types. False, with nothing stored, for a null or non-number
// reference or when the value does not fit.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr);
Boolean CFNumberIsFloatType(CFNumberRef number);
CFTypeID CFNumberGetTypeID();

class CFBoolean : public CFObject {
public:
    explicit CFBoolean(bool value) : _value(value) { MakeImmortal(); }
    bool Value() const { return _value; }

private:
    bool _value;
};

using CFBooleanRef = const CFBoolean*;

extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;
Boolean CFBooleanGetValue(CFBooleanRef boolean); // false for null
CFTypeID CFBooleanGetTypeID();

} // namespace tbx
