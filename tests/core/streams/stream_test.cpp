#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "core/files/file_functions.h"
#include "core/streams/file_writer.h"
#include "core/streams/mac_carbon_file_buf.h"
#include "core/streams/of_stream.h"
#include "core/strings/locale.h"
#include "tests/support/private_folders.h"

namespace {

namespace fs = std::filesystem;
using std::ios_base;
using stravel::testing::ReadFileBytes;
using stravel::testing::WriteFileBytes;

std::wstring W(const fs::path& path) {
    return BK_FileSystemNameToWide(path.string());
}

class StreamTest : public ::testing::Test {
protected:
    stravel::testing::PrivateFolders folders;
    fs::path work = fs::canonical(folders.Work());
};

TEST_F(StreamTest, OpeningFollowsItsModes) {
    TBK_MacCarbonOFStream<char> stream;
    stream.open(W(work / "new.txt").c_str(), ios_base::out);
    ASSERT_TRUE(stream.is_open());
    EXPECT_TRUE(fs::exists(work / "new.txt"));
    EXPECT_EQ(fs::file_size(work / "new.txt"), 0u);
    stream.open(W(work / "other.txt").c_str(), ios_base::out);
    EXPECT_TRUE(stream.fail());
    EXPECT_TRUE(stream.is_open());
    EXPECT_FALSE(fs::exists(work / "other.txt"));
    stream.clear();
    stream.write("01234567890123456789", 20);
    EXPECT_EQ(int(stream.tellp()), 20);
    EXPECT_EQ(ReadFileBytes(work / "new.txt"), "01234567890123456789");
    stream.close();
    EXPECT_FALSE(stream.fail());
    stream.close();
    EXPECT_TRUE(stream.fail());

    TBK_MacCarbonFileBuf<char> buffer;
    EXPECT_EQ(buffer.open(W(work / "x").c_str(), ios_base::app), nullptr);
    EXPECT_EQ(buffer.open(W(work / "x").c_str(), ios_base::in | ios_base::trunc), nullptr);
    EXPECT_FALSE(fs::exists(work / "x"));
    EXPECT_EQ(buffer.open(W(work / "no" / "x").c_str(), ios_base::out), nullptr);
    EXPECT_FALSE(fs::exists(work / "x"));
}

TEST_F(StreamTest, AppendingAddsAndOutputEmptiesTheOldBytes) {
    WriteFileBytes(work / "five", "12345");
    TBK_MacCarbonOFStream<char> append;
    append.open(W(work / "five").c_str(), ios_base::app);
    append.write("abc", 3);
    append.close();
    EXPECT_EQ(ReadFileBytes(work / "five"), "12345abc");
    TBK_MacCarbonOFStream<char> out;
    out.open(W(work / "five").c_str(), ios_base::out);
    out.write("Z", 1);
    out.close();
    EXPECT_EQ(ReadFileBytes(work / "five"), "Z");
}

TEST_F(StreamTest, SeekingWritesPendingOutputAndReportsPositions) {
    TBK_MacCarbonOFStream<char> stream;
    stream.open(W(work / "s").c_str(), ios_base::out | ios_base::binary);
    stream << "hello world";
    EXPECT_EQ(fs::file_size(work / "s"), 0u); // still in the buffer
    EXPECT_EQ(int(stream.rdbuf()->pubseekoff(0, ios_base::cur, ios_base::out)), 11);
    EXPECT_EQ(fs::file_size(work / "s"), 11u);
    EXPECT_EQ(int(stream.rdbuf()->pubseekoff(0, ios_base::end, ios_base::out)), 11);
    stream.seekp(6);
    stream << "WORLD";
    stream.close();
    EXPECT_EQ(ReadFileBytes(work / "s"), "hello WORLD");

    // Unbuffered: every byte reaches the file at once.
    TBK_MacCarbonOFStream<char> direct;
    direct.rdbuf()->pubsetbuf(nullptr, 0);
    direct.open(W(work / "d").c_str(), ios_base::out);
    direct.put('a');
    EXPECT_EQ(ReadFileBytes(work / "d"), "a");
    direct.close();
}

TEST_F(StreamTest, ReadingPutsBackAndDetectsTheEnd) {
    WriteFileBytes(work / "r", "abcdef");
    TBK_MacCarbonFileBuf<char> buffer;
    ASSERT_NE(buffer.open(W(work / "r").c_str(), ios_base::in), nullptr);
    std::istream in(&buffer);
    char c;
    in.get(c);
    EXPECT_EQ(c, 'a');
    in.unget();
    in.get(c);
    EXPECT_EQ(c, 'a');
    std::string rest;
    in >> rest;
    EXPECT_EQ(rest, "bcdef");
    EXPECT_TRUE(in.eof());
    EXPECT_NE(buffer.close(), nullptr);
}

// A converting facet that flips the case bit of every letter byte.
struct FlipFacet : std::codecvt<char, char, std::mbstate_t> {
    bool do_always_noconv() const noexcept override { return false; }
    int do_encoding() const noexcept override { return 1; }
    result do_out(std::mbstate_t&, const char* from, const char* end, const char*& next, char* to,
                  char* toEnd, char*& toNext) const override {
        while (from < end && to < toEnd)
            *to++ = *from++ ^ 0x20;
        next = from;
        toNext = to;
        return ok;
    }
    result do_in(std::mbstate_t& s, const char* from, const char* end, const char*& next, char* to,
                 char* toEnd, char*& toNext) const override {
        return do_out(s, from, end, next, to, toEnd, toNext);
    }
};

TEST_F(StreamTest, AConvertingFacetConvertsBothWays) {
    const std::locale flipped(std::locale::classic(), new FlipFacet);
    {
        TBK_MacCarbonOFStream<char> out;
        out.rdbuf()->pubimbue(flipped);
        out.open(W(work / "c").c_str(), ios_base::out);
        out << "abc";
        out.close();
        EXPECT_FALSE(out.fail());
    }
    EXPECT_EQ(ReadFileBytes(work / "c"), "ABC");
    TBK_MacCarbonFileBuf<char> buffer;
    buffer.pubimbue(flipped);
    ASSERT_NE(buffer.open(W(work / "c").c_str(), ios_base::in), nullptr);
    std::istream in(&buffer);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "abc");
}

