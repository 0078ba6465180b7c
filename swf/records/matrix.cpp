#include "swf/records/matrix.h"

#include <algorithm>
#include <cmath>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

// trunc(value + 0.5) as a 32-bit term, held to its range.
int32_t Fixed(double value) {
    const double t = std::trunc(value + 0.5);
    if (!(t == t))
        return 0;
    return static_cast<int32_t>(std::clamp(t, double(INT32_MIN), double(INT32_MAX)));
}

// A 5-bit size and two signed values of that size.
void WritePair(CBK_SwfStream* stream, int32_t a, int32_t b) {
    const uint32_t nbits =
        std::min<uint32_t>(MinimumBits(std::max(Magnitude(a), Magnitude(b)), true), 31);
    stream->Add(nbits, 5);
    stream->Add(static_cast<uint32_t>(SaturateSigned(a, nbits)), static_cast<int32_t>(nbits));
    stream->Add(static_cast<uint32_t>(SaturateSigned(b, nbits)), static_cast<int32_t>(nbits));
}

void ReadPair(CBK_SwfReader* reader, int32_t& a, int32_t& b) {
    const auto nbits = static_cast<uint16_t>(reader->GetBits(5, false));
    a = reader->GetBits(nbits, true);
    b = reader->GetBits(nbits, true);
}

} // namespace

void CBK_SwfMatrix::CreateIdentity() {
    scaleX = scaleY = 0x10000;
    hasScale = true;
    hasRotate = false;
    translateX = translateY = 0;
}

void CBK_SwfMatrix::SetSkew0(uint32_t value, bool on) {
    rotateSkew0 = static_cast<int32_t>(value);
    hasRotate = on;
}

void CBK_SwfMatrix::SetSkew1(uint32_t value, bool on) {
    rotateSkew1 = static_cast<int32_t>(value);
    hasRotate = on;
}

void CBK_SwfMatrix::SetRotation(uint32_t value, uint8_t which, bool on) {
    if (which)
        SetSkew1(value, on);
    else
        SetSkew0(value, on);
}

double CBK_SwfMatrix::GetFloatRotation(uint8_t which) const {
    return (which ? rotateSkew1 : rotateSkew0) / 65536.0;
}

CBK_SwfMatrix* CBK_SwfMatrix::CreateMatrix(int32_t tx, int32_t ty, double sx, double sy, double rx,
                                           double ry) {
    auto* matrix = new CBK_SwfMatrix;
    matrix->translateX = tx;
    matrix->translateY = ty;
    if (rx != 0.0 || ry != 0.0) {
        const auto a = static_cast<float>(rx * 0.017453292519943295);
        const auto b = static_cast<float>(ry * 0.017453292519943295);
        matrix->rotateSkew0 = Fixed(double(std::sin(a)) * sx * 65536.0);
        matrix->rotateSkew1 = Fixed(-double(std::sin(b)) * sy * 65536.0);
        matrix->hasRotate = true;
        sx = double(std::cos(a)) * sx;
        sy = double(std::cos(b)) * sy;
    }
    if (!(sx == 1.0 && sy == 1.0)) {
        matrix->scaleX = Fixed(sx * 65536.0);
        matrix->scaleY = Fixed(sy * 65536.0);
        matrix->hasScale = true;
    }
    return matrix;
}

uint32_t CBK_SwfMatrix::Read(CBK_SwfReader* reader) {
    const uint32_t before = reader->GetBufPos();
    hasScale = reader->GetBits(1, false) != 0;
    if (hasScale)
        ReadPair(reader, scaleX, scaleY);
    hasRotate = reader->GetBits(1, false) != 0;
    if (hasRotate)
        ReadPair(reader, rotateSkew0, rotateSkew1);
    ReadPair(reader, translateX, translateY);
    return reader->GetBufPos() - before;
}

uint32_t CBK_SwfMatrix::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    stream->Add(hasScale ? 1u : 0u, 1);
    if (hasScale)
        WritePair(stream, scaleX, scaleY);
    stream->Add(hasRotate ? 1u : 0u, 1);
    if (hasRotate)
        WritePair(stream, rotateSkew0, rotateSkew1);
    if (translateX == 0 && translateY == 0)
        stream->Add(0u, 5);
    else
        WritePair(stream, translateX, translateY);
    return stream->GetByteCount() - before;
}

} // namespace ravuz
