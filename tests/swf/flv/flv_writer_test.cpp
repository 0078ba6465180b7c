#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/bitstream/bit_reader.h"
#include "core/files/file_functions.h"
#include "swf/flv/flv_file.h"
#include "swf/flv/flv_meta.h"
#include "swf/flv/flv_script.h"
#include "swf/flv/flv_stream.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;
using Bytes = std::vector<uint8_t>;

Bytes FileBytes(const std::filesystem::path& path) {
    const std::string s = ReadFileBytes(path);
    return Bytes(s.begin(), s.end());
}

CBK_Path PathOf(const std::filesystem::path& p) {
    return CBK_Path(p.wstring());
}

Bytes Written(const CBK_FlvTag& tag) {
    CBK_FlvStream stream;
    tag.Write(&stream);
    const auto& bytes = stream.GetStream(true);
    return Bytes(bytes.begin(), bytes.end());
}

TEST(FlvWriterTest, OpenWritesTheHeaderAndTheFirstSize) {
    TempDir dir;
    CBK_FlvWriter writer;
    EXPECT_EQ(writer.Close(), 0u); // never opened
    writer.Add(nullptr, false);
    writer.Create(true, true, 1);
    ASSERT_TRUE(writer.Open(PathOf(dir / "a.flv"), false));
    EXPECT_EQ(writer.Close(), 13u);
    EXPECT_EQ(FileBytes(dir / "a.flv"),
              (Bytes{0x46, 0x4C, 0x56, 0x01, 0x05, 0x00, 0x00, 0x00, 0x09, 0, 0, 0, 0}));
    uint32_t creator = 0, type = 0;
    tbx::FSRef ref;
    ASSERT_TRUE(PathOf(dir / "a.flv").GetFSRef(ref));
    if (BK_GetFileTypes(ref, creator, type)) {
        EXPECT_EQ(creator, tbx::FourCC("FLV2"));
        EXPECT_EQ(type, tbx::FourCC("MFL2"));
    }
    EXPECT_FALSE(writer.Open(PathOf(dir / "a.flv"), false));
    EXPECT_FALSE(writer.Open(PathOf(dir.Path()), true));
    EXPECT_FALSE(writer.Open(PathOf(dir / "missing/a.flv"), true));
}

TEST(FlvWriterTest, VideoTagLayout) {
    TempDir dir;
    CBK_FlvWriter writer;
    writer.Create(true, false, 1);
    ASSERT_TRUE(writer.Open(PathOf(dir / "v.flv"), true));
    auto* tag = new CBK_FlvTag(CBK_FlvTag::TYPE_VIDEO);
    auto* video = static_cast<CBK_FlvVideoData*>(tag->GetData());
    Bytes payload(100);
    for (int i = 0; i < 100; ++i)
        payload[i] = static_cast<uint8_t>(i);
    video->SetData(payload.data(), 100);
    video->m_FrameType = 1;
    video->m_CodecId = 2;
    tag->SetTimeStamp(200);
    writer.Add(tag, false);
    EXPECT_EQ(writer.Close(), 13u + 112u + 4u);
    const Bytes bytes = FileBytes(dir / "v.flv");
    ASSERT_EQ(bytes.size(), 129u);
    EXPECT_EQ(Bytes(bytes.begin() + 13, bytes.begin() + 25),
              (Bytes{0x09, 0x00, 0x00, 0x65, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x12}));
    EXPECT_EQ(Bytes(bytes.begin() + 25, bytes.begin() + 125), payload);
    EXPECT_EQ(Bytes(bytes.begin() + 125, bytes.end()), (Bytes{0, 0, 0, 0x70}));
}

TEST(FlvWriterTest, LargeTimestampsUseTheExtendedByte) {
    CBK_FlvTag tag(CBK_FlvTag::TYPE_AUDIO);
    tag.SetTimeStamp(16777416);
    const Bytes bytes = Written(tag);
    ASSERT_EQ(bytes.size(), 12u);
    EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 8), (Bytes{0x00, 0x00, 0xC8, 0x01}));
    CBK_BitReader reader;
    ASSERT_TRUE(reader.Open(bytes.data(), static_cast<int32_t>(bytes.size())));
    CBK_FlvTag back(CBK_FlvTag::TYPE_VIDEO);
    EXPECT_EQ(back.Read(&reader), 12u);
    EXPECT_EQ(back.GetTagType(), CBK_FlvTag::TYPE_AUDIO);
    EXPECT_EQ(back.GetTimeStamp(), 16777416u);
    EXPECT_EQ(back.GetDataSize(), 1u);
}

