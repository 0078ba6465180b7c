// Whole-file compression: the "CWS" form, its round trip against an independent zlib, and
// failures that must leave every file as it was.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "core/files/file_functions.h"
#include "swf/header/swf_compressor.h"
#include "tests/support/private_folders.h"
#include "tests/support/tools.h"

namespace {

namespace fs = std::filesystem;
using stravel::testing::PrivateFolders;
using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::WriteFileBytes;

CBK_Path PathOf(const fs::path& p) {
    return CBK_Path(p.wstring());
}

std::string LittleEndian32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// "FWS", version 6, the true length, then `body`.
std::string PlainSwf(const std::string& body) {
    return "FWS\x06" + LittleEndian32(static_cast<uint32_t>(8 + body.size())) + body;
}

// Text that compresses well, then noise that does not: more than one zlib buffer.
std::string MixedBody(std::size_t size) {
    std::mt19937 rng(7);
    std::string body;
    while (body.size() < size / 2)
        body += "frame " + std::to_string(body.size()) + " of the movie; ";
    while (body.size() < size)
        body += static_cast<char>(rng());
    return body;
}

std::string Deflated(const std::string& bytes) {
    uLongf size = compressBound(bytes.size());
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                        reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(), 9),
              Z_OK);
    out.resize(size);
    return out;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SwfCompressorTest : public ::testing::Test {
protected:
    fs::path Work() const { return _folders.Work(); }
    PrivateFolders _folders;
};

TEST_F(SwfCompressorTest, RecognisesSignatures) {
    const std::map<std::string, std::pair<bool, bool>> cases = {
        {"FWS\x06", {true, false}},  {"CWS\x06", {true, true}}, {"FW", {false, false}},
        {"FWX\x06", {false, false}}, {"ZWS", {false, false}},   {"", {false, false}},
    };
    for (const auto& [bytes, expected] : cases) {
        WriteFileBytes(Work() / "s.swf", bytes);
        EXPECT_EQ(CBK_SwfCompressor::IsValidSwf(PathOf(Work() / "s.swf")), expected.first) << bytes;
        EXPECT_EQ(CBK_SwfCompressor::IsCompressedSwf(PathOf(Work() / "s.swf")), expected.second)
            << bytes;
    }
    gBK_SwfCompressor_LastError = 0;
    EXPECT_FALSE(CBK_SwfCompressor::IsValidSwf(PathOf(Work() / "missing.swf")));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), 0);
    EXPECT_FALSE(CBK_SwfCompressor::IsCompressedSwf(PathOf(Work() / "missing.swf")));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_CANNOT_OPEN_SOURCE);
}

TEST_F(SwfCompressorTest, CompressedFormAndRoundTrip) {
    const std::string body = MixedBody(700000);
    const std::string plain = PlainSwf(body);
    WriteFileBytes(Work() / "a.swf", plain);
    ASSERT_TRUE(
        CBK_SwfCompressor::CompressSwf(PathOf(Work() / "a.swf"), PathOf(Work() / "c.swf"), false));
    const std::string packed = ReadFileBytes(Work() / "c.swf");
    // The signature changes; version and the uncompressed length stay.
    EXPECT_EQ(packed.substr(0, 8), "CWS" + plain.substr(3, 5));
    EXPECT_EQ(packed.substr(8), Deflated(body));

    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "c.swf"), PathOf(Work() / "d.swf"),
                                                 false));
    EXPECT_EQ(ReadFileBytes(Work() / "d.swf"), plain);
    uint32_t creator = 0, type = 0;
    tbx::FSRef ref;
    ASSERT_TRUE(PathOf(Work() / "d.swf").GetFSRef(ref));
    if (BK_GetFileTypes(ref, creator, type)) {
        EXPECT_EQ(creator, tbx::FourCC("SWF2"));
        EXPECT_EQ(type, tbx::FourCC("SWFL"));
    }

    // An empty body still makes a complete zlib stream.
    WriteFileBytes(Work() / "e.swf", PlainSwf(""));
    ASSERT_TRUE(
        CBK_SwfCompressor::CompressSwf(PathOf(Work() / "e.swf"), PathOf(Work() / "e.swf"), true));
    EXPECT_EQ(ReadFileBytes(Work() / "e.swf").substr(8), Deflated(""));
    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "e.swf"), true));
    EXPECT_EQ(ReadFileBytes(Work() / "e.swf"), PlainSwf(""));
}

