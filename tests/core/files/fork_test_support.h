// File references and whole forks for the file tests.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"

namespace stravel::testing {

inline tbx::FSRef RefOf(const std::filesystem::path& path) {
    tbx::FSRef ref;
    EXPECT_EQ(tbx::FSPathMakeRef(reinterpret_cast<const tbx::UInt8*>(path.c_str()), &ref, nullptr),
              tbx::noErr)
        << path;
    return ref;
}

inline tbx::SInt16 OpenFork(const tbx::FSRef& ref, bool resource, tbx::SInt8 permission) {
    tbx::HFSUniStr255 name;
    resource ? tbx::FSGetResourceForkName(&name) : tbx::FSGetDataForkName(&name);
    tbx::SInt16 refNum = 0;
    EXPECT_EQ(tbx::FSOpenFork(&ref, name.length, name.unicode, permission, &refNum), tbx::noErr);
    return refNum;
}

// At most 64 KiB of a fork.
inline std::string ForkBytes(const tbx::FSRef& ref, bool resource) {
    const tbx::SInt16 fork = OpenFork(ref, resource, tbx::fsRdPerm);
    std::string bytes(1 << 16, '\0');
    tbx::ByteCount got = 0;
    tbx::FSReadFork(fork, tbx::fsFromStart, 0, bytes.size(), bytes.data(), &got);
    tbx::FSCloseFork(fork);
    bytes.resize(got);
    return bytes;
}

} // namespace stravel::testing