TEST_F(StreamTest, WideTextIsWrittenAsUtf8LikePython) {
    STRAVEL_REQUIRE_TOOL("python3");
    CBK_OFStream stream(CBK_Locale::GetCodePage());
    ASSERT_TRUE(stream.Open(W(work / "u.txt").c_str(), ios_base::out, CBK_Locale::GetCodePage()));
    stream << L"é 中 😀\n" << L"" << static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(stream.GetPosition(), 12);
    stream.close();
    auto python = stravel::testing::RunTool(
        {"python3", "-c",
         "import sys; sys.stdout.buffer.write('\\u00e9 \\u4e2d \\U0001F600\\n'.encode('utf-8'))"});
    ASSERT_EQ(python.exitCode, 0) << python.err;
    EXPECT_EQ(ReadFileBytes(work / "u.txt"), python.out);

    CBK_OFStream roman(tbx::kCFStringEncodingMacRoman);
    ASSERT_TRUE(
        roman.Open(W(work / "r.txt").c_str(), ios_base::out, tbx::kCFStringEncodingMacRoman));
    roman << L"中";
    EXPECT_TRUE(roman.fail());
}

TEST_F(StreamTest, FileWriterCreatesTextFilesAndWritesNumbers) {
    CBK_FileWriter writer;
    ASSERT_TRUE(writer.Create(CBK_Path(W(work / "w.txt")), nullptr, false));
    writer << "a" << L"é" << 'c' << static_cast<int32_t>(-5) << 1.5 << static_cast<uint32_t>(7);
    writer.Write(static_cast<short>(2));
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(work / "w.txt"), "a\xC3\xA9"
                                             "c-51.572");
    EXPECT_FALSE(writer.Create(CBK_Path(W(work / "w.txt")), nullptr, false));
    // A replaced file stays whole until the new one is complete.
    ASSERT_TRUE(writer.Create(CBK_Path(W(work / "w.txt")), nullptr, true));
    writer << "new";
    EXPECT_EQ(ReadFileBytes(work / "w.txt"), "a\xC3\xA9"
                                             "c-51.572");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(work / "w.txt"), "new");

    STRAVEL_REQUIRE_TOOL("getfattr");
    auto result =
        stravel::testing::RunTool({"getfattr", "--only-values", "-n", "user.com.apple.FinderInfo",
                                   (work / "w.txt").string()});
    if (result.exitCode != 0)
        GTEST_SKIP() << "no user attributes here: " << result.err;
    EXPECT_EQ(result.out.substr(0, 8), "TEXTttex");
}

TEST_F(StreamTest, AFullDeviceMakesCloseFail) {
    TBK_MacCarbonOFStream<char> stream;
    stream.open(L"/dev/full", ios_base::out);
    ASSERT_TRUE(stream.is_open());
    stream << "lost";
    stream.close();
    EXPECT_TRUE(stream.fail());

    // The writer too: a file limit stands in for a full disk.
    CBK_FileWriter writer;
    ASSERT_TRUE(writer.Create(CBK_Path(W(work / "big.txt")), nullptr, false));
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    writer << std::string(10000, 'x').c_str();
    const bool closed = writer.Close();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(closed);
}

TEST_F(StreamTest, TenMegabytesTakeFewWriteCalls) {
    STRAVEL_REQUIRE_TOOL("strace");
    // The leak checker cannot run under a tracer.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string savedAsan = asan ? asan : "";
    setenv("ASAN_OPTIONS", (savedAsan + (savedAsan.empty() ? "" : ":") + "detect_leaks=0").c_str(),
           1);
    auto result =
        stravel::testing::RunTool({"strace", "-f", "-c", "-e", "trace=write,pwrite64",
                                   STRAVEL_STREAM_WRITE_CHILD, (work / "ten.bin").string()});
    if (asan)
        setenv("ASAN_OPTIONS", savedAsan.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
    if (result.err.find("PTRACE") != std::string::npos)
        GTEST_SKIP() << "strace cannot trace here: " << result.err.substr(0, 200);
    // strace ends with the writer's own status.
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(fs::file_size(work / "ten.bin"), 10u << 20);
    // The summary lists calls per system call: "% time seconds usecs/call calls ... syscall".
    std::istringstream lines(result.err);
    long calls = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string w; fields >> w;)
            words.push_back(w);
        if (words.size() >= 5 && (words.back() == "pwrite64" || words.back() == "write"))
            calls += std::stol(words[3]);
    }
    EXPECT_GT(calls, 0);
    EXPECT_LT(calls, 1000);
}

} // namespace
