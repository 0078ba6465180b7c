#include "swf/records/color_transform.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

constexpr uint32_t kMaxTermBits = 15; // the 4-bit size field

int32_t Round(double value) {
    return static_cast<int32_t>(std::trunc(value + 0.5));
}

// 0..1 to 0..256, values outside held to the ends.
int32_t UnitTerm(double value) {
    if (value > 1)
        return Round(256);
    if (value >= 0)
        return Round(value * 256);
    return 0;
}

int32_t ChannelTerm(uint32_t color, int shift) {
    return Round(double((color >> shift) & 0xFF) / 255 * 256);
}

uint32_t TermBits(std::initializer_list<int32_t> terms) {
    uint32_t largest = 0;
    for (int32_t t : terms)
        largest = std::max(largest, Magnitude(t));
    return std::min(MinimumBits(largest, true), kMaxTermBits);
}

void WriteTerms(CBK_SwfStream* stream, std::initializer_list<int32_t> terms, uint32_t nbits) {
    for (int32_t t : terms)
        stream->Add(static_cast<uint32_t>(SaturateSigned(t, nbits)), static_cast<int32_t>(nbits));
}

} // namespace

void CBK_SwfColorTransform::Create() {
    hasAdd = hasMult = false;
    multRed = multGreen = multBlue = 0;
    addRed = addGreen = addBlue = 0;
}

void CBK_SwfColorTransform::SetMultTerms(int32_t r, int32_t g, int32_t b) {
    multRed = r;
    multGreen = g;
    multBlue = b;
}

void CBK_SwfColorTransform::SetTint(uint32_t color) {
    multRed = multGreen = multBlue = 0;
    addRed = ChannelTerm(color, 0);
    addGreen = ChannelTerm(color, 8);
    addBlue = ChannelTerm(color, 16);
    hasAdd = hasMult = true;
}

void CBK_SwfColorTransform::SetBrightness(double brightness) {
    multRed = multGreen = multBlue = UnitTerm(brightness);
    addRed = addGreen = addBlue = 0;
    hasMult = true;
    hasAdd = false;
}

void CBK_SwfColorTransform::AdjustColor(uint32_t color) {
    multRed = ChannelTerm(color, 0);
    multGreen = ChannelTerm(color, 8);
    multBlue = ChannelTerm(color, 16);
    hasMult = true;
    hasAdd = false;
}

uint32_t CBK_SwfColorTransform::Read(CBK_SwfReader* reader) {
    const uint32_t before = reader->GetBufPos();
    hasAdd = reader->GetBits(1, false) != 0;
    hasMult = reader->GetBits(1, false) != 0;
    const auto nbits = static_cast<uint16_t>(reader->GetBits(4, false));
    if (hasMult) {
        multRed = reader->GetBits(nbits, true);
        multGreen = reader->GetBits(nbits, true);
        multBlue = reader->GetBits(nbits, true);
    }
    if (hasAdd) {
        addRed = reader->GetBits(nbits, true);
        addGreen = reader->GetBits(nbits, true);
        addBlue = reader->GetBits(nbits, true);
    }
    return reader->GetBufPos() - before;
}

uint32_t CBK_SwfColorTransform::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const uint32_t nbits = TermBits({multRed, multGreen, multBlue, addRed, addGreen, addBlue});
    stream->Add(hasAdd ? 1u : 0u, 1);
    stream->Add(hasMult ? 1u : 0u, 1);
    stream->Add(nbits, 4);
    if (hasMult)
        WriteTerms(stream, {multRed, multGreen, multBlue}, nbits);
    if (hasAdd)
        WriteTerms(stream, {addRed, addGreen, addBlue}, nbits);
    return stream->GetByteCount() - before;
}

void CBK_SwfColorTransformAlpha::Create() {
    CBK_SwfColorTransform::Create();
    addAlpha = 0;
    SetAlphaMult(0, false);
}

void CBK_SwfColorTransformAlpha::SetAlphaMult(int32_t alpha, bool resetColorMult) {
    multAlpha = alpha;
    if (resetColorMult)
        multRed = multGreen = multBlue = 256;
    hasMult = true;
}

void CBK_SwfColorTransformAlpha::SetMultTerms(int32_t r, int32_t g, int32_t b, int32_t a) {
    CBK_SwfColorTransform::SetMultTerms(r, g, b);
    SetAlphaMult(a, false);
}

void CBK_SwfColorTransformAlpha::SetAlpha(double alpha) {
    multAlpha = UnitTerm(alpha);
    multRed = multGreen = multBlue = 256;
    hasAdd = hasMult = true;
}

void CBK_SwfColorTransformAlpha::SetTint(uint32_t color) {
    multAlpha = 256;
    addAlpha = 0;
    CBK_SwfColorTransform::SetTint(color);
}

void CBK_SwfColorTransformAlpha::SetBrightness(double brightness) {
    multAlpha = 256;
    addAlpha = 0;
    CBK_SwfColorTransform::SetBrightness(brightness);
}

void CBK_SwfColorTransformAlpha::AdjustColor(uint32_t color) {
    multAlpha = 256;
    addAlpha = 0;
    CBK_SwfColorTransform::AdjustColor(color);
}

uint32_t CBK_SwfColorTransformAlpha::Read(CBK_SwfReader* reader) {
    const uint32_t before = reader->GetBufPos();
    hasAdd = reader->GetBits(1, false) != 0;
    hasMult = reader->GetBits(1, false) != 0;
    const auto nbits = static_cast<uint16_t>(reader->GetBits(4, false));
    if (hasMult) {
        multRed = reader->GetBits(nbits, true);
        multGreen = reader->GetBits(nbits, true);
        multBlue = reader->GetBits(nbits, true);
        multAlpha = reader->GetBits(nbits, true);
    }
    if (hasAdd) {
        addRed = reader->GetBits(nbits, true);
        addGreen = reader->GetBits(nbits, true);
        addBlue = reader->GetBits(nbits, true);
        addAlpha = reader->GetBits(nbits, true);
    }
    return reader->GetBufPos() - before;
}

uint32_t CBK_SwfColorTransformAlpha::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const uint32_t nbits =
        TermBits({multRed, multGreen, multBlue, multAlpha, addRed, addGreen, addBlue, addAlpha});
    stream->Add(hasAdd ? 1u : 0u, 1);
    stream->Add(hasMult ? 1u : 0u, 1);
    stream->Add(nbits, 4);
    if (hasMult)
        WriteTerms(stream, {multRed, multGreen, multBlue, multAlpha}, nbits);
    if (hasAdd)
        WriteTerms(stream, {addRed, addGreen, addBlue, addAlpha}, nbits);
    return stream->GetByteCount() - before;
}

} // namespace ravuz