TEST(FlvWriterTest, AudioFlagsAndTagsWithoutBody) {
    CBK_FlvAudioData audio;
    audio.SetSoundFormat(CBK_FlvAudioData::FORMAT_MP3);
    audio.SetSoundRate(CBK_FlvAudioData::RATE_44KHZ);
    audio.SetSoundSize(CBK_FlvAudioData::SIZE_16BIT);
    audio.SetSoundType(CBK_FlvAudioData::TYPE_STEREO);
    EXPECT_EQ(audio.GetFlags(), 0x2F);
    EXPECT_EQ(audio.GetSoundFormat(), 2);
    EXPECT_EQ(audio.GetSoundRate(), 3);
    audio.SetSoundRate(CBK_FlvAudioData::RATE_11KHZ);
    EXPECT_EQ(audio.GetFlags(), 0x27);
    CBK_FlvTag other(7);
    EXPECT_EQ(other.GetData(), nullptr);
    EXPECT_TRUE(Written(other).empty());
}

TEST(FlvScriptTest, ValuesAndStrings) {
    CBK_FlvStream stream;
    CBK_FlvScriptDataValue array(CBK_FlvScriptDataValue::TYPE_ECMA_ARRAY);
    EXPECT_EQ(array.Write(&stream), 8u);
    EXPECT_EQ(stream.GetStream(true), (Bytes{0x08, 0, 0, 0, 0, 0, 0, 0x09}));

    CBK_FlvStream text;
    text.AddString(L"\u00e9\u20ac\U0001F600");
    EXPECT_EQ(text.GetStream(true),
              (Bytes{0x00, 0x09, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}));
    CBK_FlvStream longText;
    const std::wstring many(40000, L'\u00e9'); // 80000 bytes in UTF-8
    longText.AddString(many.c_str());
    const auto& cut = longText.GetStream(true);
    EXPECT_EQ(cut.size(), 2u + 65534u);
    EXPECT_EQ(cut[0] << 8 | cut[1], 65534);

    // An ECMA array with two variables: count, entries and the end marker.
    CBK_FlvScriptObjectData object;
    object.SetDataString(new CBK_FlvScriptDataString(L"onCuePoint"));
    auto* value = new CBK_FlvScriptDataValue(CBK_FlvScriptDataValue::TYPE_ECMA_ARRAY);
    auto* a = new CBK_FlvScriptDataVariable;
    a->SetVariableName(new CBK_FlvScriptDataString(L"n"));
    auto* number = new CBK_FlvScriptDataValue;
    number->SetValue(1.0);
    a->SetVariableData(number);
    value->AddArrayValue(a);
    auto* b = new CBK_FlvScriptDataVariable;
    b->SetVariableName(new CBK_FlvScriptDataString(L"s"));
    auto* string = new CBK_FlvScriptDataValue;
    string->SetValue(new CBK_FlvScriptDataString(L"x"));
    b->SetVariableData(string);
    value->AddArrayValue(b);
    object.SetDataValue(value);
    CBK_FlvStream out;
    const uint32_t size = object.Write(&out);
    EXPECT_EQ(size, object.GetDataSize());
    EXPECT_EQ(out.GetStream(true),
              (Bytes{0x02, 0, 10, 'o', 'n', 'C', 'u', 'e', 'P',  'o',  'i', 'n', 't', 0x08,
                     0,    0, 0,  2,   0,   1,   'n', 0,   0x3F, 0xF0, 0,   0,   0,   0,
                     0,    0, 0,  1,   's', 2,   0,   1,   'x',  0,    0,   9}));
}

TEST(FlvScriptTest, MetaDataCountsItsEntriesAndEnds) {
    CBK_FlvMetaData meta;
    meta.AddMetaTag(new CBK_FlvMetaTagDuration(2500));
    meta.AddMetaTag(new CBK_FlvMetaTagCanSeekToEnd(true));
    meta.AddMetaTag(nullptr);
    CBK_FlvMetaTagDuration duration(1000);
    EXPECT_EQ(duration.GetTagSize(), 19u);
    CBK_FlvStream stream;
    EXPECT_EQ(meta.Write(&stream), meta.GetDataSize());
    const auto& bytes = stream.GetStream(true);
    ASSERT_EQ(bytes.size(), meta.GetDataSize());
    EXPECT_EQ(meta.GetDataSize(), 18u + 19u + 16u + 3u);
    EXPECT_EQ(Bytes(bytes.begin() + 13, bytes.begin() + 18), (Bytes{0x08, 0, 0, 0, 2}));
    EXPECT_EQ(Bytes(bytes.end() - 3, bytes.end()), (Bytes{0, 0, 9}));
    // duration 2.5 as a big-endian double
    EXPECT_EQ(Bytes(bytes.begin() + 29, bytes.begin() + 37), (Bytes{0x40, 0x04, 0, 0, 0, 0, 0, 0}));
}

