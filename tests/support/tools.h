// Running real tools from the tests (no shell) and scratch folders.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace stravel::testing {

struct ToolResult {
    int exitCode = -1; // -1 when the program could not be started or was killed
    std::string out;
    std::string err;
};

// The full path of a program found on PATH, or empty.
std::string FindTool(const std::string& name);

// Starts argv[0] (looked up on PATH) with posix_spawn, writes `input` to its standard input
// and collects its standard output and error.
ToolResult RunTool(const std::vector<std::string>& argv, const std::string& input = {});

// Skips the current test when the program is missing.
#define STRAVEL_REQUIRE_TOOL(name)                                                                 \
    do {                                                                                           \
        if (::stravel::testing::FindTool(name).empty())                                            \
            GTEST_SKIP() << (name) << " is not installed";                                         \
    } while (0)

// A fresh folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return _path; }
    std::filesystem::path operator/(const std::string& name) const { return _path / name; }

private:
    std::filesystem::path _path;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace stravel::testing
