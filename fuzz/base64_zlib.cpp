// Untrusted bytes through the base64 decoder and the zlib buffer wrapper; whatever decodes
// must survive a round trip.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/codec/base64.h"
#include "core/codec/zlib_buffer.h"

namespace {

// Enough for any stream a 4 KiB input can hold, small enough that no input can exhaust memory.
constexpr std::size_t kMaxOutput = std::size_t(8) << 20;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void Base64(const uint8_t* data, size_t size) {
    CBK_Base64 decoder;
    if (!decoder.Decode(data, size))
        return;
    Check(decoder.GetSize() <= size / 4 * 3 + 2);
    CBK_Base64 encoder;
    static const unsigned char kNothing = 0;
    Check(encoder.Encode(decoder.GetSize() ? decoder.GetData() : &kNothing, decoder.GetSize()));
    CBK_Base64 again;
    Check(again.Decode(encoder.GetData() ? encoder.GetData() : &kNothing, encoder.GetSize()));
    Check(again.GetSize() == decoder.GetSize());
    Check(decoder.GetSize() == 0 ||
          std::memcmp(again.GetData(), decoder.GetData(), decoder.GetSize()) == 0);
}

void Zlib(const uint8_t* data, size_t size) {
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> plain(BK_ZlibUncompress(data, size, length, kMaxOutput));
    if (!plain)
        return;
    Check(length <= kMaxOutput);
    std::size_t packedLength = 0;
    std::unique_ptr<unsigned char[]> packed(BK_ZlibCompress(plain.get(), length, packedLength));
    Check(packed != nullptr);
    std::size_t backLength = 0;
    std::unique_ptr<unsigned char[]> back(
        BK_ZlibUncompress(packed.get(), packedLength, backLength, kMaxOutput));
    Check(back != nullptr && backLength == length);
    Check(length == 0 || std::memcmp(back.get(), plain.get(), length) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Base64(data, size);
    Zlib(data, size);
    return 0;
}
