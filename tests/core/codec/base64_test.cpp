#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/codec/base64.h"
#include "core/paths/path.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string Result(const CBK_Base64& codec) {
    return std::string(reinterpret_cast<const char*>(codec.GetData()), codec.GetSize());
}

std::string Encoded(const std::string& bytes) {
    CBK_Base64 codec;
    EXPECT_TRUE(codec.Encode(Bytes(bytes), bytes.size()));
    return Result(codec);
}

// The decoded bytes, or "<fail>" when decoding is refused.
std::string Decoded(const std::string& text) {
    CBK_Base64 codec;
    if (!codec.Decode(Bytes(text), text.size())) {
        EXPECT_EQ(codec.GetSize(), 0u);
        return "<fail>";
    }
    return Result(codec);
}

std::string RandomBytes(std::mt19937& random, std::size_t n) {
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(random());
    return s;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

CBK_Path PathOf(const std::filesystem::path& p) {
    return CBK_Path(p.wstring());
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

TEST(Base64Test, EncodesGroupsWithPadding) {
    EXPECT_EQ(Encoded("abc"), "YWJj");
    EXPECT_EQ(Encoded("ab"), "YWI=");
    EXPECT_EQ(Encoded("a"), "YQ==");
    EXPECT_EQ(Encoded(""), "");
    EXPECT_EQ(Encoded(std::string("\xFB\xFF\x00", 3)), "+/8A");
    CBK_Base64 codec;
    EXPECT_FALSE(codec.Encode(nullptr, 3));
    EXPECT_FALSE(codec.Decode(nullptr, 3));
}

TEST(Base64Test, DecodesPaddedUnpaddedAndSpacedText) {
    EXPECT_EQ(Decoded("YWI="), "ab");
    EXPECT_EQ(Decoded("YWJj"), "abc");
    EXPECT_EQ(Decoded("YWJj\n"), "abc");
    EXPECT_EQ(Decoded("YWJj\r\n"), "abc");
    EXPECT_EQ(Decoded(" Y W\tJ j\r\nYQ==\r\n"), "abca");
    EXPECT_EQ(Decoded("YWI"), "ab");
    EXPECT_EQ(Decoded("YQ"), "a");
    EXPECT_EQ(Decoded(""), "");
    EXPECT_EQ(Decoded("\r\n"), "");
    // Decoding ends at the first "=".
    EXPECT_EQ(Decoded("YWI=YWJj"), "ab");
    EXPECT_EQ(Decoded("YWJj=*"), "abc");
}

TEST(Base64Test, RefusesCharactersOutsideTheAlphabetAndCutGroups) {
    for (const std::string& text :
         {std::string("YW*j"), std::string("YWJj\x00", 5), std::string("YWJ\xFF"),
          std::string("YWJj-_"), std::string("Y"), std::string("YWJjY"), std::string("Y==="),
          std::string("YWJjY=\n")})
        EXPECT_EQ(Decoded(text), "<fail>") << text;
    // A refused decode does not leave the previous result behind.
    CBK_Base64 codec;
    ASSERT_TRUE(codec.Encode(Bytes("abc"), 3));
    EXPECT_FALSE(codec.Decode(Bytes("Y"), 1));
    EXPECT_EQ(codec.GetSize(), 0u);
}

TEST(Base64Test, MatchesCoreutilsOnRandomBuffers) {
    STRAVEL_REQUIRE_TOOL("base64");
    std::mt19937 random(1125);
    std::vector<std::string> inputs;
    for (std::size_t n = 0; n <= 10; ++n)
        for (int i = 0; i < 3; ++i)
            inputs.push_back(RandomBytes(random, n));
    inputs.push_back(RandomBytes(random, 1 << 20));
    for (const auto& bytes : inputs) {
        const auto tool = RunTool({"base64", "-w0"}, bytes);
        ASSERT_EQ(tool.exitCode, 0) << tool.err;
        EXPECT_EQ(Encoded(bytes), tool.out) << bytes.size();
        EXPECT_EQ(Decoded(tool.out), bytes) << bytes.size();
    }
    // Coreutils' wrapped form decodes too, line breaks and all.
    const auto wrapped = RunTool({"base64"}, inputs.back());
    ASSERT_EQ(wrapped.exitCode, 0);
    EXPECT_EQ(Decoded(wrapped.out), inputs.back());
    EXPECT_EQ(Decoded(WithCrLf(wrapped.out)), inputs.back());
}

TEST(Base64Test, GetDataAsStringNeedsRoomForTheTerminator) {
    CBK_Base64 codec;
    const std::string bytes("a\xE9\x00z", 4);
    ASSERT_TRUE(codec.Decode(Bytes(Encoded(bytes)), 8));
    wchar_t buf[8];
    ASSERT_TRUE(codec.GetDataAsString(buf, 5));
    EXPECT_EQ(std::wstring(buf, 5), std::wstring(L"a\xE9\0z\0", 5));
    buf[0] = L'x';
    EXPECT_FALSE(codec.GetDataAsString(buf, 4));
    EXPECT_EQ(buf[0], L'\0');
    EXPECT_FALSE(codec.GetDataAsString(buf, 0));
    EXPECT_FALSE(codec.GetDataAsString(nullptr, 8));
}

TEST(Base64FileTest, EncodeAndDecodeWholeFiles) {
    TempDir dir;
    std::mt19937 random(7);
    const std::string bytes = RandomBytes(random, 100000);
    WriteFileBytes(dir / "in.bin", bytes);
    CBK_Base64 codec;
    ASSERT_TRUE(codec.Encode(PathOf(dir / "in.bin")));
    const std::string text = Result(codec);
    EXPECT_EQ(text, Encoded(bytes));

    WriteFileBytes(dir / "in.b64", text + "\r\n");
    ASSERT_TRUE(codec.Decode(PathOf(dir / "in.b64")));
    EXPECT_EQ(Result(codec), bytes);

    WriteFileBytes(dir / "empty", "");
    ASSERT_TRUE(codec.Encode(PathOf(dir / "empty")));
    EXPECT_EQ(codec.GetSize(), 0u);

    WriteFileBytes(dir / "bad.b64", "YW*j");
    EXPECT_FALSE(codec.Decode(PathOf(dir / "bad.b64")));
    EXPECT_FALSE(codec.Encode(PathOf(dir / "missing")));
    EXPECT_FALSE(codec.Decode(PathOf(dir / "missing")));
    EXPECT_FALSE(codec.Encode(PathOf(dir.Path())));
    // Devices have no end and files above the cap are not taken into memory.
    EXPECT_FALSE(codec.Encode(CBK_Path(L"/dev/zero")));
    EXPECT_FALSE(codec.Decode(CBK_Path(L"/dev/zero")));
    std::filesystem::resize_file(dir / "empty", CBK_Base64::kMaxFileSize + 1);
    EXPECT_FALSE(codec.Encode(PathOf(dir / "empty")));
    EXPECT_EQ(codec.GetSize(), 0u);
}

TEST(Base64FileTest, EncodeWritesLinesOfTheGivenLength) {
    STRAVEL_REQUIRE_TOOL("base64");
    TempDir dir;
    std::mt19937 random(76);
    // 57 bytes fill one line exactly; 49152 is the size of one read.
    for (std::size_t size : {0u, 1u, 56u, 57u, 58u, 1000u, 49152u, 49153u, 200000u}) {
        const std::string bytes = RandomBytes(random, size);
        WriteFileBytes(dir / "in.bin", bytes);
        for (int lineLength : {76, 64, 5}) {
            ASSERT_TRUE(
                BK_Base64Encode(PathOf(dir / "in.bin"), PathOf(dir / "out.txt"), lineLength));
            const auto tool = RunTool({"base64", "-w", std::to_string(lineLength / 4 * 4)}, bytes);
            ASSERT_EQ(tool.exitCode, 0);
            EXPECT_EQ(ReadFileBytes(dir / "out.txt"), WithCrLf(tool.out))
                << size << " " << lineLength;
        }
        for (int lineLength : {0, 3, -1}) {
            ASSERT_TRUE(
                BK_Base64Encode(PathOf(dir / "in.bin"), PathOf(dir / "out.txt"), lineLength));
            EXPECT_EQ(ReadFileBytes(dir / "out.txt"), Encoded(bytes)) << size;
        }
    }
    // 19 groups, 76 characters, per line.
    WriteFileBytes(dir / "in.bin", std::string(57 * 2 + 1, 'x'));
    ASSERT_TRUE(BK_Base64Encode(PathOf(dir / "in.bin"), PathOf(dir / "out.txt"), 76));
    const std::string out = ReadFileBytes(dir / "out.txt");
    EXPECT_EQ(out.find("\r\n"), 76u);
    EXPECT_EQ(out.find("\r\n", 78), 78u + 76u);
    EXPECT_EQ(out.size(), 2 * 78u + 4u + 2u);
}

TEST(Base64FileTest, DecodeSkipsForeignCharactersAndAddsNoPaddingByte) {
    TempDir dir;
    std::mt19937 random(3);
    for (std::size_t size : {0u, 1u, 2u, 3u, 100u, 70000u}) {
        const std::string bytes = RandomBytes(random, size);
        WriteFileBytes(dir / "in.bin", bytes);
        ASSERT_TRUE(BK_Base64Encode(PathOf(dir / "in.bin"), PathOf(dir / "text"), 76));
        ASSERT_TRUE(BK_Base64Decode(PathOf(dir / "text"), PathOf(dir / "back.bin")));
        EXPECT_EQ(ReadFileBytes(dir / "back.bin"), bytes) << size;
    }
    WriteFileBytes(dir / "text", "YW*J\xFFj\r\n-YW\nI=\nignored");
    ASSERT_TRUE(BK_Base64Decode(PathOf(dir / "text"), PathOf(dir / "out")));
    EXPECT_EQ(ReadFileBytes(dir / "out"), "abcab");
}

TEST(Base64FileTest, FailuresLeaveTheOutputAsItWasAndNoTemporaryFile) {
    TempDir dir;
    WriteFileBytes(dir / "out", "keep");
    WriteFileBytes(dir / "cut.b64", "YWJjY");
    WriteFileBytes(dir / "good.b64", "YWJj");
    const std::size_t entries = EntriesIn(dir.Path());

    EXPECT_FALSE(BK_Base64Decode(PathOf(dir / "cut.b64"), PathOf(dir / "out")));
    EXPECT_FALSE(BK_Base64Decode(PathOf(dir / "missing"), PathOf(dir / "out")));
    EXPECT_FALSE(BK_Base64Encode(PathOf(dir / "missing"), PathOf(dir / "out"), 76));
    EXPECT_FALSE(BK_Base64Encode(PathOf(dir.Path()), PathOf(dir / "out"), 76));
    // Only regular files: a device that ends at once is refused like one that never ends.
    ASSERT_FALSE(BK_Base64Encode(CBK_Path(L"/dev/null"), PathOf(dir / "out"), 76));
    ASSERT_FALSE(BK_Base64Decode(CBK_Path(L"/dev/null"), PathOf(dir / "out")));
    EXPECT_FALSE(BK_Base64Encode(CBK_Path(L"/dev/zero"), PathOf(dir / "out"), 76));
    EXPECT_FALSE(BK_Base64Decode(CBK_Path(L"/dev/zero"), PathOf(dir / "out")));
    EXPECT_EQ(ReadFileBytes(dir / "out"), "keep");
    EXPECT_FALSE(BK_Base64Decode(PathOf(dir / "good.b64"), PathOf(dir / "no/such/folder")));
    EXPECT_FALSE(BK_Base64Encode(PathOf(dir / "good.b64"), CBK_Path(), 76));
    // A folder in the output's place cannot be replaced by a file.
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(BK_Base64Decode(PathOf(dir / "good.b64"), PathOf(dir / "folder")));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
    EXPECT_EQ(EntriesIn(dir.Path()), entries + 1);

    ASSERT_TRUE(BK_Base64Decode(PathOf(dir / "good.b64"), PathOf(dir / "out")));
    EXPECT_EQ(ReadFileBytes(dir / "out"), "abc");
    // The input may be the output itself.
    ASSERT_TRUE(BK_Base64Encode(PathOf(dir / "out"), PathOf(dir / "out"), 76));
    EXPECT_EQ(ReadFileBytes(dir / "out"), "YWJj\r\n");
}

TEST(Base64FileTest, WriteFailureIsReported) {
    TempDir dir;
    std::mt19937 random(9);
    WriteFileBytes(dir / "in.bin", RandomBytes(random, 1 << 20));
    WriteFileBytes(dir / "out", "keep");
    WriteFileBytes(dir / "text", std::string(200000, 'A'));

    const bool encoded = stravel::testing::UnderFileSizeLimit(64 * 1024, [&] {
        return BK_Base64Encode(PathOf(dir / "in.bin"), PathOf(dir / "out"), 76);
    });
    const bool decoded = stravel::testing::UnderFileSizeLimit(
        64 * 1024, [&] { return BK_Base64Decode(PathOf(dir / "text"), PathOf(dir / "out")); });

    EXPECT_FALSE(encoded);
    EXPECT_FALSE(decoded);
    EXPECT_EQ(ReadFileBytes(dir / "out"), "keep");
    EXPECT_EQ(EntriesIn(dir.Path()), 3u); // in.bin, out, text
}

} // namespace
