// A file with thousands of one-byte user attributes, in a folder of its own in memory: only a
// memory file system holds that many (more than the 64 KiB of names the kernel lists at once).
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <sys/xattr.h>

#include "tests/support/tools.h"

namespace stravel::testing {

// A file of `forks` one-byte forks "f0000", "f0001", ... (each padded with dots to `width`
// bytes of attribute name when that is longer); `error` says why there is none.
struct MemoryFile {
    std::filesystem::path folder, file;
    std::string error;
    explicit MemoryFile(int forks, std::size_t width = 0) {
        char pattern[] = "/dev/shm/stravel-test-XXXXXX";
        if (!mkdtemp(pattern)) {
            error = "no /dev/shm";
            return;
        }
        folder = pattern;
        file = folder / "movie";
        WriteFileBytes(file, "data");
        for (int i = 0; i < forks && error.empty(); ++i)
            if (setxattr(file.c_str(), ForkAttribute(i, width).c_str(), "x", 1, 0) != 0)
                error = "/dev/shm holds " + std::to_string(i) + " user attributes";
    }
    ~MemoryFile() {
        if (!folder.empty())
            std::filesystem::remove_all(folder);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    static std::string ForkAttribute(int i, std::size_t width = 0) {
        char name[32];
        std::snprintf(name, sizeof name, "user.f%04d", i);
        return std::string(name).append(width > 10 ? width - 10 : 0, '.');
    }
};

} // namespace stravel::testing
