// A ten-frame movie from the streaming writer, read by independent tools: ffprobe, the
// yaswfp parser and Python's zlib.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "swf/header/swf_compressor.h"
#include "swf/writer/swf_file_writer.h"
#include "tests/support/private_folders.h"
#include "tests/support/tools.h"
#include "tests/swf/writer/movie_support.h"

namespace {

namespace fs = std::filesystem;
using namespace ravuz;
using stravel::testing::PrivateFolders;
using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using swfmovie::Bytes;
using swfmovie::TagInfo;

// The parser's own interpreter (the one its command runs with).
constexpr const char* kParserPython = "/usr/bin/python3";

// Header fields, then one line per tag: class, name and the length of an untyped payload.
// A typed tag whose contents do not fill its length exactly is a FailingObject.
constexpr const char* kListTags = R"(
import sys
from yaswfp import swfparser
p = swfparser.parsefile(sys.argv[1])
h = p.header
print(h.Signature, h.Version, h.FileLength, *h.FrameSize, h.FrameRate, h.FrameCount)
for t in p.tags:
    print(type(t).__name__, t.name, len(getattr(t, 'raw_payload', b'')))
)";

const std::map<uint16_t, std::string>& TagNames() {
    static const std::map<uint16_t, std::string> names = {
        {1, "ShowFrame"},
        {9, "SetBackgroundColor"},
        {12, "DoAction"},
        {19, "SoundStreamBlock"},
        {26, "PlaceObject2"},
        {45, "SoundStreamHead2"},
        {928, "UnspecifiedObject(tag=928)"},
    };
    return names;
}

class SwfMovieOracleTest : public ::testing::Test {
protected:
    void SetUp() override {
        CBK_SwfFileWriter writer;
        writer.Create(6400, 4800, 12.0f, 6);
        ASSERT_TRUE(writer.Open(CBK_Path(Movie().wstring()), false));
        for (auto& tag : swfmovie::TenFrameMovie()) {
            const uint16_t code = tag->GetTagId();
            const uint32_t size = writer.Add(tag.release());
            ASSERT_GE(size, 2u);
            _written.push_back({code, size});
        }
        _length = writer.Close();
        ASSERT_GT(_length, 0u);
        const std::string bytes = ReadFileBytes(Movie());
        _file.assign(bytes.begin(), bytes.end());
    }

    fs::path Movie() const { return _folders.Work() / "movie.swf"; }

    PrivateFolders _folders;
    // Code and bytes written, header included.
    std::vector<std::pair<uint16_t, uint32_t>> _written;
    uint32_t _length = 0;
    Bytes _file;
};

TEST_F(SwfMovieOracleTest, TheFileHoldsWhatWasWritten) {
    ASSERT_EQ(_file.size(), _length);
    EXPECT_EQ(swfmovie::U32At(_file, 4), _length);
    EXPECT_EQ(swfmovie::U16At(_file, swfmovie::HeaderEnd(_file) - 2), 10);
    std::vector<std::pair<uint16_t, uint32_t>> listed;
    for (const TagInfo& tag : swfmovie::ListTags(_file))
        listed.emplace_back(tag.code, tag.header + tag.length);
    EXPECT_EQ(listed, _written);
}

