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

// True when the environment variable CI is set (and not empty): a missing oracle then fails
// its test instead of skipping it, so that a green run means every oracle ran.
bool OraclesRequired();

// Whether the program is installed. When it is not and CI is set, the current test fails as
// well; for tests that consult an oracle only where there is one.
bool HaveTool(const std::string& name);

// Skips the current test when `available` is false, or fails it when CI is set. Every test
// that needs a tool, a font or another oracle from outside checks for it through here.
#define STRAVEL_REQUIRE(available, what)                                                           \
    do {                                                                                           \
        if (!(available)) {                                                                        \
            if (::stravel::testing::OraclesRequired())                                             \
                GTEST_FAIL() << (what) << ", and CI needs it";                                     \
            else                                                                                   \
                GTEST_SKIP() << (what);                                                            \
        }                                                                                          \
    } while (0)

#define STRAVEL_REQUIRE_TOOL(name)                                                                 \
    STRAVEL_REQUIRE(!::stravel::testing::FindTool(name).empty(),                                   \
                    std::string(name) + " is not installed")

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

// Runs ffmpeg with the arguments, writing `out`; fails the test when ffmpeg fails.
bool Make(const std::vector<std::string>& args, const std::filesystem::path& out);

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace stravel::testing
