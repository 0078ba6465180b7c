// The movie reader: whole files and buffers, compressed files, the streaming reader, raw
// mode, and movies written by ffmpeg.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <typeinfo>

#include "swf/header/swf_compressor.h"
#include "swf/sound/sound_stream_block.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/tag_unknown.h"
#include "swf/video/video_frame.h"
#include "swf/writer/swf_file_writer.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/private_folders.h"
#include "tests/support/tools.h"
#include "tests/swf/swf_test_support.h"
#include "tests/swf/writer/movie_support.h"

namespace {

namespace fs = std::filesystem;
using namespace ravuz;
using stravel::testing::PrivateFolders;
using swftest::Bytes;

CBK_Path PathOf(const fs::path& p) {
    return CBK_Path(p.wstring());
}

Bytes FileBytes(const fs::path& path) {
    const std::string s = stravel::testing::ReadFileBytes(path);
    return Bytes(s.begin(), s.end());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    stravel::testing::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

Bytes WriteBack(CBK_SwfReader& reader) {
    CBK_SwfStream out(reader.GetHeader().GetVersion());
    reader.Write(&out);
    return swftest::BytesOf(out.GetStream());
}

// Each tag as it writes itself, so that two readings can be compared tag by tag.
std::vector<Bytes> TagBytes(const std::vector<CBK_SwfTag*>& tags, uint8_t version) {
    std::vector<Bytes> out;
    for (CBK_SwfTag* tag : tags)
        out.push_back(swftest::WriteBytes(*tag, version));
    return out;
}

std::vector<fs::path> FilesUnder(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class MovieReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(_folders.Work());
        CBK_SwfFileWriter writer;
        writer.Create(6400, 4800, 12.0f, 6);
        ASSERT_TRUE(writer.Open(PathOf(Plain()), false));
        for (auto& tag : swfmovie::TenFrameMovie())
            writer.Add(tag.release());
        writer.Close();
        _plain = FileBytes(Plain());
        ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(PathOf(Plain()), PathOf(Packed()), false));
    }

    fs::path Plain() const { return _folders.Work() / "movie.swf"; }
    fs::path Packed() const { return _folders.Work() / "packed.swf"; }

    PrivateFolders _folders;
    Bytes _plain;
};

TEST_F(MovieReaderTest, PlainAndCompressedFilesWriteBackByteForByte) {
    const auto before = FilesUnder(_folders.Root());
    CBK_SwfReader plain, packed;
    ASSERT_TRUE(plain.Open(PathOf(Plain()), true, 0, true));
    ASSERT_TRUE(packed.Open(PathOf(Packed()), true, 0, true));
    EXPECT_EQ(plain.GetTags().size(), 35u);
    EXPECT_EQ(plain.GetHeader().GetFrameCount(), 10);
    EXPECT_EQ(plain.GetWidth(), 6400);
    EXPECT_EQ(WriteBack(plain), _plain);
    EXPECT_EQ(WriteBack(packed), _plain);
    EXPECT_EQ(FilesUnder(_folders.Root()), before) << "a temporary file was left";
    plain.Destroy(true);
    packed.Destroy(true);

    // Two streaming readers of compressed files at once, interleaved.
    CBK_SwfFileReader a, b;
    ASSERT_TRUE(a.Open(PathOf(Packed()), true));
    ASSERT_TRUE(b.Open(PathOf(Packed()), true));
    int32_t w = 0, h = 0;
    a.GetDimensions(w, h);
    EXPECT_EQ(w, 6400);
    EXPECT_EQ(h, 4800);
    EXPECT_EQ(a.GetFrameCount(), 10);
    std::vector<CBK_SwfTag*> fromA, fromB;
    for (;;) {
        fromA.push_back(a.ReadTag());
        fromB.push_back(b.ReadTag());
        if (fromA.back()->GetTagId() == kSwfTagEnd)
            break;
    }
    a.Close();
    b.Close();
    EXPECT_EQ(FilesUnder(_folders.Root()), before);
    CBK_SwfReader whole;
    ASSERT_TRUE(whole.Open(PathOf(Plain()), true, 0, true));
    EXPECT_EQ(TagBytes(fromA, 6), TagBytes(whole.GetTags(), 6));
    EXPECT_EQ(TagBytes(fromB, 6), TagBytes(whole.GetTags(), 6));
    for (CBK_SwfTag* tag : fromA)
        delete tag;
    for (CBK_SwfTag* tag : fromB)
        delete tag;
    whole.Destroy(true);
}

