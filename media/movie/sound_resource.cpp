#include "media/movie/sound_resource.h"

#include <cstddef>
#include <cstdint>

#include "platform/memory.h"

namespace {

constexpr uint16_t kSoundCmdWithOffset = 0x8050;
constexpr uint16_t kBufferCmdWithOffset = 0x8051;
constexpr uint8_t kStandardHeader = 0x00;
constexpr uint8_t kExtendedHeader = 0xFF;
constexpr uint8_t kCompressedHeader = 0xFE;

// Big-endian reads that fail instead of passing the end.
class Reader {
public:
    explicit Reader(tbx::Handle handle)
        : _data(handle && *handle ? reinterpret_cast<const uint8_t*>(*handle) : nullptr),
          _size(handle && *handle ? tbx::GetHandleSize(handle) : 0) {}
    bool Has(std::size_t at, std::size_t count) const {
        return _data && at <= _size && count <= _size - at;
    }
    uint32_t Read(std::size_t at, int bytes, bool& ok) const {
        if (!Has(at, std::size_t(bytes))) {
            ok = false;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | _data[at + i];
        return value;
    }
    std::size_t Size() const { return _size; }

private:
    const uint8_t* _data;
    std::size_t _size;
};

} // namespace

int32_t GetSndHdrOffset(tbx::Handle sound) {
    Reader r(sound);
    bool ok = true;
    std::size_t at = 0;
    const uint32_t format = r.Read(at, 2, ok);
    if (format == 1) {
        const uint32_t modifiers = r.Read(2, 2, ok);
        at = 4 + std::size_t(modifiers) * 6; // modifier number and its 32-bit init option
    } else if (format == 2) {
        at = 4; // format and reference count
    } else {
        return 0;
    }
    const uint32_t commands = r.Read(at, 2, ok);
    at += 2;
    for (uint32_t i = 0; ok && i < commands; ++i, at += 8) {
        const uint32_t command = r.Read(at, 2, ok);
        const uint32_t offset = r.Read(at + 4, 4, ok);
        if (ok && (command == kSoundCmdWithOffset || command == kBufferCmdWithOffset))
            return offset <= r.Size() ? int32_t(offset) : 0;
    }
    return 0;
}

bool CreateSoundDescription(tbx::Handle sound, tbx::SoundDescription& description,
                            int32_t* dataOffset, int32_t* sampleCount, int32_t* dataSize) {
    int32_t offset = 0, count = 0, size = 0;
    description = tbx::SoundDescription{};
    auto finish = [&](bool result) {
        if (dataOffset)
            *dataOffset = result ? offset : 0;
        if (sampleCount)
            *sampleCount = result ? count : 0;
        if (dataSize)
            *dataSize = result ? size : 0;
        return result;
    };
    Reader r(sound);
    const int32_t header = GetSndHdrOffset(sound);
    if (header <= 0)
        return finish(false);
    const std::size_t h = std::size_t(header);
    bool ok = true;
    const uint8_t encode = uint8_t(r.Read(h + 20, 1, ok));
    const double rate = r.Read(h + 8, 4, ok) / 65536.0;
    int32_t headerSize = 0;
    if (encode == kStandardHeader) {
        description.dataFormat = tbx::FourCC("raw ");
        description.numChannels = 1;
        description.sampleSize = 8;
        count = size = int32_t(r.Read(h + 4, 4, ok) & 0x7FFFFFFF);
        headerSize = 22;
    } else if (encode == kExtendedHeader || encode == kCompressedHeader) {
        const uint32_t channels = r.Read(h + 4, 4, ok);
        const uint32_t frames = r.Read(h + 22, 4, ok);
        // The sample size sits at 48 in the extended header, at 62 in the compressed one.
        const uint32_t bits = r.Read(h + (encode == kExtendedHeader ? 48 : 62), 2, ok);
        if (channels == 0 || channels > 32 || frames > 0x7FFFFFFF / 64)
            return finish(false);
        description.numChannels = int16_t(channels);
        description.sampleSize = int16_t(bits);
        headerSize = 64;
        if (encode == kExtendedHeader) {
            description.dataFormat = tbx::FourCC("raw ");
            const uint64_t bytes = uint64_t(frames) * (bits / 8) * channels;
            if (bytes > INT32_MAX) // a sample size no sound has
                return finish(false);
            count = int32_t(frames);
            size = int32_t(bytes);
        } else {
            const uint32_t compression = r.Read(h + 56, 2, ok);
            // MACE 3:1 packs six samples of a channel in two bytes, MACE 6:1 in one.
            uint32_t bytesPerPacket = 0;
            if (compression == 3) {
                description.dataFormat = tbx::FourCC("MAC3");
                bytesPerPacket = 2;
            } else if (compression == 4) {
                description.dataFormat = tbx::FourCC("MAC6");
                bytesPerPacket = 1;
            } else {
                return finish(false);
            }
            count = int32_t(frames * 6);
            size = int32_t(uint64_t(frames) * bytesPerPacket * channels);
        }
    } else {
        return finish(false);
    }
    description.sampleRate = rate;
    offset = header + headerSize;
    if (!ok || !r.Has(h, std::size_t(headerSize)))
        return finish(false);
    return finish(true);
}
