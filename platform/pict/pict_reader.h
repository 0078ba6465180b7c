// Big-endian reading of picture bytes for the picture decoder; every read is bounded by the
// bytes given, and a read past them fails and leaves the reader failed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/quickdraw/qd_types.h"

namespace tbx::pict {

class Reader {
public:
    Reader(const uint8_t* bytes, std::size_t size) : _p(bytes), _end(bytes + size) {}
    bool Skip(std::size_t n) {
        if (std::size_t(_end - _p) < n)
            return Fail();
        _p += n;
        return true;
    }
    bool U8(uint8_t& v) {
        if (_p == _end)
            return Fail();
        v = *_p++;
        return true;
    }
    bool S8(int& v) {
        uint8_t b = 0;
        if (!U8(b))
            return false;
        v = int8_t(b);
        return true;
    }
    bool U16(uint16_t& v) {
        if (_end - _p < 2)
            return Fail();
        v = uint16_t(_p[0] << 8 | _p[1]);
        _p += 2;
        return true;
    }
    bool S16(int& v) {
        uint16_t w = 0;
        if (!U16(w))
            return false;
        v = int16_t(w);
        return true;
    }
    bool U32(uint32_t& v) {
        uint16_t hi = 0, lo = 0;
        if (!U16(hi) || !U16(lo))
            return false;
        v = uint32_t(hi) << 16 | lo;
        return true;
    }
    bool ReadRect(Rect& r) {
        int v[4];
        for (auto& x : v)
            if (!S16(x))
                return false;
        r = Rect{SInt16(v[0]), SInt16(v[1]), SInt16(v[2]), SInt16(v[3])};
        return true;
    }
    // A point is stored vertical first.
    bool ReadPoint(int& h, int& v) { return S16(v) && S16(h); }
    const uint8_t* Here() const { return _p; }
    std::size_t Left() const { return std::size_t(_end - _p); }
    std::size_t Offset(const uint8_t* start) const { return std::size_t(_p - start); }

private:
    bool Fail() { return false; }
    const uint8_t* _p;
    const uint8_t* _end;
};

} // namespace tbx::pict
