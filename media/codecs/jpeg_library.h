// libjpeg with an error manager that returns control instead of ending the process.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

// jpeglib.h first: the messages of jerror.h depend on its configuration.
#include <jpeglib.h>

#include <jerror.h>

namespace bk_jpeg {

// Errors jump back to the caller's setjmp; no message is printed. Warnings that mean the
// picture data is damaged are errors too.
struct ErrorManager {
    jpeg_error_mgr pub; // first, so that libjpeg's pointer is ours
    std::jmp_buf jump;
};

jpeg_error_mgr* InstallErrorManager(ErrorManager& manager);

// The most memory that libjpeg may take for one picture's working arrays.
constexpr long kMaxWorkingMemory = 256L << 20;

namespace test {
// The size of the first output buffer of in-memory compression (0: the raw picture's size plus
// 1024), so that tests can make the output outgrow it.
void SetFirstBufferSize(std::size_t bytes);
std::size_t FirstBufferSize(std::size_t raw);
} // namespace test

} // namespace bk_jpeg