TEST_F(SwfCompressorTest, MatchesAnIndependentZlib) {
    STRAVEL_REQUIRE_TOOL("python3");
    const std::string body = MixedBody(300000);
    WriteFileBytes(Work() / "a.swf", PlainSwf(body));
    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(PathOf(Work() / "a.swf"), false));
    const auto theirs = RunTool(
        {"python3", "-c",
         "import sys, zlib; sys.stdout.buffer.write(zlib.compress(sys.stdin.buffer.read(), 9))"},
        body);
    ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
    EXPECT_EQ(ReadFileBytes(Work() / "a.swf").substr(8), theirs.out);

    // Their stream at another level inflates to the same movie here.
    const auto level1 = RunTool(
        {"python3", "-c",
         "import sys, zlib; sys.stdout.buffer.write(zlib.compress(sys.stdin.buffer.read(), 1))"},
        body);
    ASSERT_EQ(level1.exitCode, 0) << level1.err;
    WriteFileBytes(Work() / "b.swf",
                   "CWS\x06" + LittleEndian32(static_cast<uint32_t>(8 + body.size())) + level1.out);
    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "b.swf"), false));
    EXPECT_EQ(ReadFileBytes(Work() / "b.swf"), PlainSwf(body));
}

TEST_F(SwfCompressorTest, RefusalsAndTheirReasons) {
    const CBK_Path plain = PathOf(Work() / "p.swf"), packed = PathOf(Work() / "c.swf");
    WriteFileBytes(Work() / "p.swf", PlainSwf("body"));
    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(plain, packed, false));
    WriteFileBytes(Work() / "text.swf", "not a movie");
    const CBK_Path text = PathOf(Work() / "text.swf"), out = PathOf(Work() / "out.swf");

    gBK_SwfCompressor_LastError = 0;
    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(packed, out, true)); // already compressed
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), 0);
    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(text, out, true));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_NOT_SWF);
    EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(plain, out, true));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_NOT_COMPRESSED_SWF);
    EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "gone.swf"), out, true));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_CANNOT_OPEN_SOURCE);
    // An existing destination is kept without leave to replace it; a folder always.
    WriteFileBytes(Work() / "out.swf", "keep");
    EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(packed, out, false));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_CANNOT_CREATE_OUTPUT);
    EXPECT_EQ(ReadFileBytes(Work() / "out.swf"), "keep");
    gBK_SwfCompressor_LastError = 0;
    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(plain, PathOf(Work().wstring() + L"/"), true));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_CANNOT_CREATE_OUTPUT);
    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(plain, PathOf(Work() / "no/such.swf"), true));
    // A header cut short is no compressed movie.
    WriteFileBytes(Work() / "short.swf", "CWS\x06");
    EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "short.swf"), out, true));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_NOT_COMPRESSED_SWF);
    // A stream cut short, or that is no zlib at all, says so.
    const std::string whole = ReadFileBytes(Work() / "c.swf");
    WriteFileBytes(Work() / "cut.swf", whole.substr(0, 8 + 3));
    WriteFileBytes(Work() / "noise.swf", whole.substr(0, 8) + "noise, not zlib");
    for (const char* damaged : {"cut.swf", "noise.swf"}) {
        gBK_SwfCompressor_LastError = 0;
        EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / damaged), out, true));
        EXPECT_EQ(CBK_SwfCompressor::GetLastError(), CBK_SwfCompressor::ERROR_DAMAGED_STREAM)
            << damaged;
    }
    EXPECT_EQ(ReadFileBytes(Work() / "out.swf"), "keep");
    EXPECT_EQ(Names(Work()), (std::vector<std::string>{"c.swf", "cut.swf", "noise.swf", "out.swf",
                                                       "p.swf", "short.swf", "text.swf"}));
}