TEST(FlvFileTest, WholeFileWriteAndWhatIsNotRead) {
    TempDir dir;
    CBK_FlvFile file;
    EXPECT_FALSE(file.Write(PathOf(dir / "none.flv")));
    ASSERT_TRUE(file.Create(nullptr, nullptr));
    auto* tag = new CBK_FlvTag(CBK_FlvTag::TYPE_AUDIO);
    const uint8_t mp3[] = {0xFF, 0xFB};
    tag->GetData()->SetData(mp3, 2);
    file.AddFlvTag(tag);
    ASSERT_TRUE(file.Write(PathOf(dir / "whole.flv")));
    EXPECT_EQ(FileBytes(dir / "whole.flv"),
              (Bytes{'F', 'L', 'V', 1, 0, 0, 0, 0, 9, 0,    0,    0, 0, 8, 0, 0,
                     3,   0,   0,   0, 0, 0, 0, 0, 0, 0xFF, 0xFB, 0, 0, 0, 14}));
    EXPECT_FALSE(file.Open(PathOf(dir / "whole.flv")));
    CBK_FlvReader reader;
    EXPECT_FALSE(reader.Read((dir / "whole.flv").wstring().c_str()));
    file.SetFlvHeader(new CBK_FlvHeader); // the old one is freed
    EXPECT_FALSE(file.Write(PathOf(dir / "no/such/folder.flv")));
}

TEST(FlvWriterTest, AFullDiskIsAFailure) {
    TempDir dir;
    // A file-size limit stands in for a full disk.
    EXPECT_TRUE(stravel::testing::UnderFileSizeLimit(4096, [&] {
        CBK_FlvWriter writer;
        writer.Create(true, false, 1);
        if (!writer.Open(PathOf(dir / "full.flv"), true))
            return false;
        for (int i = 0; i < 100; ++i) {
            auto* tag = new CBK_FlvTag(CBK_FlvTag::TYPE_VIDEO);
            Bytes payload(1000, 0x55);
            tag->GetData()->SetData(payload.data(), 1000);
            writer.Add(tag, false);
        }
        return writer.Close() == 0u;
    }));
}

TEST(FlvWriterTest, AFailedWriteLeavesTheOldFile) {
    TempDir dir;
    const auto path = dir / "keep.flv";
    WriteFileBytes(path, "old");
    {
        CBK_FlvWriter writer;
        ASSERT_TRUE(writer.Open(PathOf(path), true));
        writer.Add(new CBK_FlvTag(CBK_FlvTag::TYPE_AUDIO), false);
        EXPECT_EQ(ReadFileBytes(path), "old"); // not yet replaced
    }
    EXPECT_EQ(ReadFileBytes(path).substr(0, 3), "FLV");
}

struct SourceTag {
    uint8_t type;
    uint32_t timestamp;
    uint8_t first; // the flags byte, or frame type and codec
    Bytes payload;
};

// The audio and video tags of an FLV file, read with our own reader.
std::vector<SourceTag> ReadTags(const Bytes& bytes) {
    std::vector<SourceTag> tags;
    CBK_BitReader reader;
    if (!reader.Open(bytes.data(), static_cast<int32_t>(bytes.size())))
        return tags;
    CBK_FlvHeader header;
    header.Read(&reader);
    if (!header.IsValidFlv())
        return tags;
    reader.SetBufPos(13);
    while (reader.GetBufPos() + 11 <= reader.GetSize()) {
        CBK_FlvTag tag(0);
        tag.Read(&reader);
        reader.GetBits(32, false); // the size of the tag
        if (tag.GetTagType() == CBK_FlvTag::TYPE_VIDEO) {
            auto* video = static_cast<CBK_FlvVideoData*>(tag.GetData());
            tags.push_back({9, tag.GetTimeStamp(),
                            static_cast<uint8_t>(video->m_FrameType << 4 | video->m_CodecId),
                            video->GetPayload()});
        } else if (tag.GetTagType() == CBK_FlvTag::TYPE_AUDIO) {
            auto* audio = static_cast<CBK_FlvAudioData*>(tag.GetData());
            tags.push_back({8, tag.GetTimeStamp(), audio->GetFlags(), audio->GetPayload()});
        }
    }
    return tags;
}

