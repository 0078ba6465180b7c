#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "core/codec/zlib_buffer.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::RunTool;

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

struct Output {
    bool ok = false;
    std::string bytes;
};

Output Compress(const std::string& in) {
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> out(BK_ZlibCompress(Bytes(in), in.size(), length));
    if (!out)
        return {};
    return {true, std::string(reinterpret_cast<const char*>(out.get()), length)};
}

Output Uncompress(const std::string& in, std::size_t cap = kBK_ZlibMaxUncompressedSize) {
    std::size_t length = 12345;
    std::unique_ptr<unsigned char[]> out(BK_ZlibUncompress(Bytes(in), in.size(), length, cap));
    if (!out) {
        EXPECT_EQ(length, 12345u) << "length changed on failure";
        return {};
    }
    return {true, std::string(reinterpret_cast<const char*>(out.get()), length)};
}

// What zlib's own one-call uncompress makes of the same bytes, given plenty of room.
Output Reference(const std::string& in) {
    std::vector<unsigned char> out(1 << 20);
    uLongf size = out.size();
    if (uncompress(out.data(), &size, Bytes(in), in.size()) != Z_OK)
        return {};
    return {true, std::string(reinterpret_cast<const char*>(out.data()), size)};
}

std::string RandomBytes(std::mt19937& random, std::size_t n) {
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(random());
    return s;
}

// Text-like bytes that compress to a fraction of their size.
std::string Repetitive(std::mt19937& random, std::size_t n) {
    static const char* const words[] = {"frame ", "sound ", "tag ", "movie ", "\n"};
    std::string s;
    while (s.size() < n)
        s += words[random() % 5];
    s.resize(n);
    return s;
}

TEST(ZlibBufferTest, RoundTripsAndPythonAgrees) {
    std::mt19937 random(125);
    std::vector<std::string> inputs = {"", "a"};
    for (std::size_t n : {10u, 1000u, 65536u, 1000000u}) {
        inputs.push_back(RandomBytes(random, n));
        inputs.push_back(Repetitive(random, n));
    }
    const bool python = stravel::testing::HaveTool("python3");
    for (const auto& in : inputs) {
        const Output packed = Compress(in);
        ASSERT_TRUE(packed.ok) << in.size();
        EXPECT_EQ(BK_ZlibLastError(), Z_OK);
        const Output back = Uncompress(packed.bytes);
        ASSERT_TRUE(back.ok) << in.size();
        EXPECT_EQ(back.bytes, in);
        if (python) {
            const auto tool = RunTool({"python3", "-c",
                                       "import sys,zlib; sys.stdout.buffer.write("
                                       "zlib.decompress(sys.stdin.buffer.read()))"},
                                      packed.bytes);
            ASSERT_EQ(tool.exitCode, 0) << tool.err;
            EXPECT_EQ(tool.out, in) << in.size();
        }
    }
}

TEST(ZlibBufferTest, SmallIncompressibleInputNeedsTheSecondCapacity) {
    // Ten distinct bytes grow under deflate beyond the first capacity of 10 / 2 + 12.
    const std::string in = "\x8f\x13\xa2\x47\xd9\x05\x6c\xbe\x31\xf0";
    const Output packed = Compress(in);
    ASSERT_TRUE(packed.ok);
    EXPECT_GT(packed.bytes.size(), 17u);
    EXPECT_LE(packed.bytes.size(), 34u);
    EXPECT_EQ(BK_ZlibLastError(), Z_OK);
}

TEST(ZlibBufferTest, LastErrorComesFromCompressionOnly) {
    std::size_t length = 0;
    EXPECT_EQ(BK_ZlibCompress(nullptr, 10, length), nullptr);
    const int32_t failed = BK_ZlibLastError();
    EXPECT_NE(failed, Z_OK);
    const Output packed = Compress("abc");
    ASSERT_TRUE(packed.ok);
    EXPECT_EQ(BK_ZlibLastError(), Z_OK);
    EXPECT_EQ(BK_ZlibCompress(nullptr, 10, length), nullptr);
    ASSERT_TRUE(Uncompress(packed.bytes).ok);
    EXPECT_FALSE(Uncompress("garbage").ok);
    EXPECT_EQ(BK_ZlibLastError(), failed);
}

TEST(ZlibBufferTest, FlatDataFromPythonDecompressesWhole) {
    STRAVEL_REQUIRE_TOOL("python3");
    const std::size_t size = 4u << 20;
    const auto tool = RunTool({"python3", "-c",
                               "import sys,zlib; sys.stdout.buffer.write("
                               "zlib.compress(bytes(4 << 20), 9))"});
    ASSERT_EQ(tool.exitCode, 0) << tool.err;
    ASSERT_LT(tool.out.size() * 64, size); // far beyond 64 times its own size
    const Output zeros = Uncompress(tool.out);
    ASSERT_TRUE(zeros.ok);
    EXPECT_EQ(zeros.bytes, std::string(size, '\0'));

    // The cap holds: just enough passes, one byte less does not.
    EXPECT_TRUE(Uncompress(tool.out, size).ok);
    EXPECT_FALSE(Uncompress(tool.out, size - 1).ok);
    EXPECT_FALSE(Uncompress(tool.out, 1 << 20).ok);
}

TEST(ZlibBufferTest, DamagedStreamsFail) {
    std::mt19937 random(404);
    const std::string in = Repetitive(random, 5000) + RandomBytes(random, 3000);
    const Output packed = Compress(in);
    ASSERT_TRUE(packed.ok);
    for (std::size_t cut = 0; cut < packed.bytes.size(); cut += 1 + cut / 8)
        EXPECT_FALSE(Uncompress(packed.bytes.substr(0, cut)).ok) << cut;
    EXPECT_FALSE(Uncompress(packed.bytes.substr(0, packed.bytes.size() - 1)).ok);

    std::string header = packed.bytes;
    header[0] ^= 0x01;
    EXPECT_FALSE(Uncompress(header).ok);
    std::string checksum = packed.bytes;
    checksum.back() ^= 0x80;
    EXPECT_FALSE(Uncompress(checksum).ok);
    EXPECT_FALSE(Uncompress(std::string(100, '\xFF')).ok);

    std::size_t length = 0;
    EXPECT_EQ(BK_ZlibUncompress(nullptr, 10, length), nullptr);
}

TEST(ZlibBufferTest, AgreesWithZlibUncompressOnMangledInput) {
    std::mt19937 random(1);
    std::vector<std::string> streams;
    for (std::size_t n : {0u, 1u, 100u, 20000u}) {
        streams.push_back(Compress(Repetitive(random, n)).bytes);
        streams.push_back(Compress(RandomBytes(random, n)).bytes);
    }
    int successes = 0;
    for (const auto& stream : streams) {
        for (int round = 0; round < 200; ++round) {
            std::string input = stream;
            switch (round % 4) {
            case 0: // bytes after the end of the stream
                input += RandomBytes(random, 1 + random() % 8);
                break;
            case 1:
                input[random() % input.size()] = static_cast<char>(random());
                break;
            case 2:
                input.resize(random() % input.size());
                break;
            default:
                input.insert(random() % input.size(), 1, static_cast<char>(random()));
                break;
            }
            const Output ours = Uncompress(input);
            const Output theirs = Reference(input);
            ASSERT_EQ(ours.ok, theirs.ok) << round;
            EXPECT_EQ(ours.bytes, theirs.bytes) << round;
            successes += ours.ok;
        }
    }
    EXPECT_GT(successes, 0);
}

} // namespace