TEST_F(SwfCompressorTest, InPlaceWithoutBackup) {
    const std::string original = PlainSwf(MixedBody(5000));
    WriteFileBytes(Work() / "m.swf", original);
    const CBK_Path movie = PathOf(Work() / "m.swf");
    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(movie, false));
    const std::string packed = ReadFileBytes(Work() / "m.swf");
    EXPECT_EQ(packed.substr(0, 3), "CWS");
    // Already compressed: nothing to do, and nothing changes.
    gBK_SwfCompressor_LastError = 0;
    EXPECT_TRUE(CBK_SwfCompressor::CompressSwf(movie, false));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), 0);
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf"), packed);
    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(movie, false));
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf"), original);
    EXPECT_TRUE(CBK_SwfCompressor::DecompressSwf(movie, false));
    // A file that is no movie at all is a failure, not a success.
    WriteFileBytes(Work() / "t.swf", "plain text");
    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(PathOf(Work() / "t.swf"), false));
    EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "t.swf"), false));
    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(PathOf(Work() / "none.swf"), false));
    EXPECT_EQ(ReadFileBytes(Work() / "t.swf"), "plain text");
    EXPECT_EQ(Names(Work()), (std::vector<std::string>{"m.swf", "t.swf"}));
}

TEST_F(SwfCompressorTest, InPlaceWithBackup) {
    const std::string original = PlainSwf(MixedBody(5000));
    WriteFileBytes(Work() / "m.swf", original);
    WriteFileBytes(Work() / "m.swf~", "old backup");
    const CBK_Path movie = PathOf(Work() / "m.swf");
    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(movie, true));
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf~"), original);
    const std::string packed = ReadFileBytes(Work() / "m.swf");
    EXPECT_EQ(packed.substr(0, 3), "CWS");
    // Compressing again has nothing to convert: the file and its backup stay as they are.
    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(movie, true));
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf"), packed);
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf~"), original);
    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(movie, true));
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf"), original);
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf~"), packed);
    EXPECT_EQ(Names(Work()), (std::vector<std::string>{"m.swf", "m.swf~"}));
}

TEST_F(SwfCompressorTest, InflatingStopsAtTheDeclaredLength) {
    // 50 MB of zeros that claim to be a 1000-byte movie.
    const std::string bomb = Deflated(std::string(50 << 20, '\0'));
    ASSERT_LT(bomb.size(), 100000u);
    WriteFileBytes(Work() / "bomb.swf", "CWS\x06" + LittleEndian32(1000) + bomb);
    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "bomb.swf"),
                                                 PathOf(Work() / "out.swf"), false));
    EXPECT_EQ(ReadFileBytes(Work() / "out.swf"),
              "FWS\x06" + LittleEndian32(1000) + std::string(992, '\0'));
    // A length below the header's own inflates nothing.
    WriteFileBytes(Work() / "tiny.swf", "CWS\x06" + LittleEndian32(3) + bomb);
    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / "tiny.swf"), false));
    EXPECT_EQ(ReadFileBytes(Work() / "tiny.swf"), "FWS\x06" + LittleEndian32(3));
}

TEST_F(SwfCompressorTest, DamagedStreamsFailWithoutOutput) {
    const std::string body = MixedBody(20000);
    const std::string packed =
        "CWS\x06" + LittleEndian32(static_cast<uint32_t>(8 + body.size())) + Deflated(body);
    WriteFileBytes(Work() / "cut.swf", packed.substr(0, packed.size() / 2));
    std::string corrupt = packed;
    corrupt[8] = 0x00; // not a zlib header
    WriteFileBytes(Work() / "bad.swf", corrupt);
    for (const char* name : {"cut.swf", "bad.swf"}) {
        SCOPED_TRACE(name);
        const std::string before = ReadFileBytes(Work() / name);
        EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / name),
                                                      PathOf(Work() / "out.swf"), true));
        EXPECT_FALSE(fs::exists(Work() / "out.swf"));
        EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / name), false));
        EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(PathOf(Work() / name), true));
        EXPECT_EQ(ReadFileBytes(Work() / name), before);
    }
    EXPECT_EQ(Names(Work()), (std::vector<std::string>{"bad.swf", "cut.swf"}));
}