// Two seconds of H.263 video and MP3 sound that ffmpeg writes as FLV, read tag by tag.
std::vector<SourceTag> FfmpegTags(const TempDir& dir) {
    const std::string source = dir / "source.flv";
    const auto made =
        RunTool({"ffmpeg", "-v",         "error", "-y",
                 "-f",     "lavfi",      "-i",    "testsrc=size=64x48:rate=10",
                 "-f",     "lavfi",      "-i",    "sine=frequency=440:sample_rate=22050",
                 "-t",     "2",          "-c:v",  "flv1",
                 "-c:a",   "libmp3lame", "-ar",   "22050",
                 "-ac",    "1",          "-f",    "flv",
                 source});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return ReadTags(FileBytes(source));
}

// Our tag for one that ffmpeg wrote (its audio as MP3).
CBK_FlvTag* MakeTag(const SourceTag& source) {
    auto* tag = new CBK_FlvTag(source.type);
    if (source.type == CBK_FlvTag::TYPE_VIDEO) {
        auto* video = static_cast<CBK_FlvVideoData*>(tag->GetData());
        video->m_FrameType = source.first >> 4;
        video->m_CodecId = source.first & 0x0F;
    } else {
        auto* audio = static_cast<CBK_FlvAudioData*>(tag->GetData());
        audio->SetSoundFormat(CBK_FlvAudioData::FORMAT_MP3);
        audio->SetSoundRate(static_cast<CBK_FlvAudioData::SOUND_RATE>(source.first & 0x0C));
        audio->SetSoundSize(static_cast<CBK_FlvAudioData::SOUND_SIZE>(source.first & 0x02));
        audio->SetSoundType(static_cast<CBK_FlvAudioData::SOUND_TYPE>(source.first & 0x01));
    }
    tag->GetData()->SetData(source.payload.data(), static_cast<uint32_t>(source.payload.size()));
    tag->SetTimeStamp(source.timestamp);
    return tag;
}

std::map<std::string, std::string> Fields(const std::string& text, const std::string& section) {
    std::map<std::string, std::string> fields;
    std::istringstream lines(text);
    std::string line, current;
    int index = 0;
    while (std::getline(lines, line)) {
        if (line.size() > 2 && line[0] == '[' && line[1] != '/') {
            current = line.substr(1, line.size() - 2);
            continue;
        }
        const auto eq = line.find('=');
        if (eq != std::string::npos && current == section)
            fields[line.substr(0, eq) + (section == "STREAM" ? "" : "")] = line.substr(eq + 1);
        if (line == "[/STREAM]")
            ++index;
    }
    return fields;
}