TEST_F(SwfMovieOracleTest, YaswfpListsTheSameTags) {
    STRAVEL_REQUIRE_TOOL("swfparser");
    STRAVEL_REQUIRE_TOOL(kParserPython);
    const auto result = RunTool({kParserPython, "-c", kListTags, Movie().string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.out);
    std::string header;
    std::getline(lines, header);
    EXPECT_EQ(header, "FWS 6 " + std::to_string(_length) + " 0 6400 0 4800 3072 10");
    std::vector<std::string> expected, listed;
    for (const TagInfo& tag : swfmovie::ListTags(_file)) {
        if (tag.code == kSwfTagEnd) // the parser stops at End without listing it
            break;
        const std::string& name = TagNames().at(tag.code);
        const bool typed = tag.code == kSwfTagShowFrame || tag.code == kSwfTagSetBackgroundColor ||
                           tag.code == kSwfTagDoAction || tag.code == kSwfTagPlaceObject2;
        expected.push_back((typed ? name : "UnknownObject") + " " + name + " " +
                           std::to_string(typed ? 0 : tag.length));
    }
    for (std::string line; std::getline(lines, line);)
        listed.push_back(line);
    EXPECT_EQ(listed, expected) << result.out;
    EXPECT_EQ(result.out.find("FailingObject"), std::string::npos);

    // The command-line parser reads the actions and placements the same way.
    const auto full = RunTool({"swfparser", "-e", Movie().string()});
    ASSERT_EQ(full.exitCode, 0) << full.err;
    for (const char* text : {"BackgroundColor: [153, 102, 51]", "ActionPlay", "PlaceFlagMove: 1",
                             "CharacterId: 1", "TranslateX: 1800", "TranslateY: 900"})
        EXPECT_NE(full.out.find(text), std::string::npos) << text;
}

TEST_F(SwfMovieOracleTest, FfprobeFindsTheSoundStream) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "CWS" : "FWS");
        fs::path path = Movie();
        if (compressed) {
            path = _folders.Work() / "packed.swf";
            ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(CBK_Path(Movie().wstring()),
                                                       CBK_Path(path.wstring()), false));
        }
        const auto result =
            RunTool({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                     "format=format_name:stream=codec_name,sample_rate,channels,nb_read_packets",
                     "-of", "default=noprint_wrappers=1", path.string()});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        // Its reader of compressed movies stops one packet short of the end, whoever
        // compressed them; uncompressed, every block is a packet.
        EXPECT_EQ(result.out, std::string("codec_name=pcm_s16le\nsample_rate=11025\nchannels=1\n"
                                          "nb_read_packets=") +
                                  (compressed ? "9" : "10") + "\nformat_name=swf\n");
    }
}

TEST_F(SwfMovieOracleTest, CompressedFormIsPlainZlibAndInflatesBack) {
    STRAVEL_REQUIRE_TOOL("python3");
    const fs::path packed = _folders.Work() / "packed.swf";
    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(CBK_Path(Movie().wstring()),
                                               CBK_Path(packed.wstring()), false));
    const std::string ours = ReadFileBytes(packed);
    const std::string body(_file.begin() + 8, _file.end());
    const auto theirs = RunTool(
        {"python3", "-c",
         "import sys, zlib; sys.stdout.buffer.write(zlib.compress(sys.stdin.buffer.read(), 9))"},
        body);
    ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
    EXPECT_EQ(ours.substr(0, 8), "CWS" + std::string(_file.begin() + 3, _file.begin() + 8));
    EXPECT_EQ(ours.substr(8), theirs.out);
    const auto inflated = RunTool(
        {"python3", "-c",
         "import sys, zlib; sys.stdout.buffer.write(zlib.decompress(sys.stdin.buffer.read()))"},
        ours.substr(8));
    ASSERT_EQ(inflated.exitCode, 0) << inflated.err;
    EXPECT_EQ(inflated.out, body);

    ASSERT_TRUE(CBK_SwfCompressor::DecompressSwf(CBK_Path(packed.wstring()), false));
    EXPECT_EQ(ReadFileBytes(packed), std::string(_file.begin(), _file.end()));

    // The parser checks the compressed movie's length against what inflates.
    if (stravel::testing::HaveTool("swfparser")) {
        ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(CBK_Path(packed.wstring()), false));
        const auto listed = RunTool({kParserPython, "-c", kListTags, packed.string()});
        ASSERT_EQ(listed.exitCode, 0) << listed.err;
        EXPECT_EQ(listed.out.substr(0, 4), "CWS ");
    }
}

} // namespace
