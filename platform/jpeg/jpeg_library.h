// libjpeg with an error manager that returns control instead of ending the process.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

// jpeglib.h first: the messages of jerror.h depend on its configuration.
#include <jpeglib.h>

#include <jerror.h>

namespace tbx::jpeg {

// Errors jump back to the caller's setjmp; no message is printed. Warnings that mean the
// picture data is damaged are errors too.
struct ErrorManager {
    jpeg_error_mgr pub; // first, so that libjpeg's pointer is ours
    std::jmp_buf jump;
};

jpeg_error_mgr* InstallErrorManager(ErrorManager& manager);

// The most memory that libjpeg may take for one picture's working arrays.
constexpr long kMaxWorkingMemory = 256L << 20;

} // namespace tbx::jpeg