TEST(FlvToolsTest, ConvertedFileChecksCleanAndProbes) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE_TOOL("ffprobe");
    STRAVEL_REQUIRE_TOOL("flvmeta");
    TempDir dir;
    const std::vector<SourceTag> tags = FfmpegTags(dir);
    ASSERT_GT(tags.size(), 20u);

    const std::string out = dir / "ours.flv";
    CBK_FlvWriter writer;
    writer.Create(true, true, 1);
    ASSERT_TRUE(writer.Open(PathOf(out), false));
    auto* meta = new CBK_FlvTag(CBK_FlvTag::TYPE_SCRIPT);
    auto* body = static_cast<CBK_FlvMetaData*>(meta->GetData());
    body->AddMetaTag(new CBK_FlvMetaTagDuration(2000));
    body->AddMetaTag(new CBK_FlvMetaTagWidth(64));
    body->AddMetaTag(new CBK_FlvMetaTagHeight(48));
    body->AddMetaTag(new CBK_FlvMetaTagFrameRate(10));
    body->AddMetaTag(new CBK_FlvMetaTagVideoCodecId(2));
    body->AddMetaTag(new CBK_FlvMetaTagAudioCodecId(2));
    body->AddMetaTag(new CBK_FlvMetaTagCanSeekToEnd(true));
    writer.Add(meta, false);
    std::size_t videoTags = 0;
    for (const SourceTag& source : tags) {
        CBK_FlvTag* tag = MakeTag(source);
        if (source.type == CBK_FlvTag::TYPE_VIDEO) {
            EXPECT_EQ(static_cast<CBK_FlvVideoData*>(tag->GetData())->m_CodecId, 2);
            ++videoTags;
        } else {
            EXPECT_EQ(static_cast<CBK_FlvAudioData*>(tag->GetData())->GetFlags(), source.first);
        }
        writer.Add(tag, false);
    }
    EXPECT_EQ(videoTags, 20u);
    const uint32_t length = writer.Close();
    EXPECT_EQ(length, std::filesystem::file_size(out));

    const auto check = RunTool({"flvmeta", "--check", out});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("0 error(s)"), std::string::npos) << check.out;

    const auto probe = RunTool({"ffprobe", "-v", "error", "-show_format", "-show_streams", out});
    ASSERT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_NE(probe.out.find("codec_name=flv1"), std::string::npos) << probe.out;
    EXPECT_NE(probe.out.find("codec_name=mp3"), std::string::npos) << probe.out;
    EXPECT_NE(probe.out.find("width=64"), std::string::npos);
    EXPECT_NE(probe.out.find("height=48"), std::string::npos);
    EXPECT_NE(probe.out.find("r_frame_rate=10/1"), std::string::npos);
    const auto format = Fields(probe.out, "FORMAT");
    ASSERT_TRUE(format.count("duration"));
    EXPECT_NEAR(std::stod(format.at("duration")), 2.0, 0.1);
    // The video decodes.
    const auto decode = RunTool({"ffmpeg", "-v", "error", "-i", out, "-f", "null", "-"});
    EXPECT_EQ(decode.exitCode, 0) << decode.err;
    EXPECT_EQ(decode.err, "");
}

// A body of 16 MiB and 100 bytes, which the 24-bit size field cannot state: the tag is
// refused, nothing of it is written, the writers report failure and the tags before it read
// as they were.
TEST(FlvToolsTest, ATagTooBigForItsSizeFieldIsRefused) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE_TOOL("ffprobe");
    TempDir dir;
    const std::vector<SourceTag> tags = FfmpegTags(dir);
    ASSERT_GT(tags.size(), 20u);
    const SourceTag huge{CBK_FlvTag::TYPE_VIDEO, tags.back().timestamp + 100, 0x12,
                         Bytes((16u << 20) + 99, 0x55)};

    // The bytes: the header, the tags before it, and nothing of the refused tag.
    CBK_FlvStream stream;
    CBK_FlvHeader header;
    header.HasVideo(true);
    header.HasAudio(true);
    header.Write(&stream);
    stream.AddDWord(0);
    for (const SourceTag& source : tags) {
        const std::unique_ptr<CBK_FlvTag> tag(MakeTag(source));
        stream.AddDWord(tag->Write(&stream));
    }
    const CBK_ByteBuffer& bytes = stream.GetStream(true);
    const std::string before(bytes.begin(), bytes.end());
    EXPECT_EQ(std::unique_ptr<CBK_FlvTag>(MakeTag(huge))->Write(&stream), 0u);
    const std::string written(bytes.begin(), bytes.end());
    EXPECT_EQ(written.size(), before.size());
    const auto path = dir / "before.flv";
    WriteFileBytes(path, written);
    const auto probe = RunTool(
        {"ffprobe", "-v", "error", "-show_entries", "packet=pts_time", "-of", "csv=p=0", path});
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_EQ(probe.err, "");
    EXPECT_EQ(std::count(probe.out.begin(), probe.out.end(), '\n'), std::ptrdiff_t(tags.size()));

    // The streaming writer, replacing that file, fails and leaves it; so does the whole file.
    CBK_FlvWriter writer;
    writer.Create(true, true, 1);
    ASSERT_TRUE(writer.Open(PathOf(path), true));
    for (const SourceTag& source : tags)
        writer.Add(MakeTag(source), false);
    writer.Add(MakeTag(huge), false);
    writer.Add(MakeTag(tags.front()), false);
    EXPECT_EQ(writer.Close(), 0u);
    EXPECT_TRUE(ReadFileBytes(path) == before) << "the old file was replaced";
    CBK_FlvFile file;
    file.Create(nullptr, nullptr);
    file.AddFlvTag(MakeTag(tags.front()));
    file.AddFlvTag(MakeTag(huge));
    EXPECT_FALSE(file.Write(PathOf(dir / "whole.flv")));
    EXPECT_FALSE(std::filesystem::exists(dir / "whole.flv"));
}

} // namespace