TEST_F(MovieReaderTest, LimitsSignaturesAndRawMode) {
    CBK_SwfReader reader;
    ASSERT_TRUE(reader.CreateFromBuffer(_plain.data(), _plain.size(), true, 0, false));
    reader.ParseTags(nullptr, 0, 2);
    ASSERT_EQ(reader.GetTags().size(), 10u); // four opening tags, then two frames of three
    EXPECT_EQ(reader.GetTags().back()->GetTagId(), kSwfTagShowFrame);
    reader.Destroy(true);

    // Without the signature the bytes begin at the length field.
    ASSERT_TRUE(reader.CreateFromBuffer(_plain.data() + 4, _plain.size() - 4, false, 0, true));
    EXPECT_EQ(reader.GetTags().size(), 35u);
    reader.Destroy(true);

    // A small limit loads just enough for the header.
    ASSERT_TRUE(reader.Open(PathOf(Plain()), true, 30, false));
    EXPECT_EQ(reader.GetDataSize(), 30u);
    EXPECT_EQ(reader.GetHeader().GetFrameCount(), 10);
    // What is written is measured anew, not the length the file declared.
    const Bytes head = WriteBack(reader);
    EXPECT_EQ(swfmovie::U32At(head, 4), head.size());

    const Bytes packed = FileBytes(Packed());
    EXPECT_FALSE(reader.CreateFromBuffer(packed.data(), packed.size(), true, 0, true));
    EXPECT_EQ(reader.GetLastError(), CBK_SwfReader::ERROR_NOT_SWF);
    EXPECT_FALSE(reader.Open(PathOf(_folders.Work() / "absent.swf"), true, 0, true));
    EXPECT_EQ(reader.GetLastError(), CBK_SwfReader::ERROR_CANNOT_OPEN);
    CBK_SwfFileReader file;
    WriteFile(_folders.Work() / "text.swf", Bytes{'G', 'W', 'S', 6, 0, 0, 0, 0});
    EXPECT_FALSE(file.Open(PathOf(_folders.Work() / "text.swf"), true));
    EXPECT_EQ(file.GetLastError(), CBK_SwfReader::ERROR_NOT_SWF);

    // Raw mode types only the background colour and frame labels, and copies the rest.
    ASSERT_TRUE(reader.OpenGeneric(PathOf(Packed())));
    int typed = 0;
    for (CBK_SwfTag* tag : reader.GetTags())
        typed += typeid(*tag) != typeid(CBK_SwfTagUnknown);
    EXPECT_EQ(typed, 1);
    EXPECT_EQ(reader.GetTags()[1]->GetTagId(), 928);
    EXPECT_EQ(WriteBack(reader), _plain);
    reader.Destroy(true);
}

// Frames and sound blocks of a movie of several megabytes, one frame larger than any window
// the file is read through, keep their bytes with them: read whole or tag by tag, they
// outlive the reader and write the file back, and their payloads read as written.
TEST(MovieReader, TagsOfLargeMoviesOutliveTheReader) {
    stravel::testing::TempDir folder;
    const fs::path path = folder / "large.swf";
    std::mt19937 rng(5);
    std::vector<Bytes> frames, blocks;
    CBK_SwfFileWriter writer;
    writer.Create(6400, 4800, 25.0f, 6);
    ASSERT_TRUE(writer.Open(PathOf(path), true));
    for (uint16_t frame = 0; frame < 300; ++frame) {
        Bytes video(frame == 150 ? (5u << 20) : 1 + rng() % 30000), sound(rng() % 900);
        for (uint8_t& b : video)
            b = static_cast<uint8_t>(rng());
        for (uint8_t& b : sound)
            b = static_cast<uint8_t>(rng());
        auto* v = new CBK_SwfVideoFrame;
        v->Create(frame);
        v->SetStreamId(1);
        v->SetPayload(new CBK_SwfStream(6));
        v->GetPayload()->Add(video);
        auto* s = new CBK_SwfSoundStreamBlock;
        s->SetData(sound.data(), sound.size());
        writer.Add(v);
        writer.Add(s);
        writer.Add(new CBK_SwfShowFrame);
        frames.push_back(std::move(video));
        blocks.push_back(std::move(sound));
    }
    writer.Add(new CBK_SwfEnd);
    ASSERT_TRUE(writer.Close());
    const Bytes file = FileBytes(path);

    std::vector<CBK_SwfTag*> whole, streamed;
    {
        CBK_SwfReader reader;
        ASSERT_TRUE(reader.Open(PathOf(path), true, 0, true));
        whole.swap(reader.GetTags());
        CBK_SwfFileReader stream;
        ASSERT_TRUE(stream.Open(PathOf(path), true));
        do
            streamed.push_back(stream.ReadTag());
        while (streamed.back()->GetTagId() != kSwfTagEnd);
    }
    ASSERT_EQ(whole.size(), 3u * 300 + 1);
    EXPECT_EQ(TagBytes(streamed, 6), TagBytes(whole, 6));
    CBK_SwfStream body(6);
    for (CBK_SwfTag* tag : whole)
        body.Add(tag);
    const auto& written = body.GetStream();
    ASSERT_GT(file.size(), written.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), file.end() - written.size()));
    for (std::size_t frame = 0; frame < 300; ++frame) {
        auto& v = static_cast<CBK_SwfVideoFrame&>(*whole[3 * frame]);
        auto& s = static_cast<const CBK_SwfSoundStreamBlock&>(*streamed[3 * frame + 1]);
        EXPECT_EQ(v.GetFrameNumber(), frame);
        EXPECT_EQ(v.GetPayload()->GetStream(), frames[frame]);
        EXPECT_EQ(s.GetData(), blocks[frame]);
    }
    for (CBK_SwfTag* tag : whole)
        delete tag;
    for (CBK_SwfTag* tag : streamed)
        delete tag;
}

