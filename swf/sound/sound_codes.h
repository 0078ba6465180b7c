// The sound format byte shared by DefineSound and the stream heads: format in bits 7-4, rate
// in bits 3-2, sample size in bit 1, channels in bit 0.
#pragma once

#include <cstdint>

namespace ravuz {

struct CBK_SwfSoundCodes {
    static constexpr uint8_t FORMAT_UNCOMPRESSED = 0;
    static constexpr uint8_t FORMAT_ADPCM = 1;
    static constexpr uint8_t FORMAT_MP3 = 2;
    static constexpr uint8_t FORMAT_UNCOMPRESSED_LITTLE_ENDIAN = 3;
    static constexpr uint8_t FORMAT_NELLYMOSER = 6;
    static constexpr uint8_t RATE_5_5 = 0;
    static constexpr uint8_t RATE_11 = 1;
    static constexpr uint8_t RATE_22 = 2;
    static constexpr uint8_t RATE_44 = 3;
    static constexpr uint8_t SIZE_8BIT = 0;
    static constexpr uint8_t SIZE_16BIT = 1;
    static constexpr uint8_t TYPE_MONO = 0;
    static constexpr uint8_t TYPE_STEREO = 1;
};

namespace sound_bits {

constexpr uint8_t Format(uint8_t byte) {
    return byte >> 4;
}
constexpr uint8_t Rate(uint8_t byte) {
    return (byte >> 2) & 3;
}
constexpr uint8_t Size(uint8_t byte) {
    return (byte >> 1) & 1;
}
constexpr uint8_t Type(uint8_t byte) {
    return byte & 1;
}
constexpr uint8_t WithFormat(uint8_t byte, uint8_t format) {
    return static_cast<uint8_t>((byte & 0x0F) | ((format & 0x0F) << 4));
}
constexpr uint8_t WithRate(uint8_t byte, uint8_t rate) {
    return static_cast<uint8_t>((byte & ~0x0C) | ((rate & 3) << 2));
}
constexpr uint8_t WithSize(uint8_t byte, uint8_t size) {
    return static_cast<uint8_t>((byte & ~0x02) | ((size & 1) << 1));
}
constexpr uint8_t WithType(uint8_t byte, uint8_t type) {
    return static_cast<uint8_t>((byte & ~0x01) | (type & 1));
}

} // namespace sound_bits

} // namespace ravuz
