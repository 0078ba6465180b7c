#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/codec/crc32.h"
#include "core/paths/path.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

CBK_Path PathOf(const std::filesystem::path& p) {
    return CBK_Path(p.wstring());
}

TEST(Crc32Test, BytesFollowTheStandardCheckValues) {
    uint32_t crc = 0x12345678;
    const std::string empty;
    ASSERT_TRUE(BK_ComputeCrc32(Bytes(empty), 0, crc));
    EXPECT_EQ(crc, 0u);
    // The published check value of CRC-32/ISO-HDLC.
    const std::string digits = "123456789";
    ASSERT_TRUE(BK_ComputeCrc32(Bytes(digits), digits.size(), crc));
    EXPECT_EQ(crc, 0xCBF43926u);
    // The value held before is not a seed: the same bytes give the same CRC again.
    uint32_t again = 0xFFFFFFFF;
    ASSERT_TRUE(BK_ComputeCrc32(Bytes(digits), digits.size(), again));
    EXPECT_EQ(again, crc);
}

TEST(Crc32Test, NullInputFailsAndLeavesTheValue) {
    uint32_t crc = 7;
    EXPECT_FALSE(BK_ComputeCrc32(static_cast<const unsigned char*>(nullptr), 4, crc));
    EXPECT_FALSE(BK_ComputeCrc32(static_cast<const wchar_t*>(nullptr), crc));
    EXPECT_EQ(crc, 7u);
}

TEST(Crc32Test, TextUsesTheLowByteOfEachCharacter) {
    // 0x141 and 0x1F600 keep 0x41 and 0x00 as their low bytes.
    const std::wstring text = L"\x141"
                              L"bc\x1F600"
                              L"z" +
                              std::wstring(600, L'\x3FF');
    std::string low;
    for (wchar_t c : text)
        low.push_back(static_cast<char>(c & 0xFF));
    uint32_t fromText = 0, fromBytes = 1;
    ASSERT_TRUE(BK_ComputeCrc32(text.c_str(), fromText));
    ASSERT_TRUE(BK_ComputeCrc32(Bytes(low), low.size(), fromBytes));
    EXPECT_EQ(fromText, fromBytes);
    ASSERT_TRUE(BK_ComputeCrc32(L"", fromText));
    EXPECT_EQ(fromText, 0u);
}

TEST(Crc32Test, FilesMatchPythonZlib) {
    STRAVEL_REQUIRE_TOOL("python3");
    TempDir dir;
    std::mt19937 random(20240611);
    for (std::size_t size : {0u, 1u, 3u, 4096u, 65535u, 65536u, 65537u, 300001u}) {
        std::string content(size, '\0');
        for (auto& c : content)
            c = static_cast<char>(random());
        const auto file = dir / ("data " + std::to_string(size) + ".bin");
        WriteFileBytes(file, content);

        uint32_t crc = 0;
        ASSERT_TRUE(BK_ComputeCrc32File(PathOf(file), crc)) << size;
        const auto tool = RunTool({"python3", "-c",
                                   "import zlib,sys; "
                                   "print(zlib.crc32(open(sys.argv[1],'rb').read()))",
                                   file.string()});
        ASSERT_EQ(tool.exitCode, 0) << tool.err;
        EXPECT_EQ(std::to_string(crc) + "\n", tool.out) << size;

        uint32_t inMemory = 0;
        ASSERT_TRUE(BK_ComputeCrc32(Bytes(content), content.size(), inMemory));
        EXPECT_EQ(inMemory, crc);
    }
}

TEST(Crc32Test, FileThatCannotBeReadFails) {
    TempDir dir;
    uint32_t crc = 99;
    EXPECT_FALSE(BK_ComputeCrc32File(PathOf(dir / "missing.bin"), crc));
    EXPECT_FALSE(BK_ComputeCrc32File(CBK_Path(), crc));
    // A folder opens but cannot be read.
    EXPECT_FALSE(BK_ComputeCrc32File(PathOf(dir.Path()), crc));
    EXPECT_EQ(crc, 99u);
}

TEST(Crc32Test, FileNamesAreUtf8) {
    TempDir dir;
    const std::wstring name = dir.Path().wstring() + L"/\x00E9t\x00E9 \x65E5\x672C.bin";
    WriteFileBytes(std::filesystem::path(BK_WideToFileSystemName(name)), "123456789");
    uint32_t crc = 0;
    ASSERT_TRUE(BK_ComputeCrc32File(CBK_Path(name), crc));
    EXPECT_EQ(crc, 0xCBF43926u);
}

} // namespace