TEST(MovieReader, ShortTagsAreResynchronisedAndTheirRestKept) {
    // A ShowFrame that claims three bytes, an End; bytes after End stay with the movie.
    const Bytes tags = {0x43, 0x00, 1, 2, 3, 0x00, 0x00, 0xEE};
    Bytes movie = swftest::MovieOfTagBytes(tags, 6);
    movie.pop_back(); // no End of the helper's
    movie.pop_back();
    movie[4] = static_cast<uint8_t>(movie.size());
    CBK_SwfReader reader;
    ASSERT_TRUE(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
    ASSERT_EQ(reader.GetTags().size(), 2u);
    EXPECT_EQ(reader.GetTags()[0]->GetTrailingBytes(), (Bytes{1, 2, 3}));
    EXPECT_EQ(reader.GetTags()[1]->GetTagId(), kSwfTagEnd);
    EXPECT_EQ(WriteBack(reader), movie);
    reader.Destroy(true);
}

TEST(MovieReader, DeclaredLengthsAllocateNothing) {
    if (!stravel::testing::AllocationMeter::Available())
        GTEST_SKIP() << "no allocation counter";
    // A movie and a tag that both claim nearly 4 GiB in a few bytes.
    Bytes movie = swftest::MovieOfTagBytes({0xFF, 0x0F, 0xF0, 0xFF, 0xFF, 0xFF, 9, 9}, 6);
    movie[4] = movie[5] = movie[6] = movie[7] = 0xFF;
    stravel::testing::TempDir folder;
    WriteFile(folder / "huge.swf", movie);
    {
        stravel::testing::AllocationMeter meter;
        CBK_SwfReader reader;
        ASSERT_TRUE(reader.Open(PathOf(folder / "huge.swf"), true, 0, true));
        ASSERT_EQ(reader.GetTags().size(), 1u);
        EXPECT_EQ(reader.GetTags()[0]->GetTagId(), 63);
        reader.Destroy(true);
        EXPECT_LT(meter.Peak(), std::size_t(4) << 20);
    }
}

// ffmpeg's SWF muxer, with Sorenson video and MP3 sound: read, written, read again.
TEST(MovieReaderOracle, FfmpegMoviesReadWriteAndReadAgain) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE_TOOL("ffprobe");
    stravel::testing::TempDir dir;
    const auto made = stravel::testing::RunTool(
        {"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=1",
         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=1", "-c:v", "flv",
         "-c:a", "libmp3lame", "-ar", "22050", (dir / "in.swf").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const Bytes original = FileBytes(dir / "in.swf");

    CBK_SwfReader first;
    ASSERT_TRUE(first.Open(PathOf(dir / "in.swf"), true, 0, true));
    std::vector<uint16_t> codes;
    for (CBK_SwfTag* tag : first.GetTags())
        codes.push_back(tag->GetTagId());
    std::vector<uint16_t> stored;
    for (const auto& info : swfmovie::ListTags(original))
        stored.push_back(info.code);
    EXPECT_EQ(codes, stored);
    EXPECT_NE(std::count(codes.begin(), codes.end(), kSwfTagVideoFrame), 0);
    EXPECT_NE(std::count(codes.begin(), codes.end(), kSwfTagSoundStreamBlock), 0);

    const Bytes once = WriteBack(first);
    WriteFile(dir / "once.swf", once);
    CBK_SwfReader second;
    ASSERT_TRUE(second.Open(PathOf(dir / "once.swf"), true, 0, true));
    EXPECT_EQ(TagBytes(second.GetTags(), 9), TagBytes(first.GetTags(), 9));
    EXPECT_EQ(WriteBack(second), once);

    // ffprobe finds the same packets in both files.
    auto packets = [](const fs::path& file) {
        return stravel::testing::RunTool({"ffprobe", "-v", "error", "-count_packets",
                                          "-show_entries", "stream=codec_name,nb_read_packets",
                                          "-of", "csv=p=0", file.string()})
            .out;
    };
    const std::string expected = packets(dir / "in.swf");
    EXPECT_NE(expected.find("flv1"), std::string::npos) << expected;
    EXPECT_NE(expected.find("mp3"), std::string::npos) << expected;
    EXPECT_EQ(packets(dir / "once.swf"), expected);
    first.Destroy(true);
    second.Destroy(true);
}

} // namespace
