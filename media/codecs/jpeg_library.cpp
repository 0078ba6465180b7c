#include "media/codecs/jpeg_library.h"

namespace bk_jpeg::test {
namespace {
std::size_t gFirstBufferSize = 0;
}
void SetFirstBufferSize(std::size_t bytes) {
    gFirstBufferSize = bytes;
}
std::size_t FirstBufferSize(std::size_t raw) {
    return gFirstBufferSize ? gFirstBufferSize : raw + 1024;
}
} // namespace bk_jpeg::test