// Runs `action` in a child whose files may not grow past `limit` bytes; its result.
bool UnderFileSizeLimit(rlim_t limit, const std::function<bool()>& action) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit cap{limit, limit};
        setrlimit(RLIMIT_FSIZE, &cap);
        _exit(action() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs `action` in a child that the file-size limit kills in the middle of a write.
void KilledInTheMiddleOfAWrite(rlim_t limit, const std::function<bool()>& action) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit cap{limit, limit};
        setrlimit(RLIMIT_FSIZE, &cap);
        action();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
}

TEST_F(SwfCompressorTest, AMovieKilledWhileCompressingStaysUnderItsName) {
    std::mt19937 rng(4);
    std::string noise(200000, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng());
    const std::string original = PlainSwf(noise);
    WriteFileBytes(Work() / "m.swf", original);
    WriteFileBytes(Work() / "m.swf~", "old backup");
    const CBK_Path movie = PathOf(Work() / "m.swf");
    KilledInTheMiddleOfAWrite(4096, [&] { return CBK_SwfCompressor::CompressSwf(movie, true); });
    EXPECT_TRUE(ReadFileBytes(Work() / "m.swf") == original); // 200 kB: no dump
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf~"), "old backup");
    // The next run clears what the killed one left of its backup and completes.
    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(movie, true));
    EXPECT_TRUE(ReadFileBytes(Work() / "m.swf~") == original);
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf").substr(0, 3), "CWS");
}

TEST_F(SwfCompressorTest, FailedWritesLeaveTheOriginalAndNoTemporary) {
    std::mt19937 rng(3);
    std::string noise(200000, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng());
    const std::string original = PlainSwf(noise);
    WriteFileBytes(Work() / "m.swf", original);
    const CBK_Path movie = PathOf(Work() / "m.swf");

    EXPECT_FALSE(
        UnderFileSizeLimit(4096, [&] { return CBK_SwfCompressor::CompressSwf(movie, false); }));
    EXPECT_FALSE(
        UnderFileSizeLimit(4096, [&] { return CBK_SwfCompressor::CompressSwf(movie, true); }));
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf"), original);
    EXPECT_EQ(Names(Work()), std::vector<std::string>{"m.swf"});

    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(movie, PathOf(Work() / "c.swf"), false));
    const std::string packed = ReadFileBytes(Work() / "c.swf");
    const CBK_Path compressed = PathOf(Work() / "c.swf");
    EXPECT_FALSE(UnderFileSizeLimit(
        4096, [&] { return CBK_SwfCompressor::DecompressSwf(compressed, false); }));
    EXPECT_FALSE(UnderFileSizeLimit(
        4096, [&] { return CBK_SwfCompressor::DecompressSwf(compressed, movie, true); }));
    EXPECT_EQ(ReadFileBytes(Work() / "c.swf"), packed);
    EXPECT_EQ(ReadFileBytes(Work() / "m.swf"), original);

    EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(movie, CBK_Path(L"/dev/full"), true));
    EXPECT_FALSE(CBK_SwfCompressor::DecompressSwf(compressed, CBK_Path(L"/dev/full"), true));
    EXPECT_EQ(Names(Work()), (std::vector<std::string>{"c.swf", "m.swf"}));

    // A folder that cannot be written (root may write anywhere).
    if (geteuid() != 0) {
        fs::permissions(Work(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(movie, false));
        EXPECT_FALSE(CBK_SwfCompressor::CompressSwf(movie, true));
        fs::permissions(Work(), fs::perms::owner_all);
        EXPECT_EQ(ReadFileBytes(Work() / "m.swf"), original);
        EXPECT_EQ(Names(Work()), (std::vector<std::string>{"c.swf", "m.swf"}));
    }
}

} // namespace
