// libjpeg as the codec uses it: the platform's error manager, and a hook for tests of the
// in-memory compressor.
#pragma once

#include "platform/jpeg/jpeg_library.h"

namespace bk_jpeg {

using tbx::jpeg::ErrorManager;
using tbx::jpeg::InstallErrorManager;

namespace test {
// The size of the first output buffer of in-memory compression (0: the raw picture's size plus
// 1024), so that tests can make the output outgrow it.
void SetFirstBufferSize(std::size_t bytes);
std::size_t FirstBufferSize(std::size_t raw);
} // namespace test

} // namespace bk_jpeg
