// Movies with embedded video (frames made by an independent encoder, carried over from FLV
// files) and streamed MP3 sound, written with this model's tags and decoded by an
// independent decoder.
#include <gtest/gtest.h>

#include <sstream>

#include "swf/sound/sound_stream_block.h"
#include "swf/sound/sound_stream_head.h"
#include "swf/tags/control_tags.h"
#include "swf/video/define_video_stream.h"
#include "swf/video/screen_video_packet.h"
#include "swf/video/video_frame.h"
#include "tests/support/tools.h"
#include "tests/swf/media_test_support.h"
#include "tests/swf/mp3_frames.h"

namespace {

using namespace ravuz;
using namespace mediatest;
using stravel::testing::RunTool;
using stravel::testing::TempDir;

constexpr int kWidth = 96;
constexpr int kHeight = 64;
constexpr int kFrames = 12;

// Video tag bodies of an FLV that the encoder made from a test pattern.
std::vector<Bytes> EncodedFrames(const TempDir& dir, const char* codec) {
    const auto flv = dir / (std::string(codec) + ".flv");
    const auto made =
        RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=96x64:rate=12",
                 "-frames:v", "12", "-c:v", codec, "-g", "5", flv.string()});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    std::vector<Bytes> frames;
    for (const FlvBody& tag : FlvBodies(stravel::testing::ReadFileBytes(flv)))
        if (tag.type == 9 && !tag.body.empty())
            frames.push_back(tag.body);
    return frames;
}

// The screen-video packet of an FLV body (after its frame-type byte), rebuilt as the model's.
std::unique_ptr<CBK_SwfScreenVideoPacket> ParsePacket(const Bytes& body) {
    if (body.size() < 5)
        return nullptr;
    const uint32_t bw = 16 * ((body[1] >> 4) + 1);
    const uint32_t w = (uint32_t(body[1] & 15) << 8) | body[2];
    const uint32_t bh = 16 * ((body[3] >> 4) + 1);
    const uint32_t h = (uint32_t(body[3] & 15) << 8) | body[4];
    auto packet = std::make_unique<CBK_SwfScreenVideoPacket>(bw, bh, w, h);
    std::size_t p = 5;
    const std::size_t count = ((w + bw - 1) / bw) * ((h + bh - 1) / bh);
    for (std::size_t i = 0; i < count && p + 2 <= body.size(); ++i) {
        const std::size_t size = std::size_t(body[p]) << 8 | body[p + 1];
        auto* block = new CBK_SwfImageBlock;
        block->SetPayload(body.data() + p + 2, std::min(size, body.size() - p - 2));
        packet->AddImageBlock(block);
        p += 2 + size;
    }
    return packet;
}

// MP3 frames of one second of a tone at 22050 Hz, mono.
std::vector<CMpegFrame> Mp3Frames(const TempDir& dir) {
    const auto wav = dir / "tone.wav";
    const auto mp3 = dir / "tone.mp3";
    const auto made =
        RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "sine=frequency=440:sample_rate=22050", "-t", "1", "-ac", "1", wav.string()});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    const auto encoded = RunTool(
        {"lame", "--quiet", "-t", "--resample", "22.05", "-b", "32", wav.string(), mp3.string()});
    EXPECT_EQ(encoded.exitCode, 0) << encoded.err;
    const std::string bytes = stravel::testing::ReadFileBytes(mp3);
    return mp3test::SplitFrames(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// One block per movie frame, each with the MP3 frames that bring the sound up to the end of
// that frame; the last block takes what is left.
std::vector<std::unique_ptr<CBK_SwfSoundStreamBlock>>
SoundBlocks(const std::vector<CMpegFrame>& frames, double samplesPerFrame) {
    std::vector<std::unique_ptr<CBK_SwfSoundStreamBlock>> blocks;
    std::size_t next = 0;
    uint64_t written = 0;
    for (int f = 0; f < kFrames; ++f) {
        Bytes mp3;
        uint32_t samples = 0;
        while (next < frames.size() && (written < (f + 1) * samplesPerFrame || f + 1 == kFrames)) {
            mp3.insert(mp3.end(), frames[next].GetData().begin(), frames[next].GetData().end());
            samples += frames[next].GetDecodedFrameSize();
            written += frames[next].GetDecodedFrameSize();
            ++next;
        }
        const Bytes data = Concat({U16(samples), U16(0), mp3});
        auto block = std::make_unique<CBK_SwfSoundStreamBlock>();
        block->SetData(data.data(), data.size());
        blocks.push_back(std::move(block));
    }
    return blocks;
}

std::string Decode(const std::string& path, const char* format) {
    const auto result =
        RunTool({"ffmpeg", "-v", "error", "-i", path, "-map", "0:v", "-f", format, "-"});
    return result.out;
}

// Writes the movie, checks that it decodes without a word from the decoder, and that the
// video decodes to the frames the FLV decodes to.
void CheckMovie(const TempDir& dir, const char* codec, uint8_t codecId, uint8_t version,
                const std::vector<Bytes>& payloads) {
    ASSERT_EQ(payloads.size(), std::size_t(kFrames)) << codec;
    std::vector<std::unique_ptr<CBK_SwfTag>> owned;
    std::vector<CBK_SwfTag*> tags;
    auto add = [&](std::unique_ptr<CBK_SwfTag> tag) {
        tags.push_back(tag.get());
        owned.push_back(std::move(tag));
    };
    // 22 kHz, 16-bit mono playback of an MP3 stream at 22 kHz.
    add(std::make_unique<CBK_SwfSoundStreamHead>(uint8_t(0x0A), uint8_t(0x2A), uint16_t(1837)));
    auto stream = std::make_unique<CBK_SwfDefineVideoStream>();
    stream->Create(kFrames, kWidth, kHeight);
    stream->SetCharacterId(1);
    stream->SetCodecId(codecId);
    add(std::move(stream));
    const std::vector<CMpegFrame> mp3 = Mp3Frames(dir);
    ASSERT_GT(mp3.size(), 30u);
    auto blocks = SoundBlocks(mp3, 22050.0 / 12);
    for (int f = 0; f < kFrames; ++f) {
        auto frame = std::make_unique<CBK_SwfVideoFrame>();
        frame->SetStreamId(1);
        frame->Create(static_cast<uint16_t>(f));
        auto* payload = new CBK_SwfStream(version);
        payload->Add(payloads[f]);
        frame->SetPayload(payload);
        add(std::move(frame));
        add(std::move(blocks[f]));
        add(std::make_unique<CBK_SwfShowFrame>());
    }
    add(std::make_unique<CBK_SwfEnd>());
    const auto swf = dir / (std::string(codec) + ".swf");
    stravel::testing::WriteFileBytes(swf, Movie(version, kWidth * 20, kHeight * 20, kFrames, tags));

    const auto decoded = RunTool({"ffmpeg", "-v", "error", "-i", swf.string(), "-f", "null", "-"});
    EXPECT_EQ(decoded.exitCode, 0) << codec;
    EXPECT_EQ(decoded.err, "") << codec;
    EXPECT_EQ(decoded.out, "") << codec;

    const auto probed =
        RunTool({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                 "stream=codec_name,nb_read_frames", "-of", "compact=p=0", swf.string()});
    EXPECT_NE(probed.out.find(std::string("codec_name=") + codec + "|nb_read_frames=12"),
              std::string::npos)
        << probed.out;
    EXPECT_NE(probed.out.find("codec_name=mp3|nb_read_frames=" + std::to_string(mp3.size())),
              std::string::npos)
        << probed.out;

    const std::string fromSwf = Decode(swf.string(), "framemd5");
    const std::string fromFlv = Decode((dir / (std::string(codec) + ".flv")).string(), "framemd5");
    auto hashes = [](const std::string& text) {
        std::vector<std::string> out;
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line))
            if (!line.empty() && line[0] != '#')
                out.push_back(line.substr(line.rfind(',') + 1));
        return out;
    };
    EXPECT_EQ(hashes(fromSwf).size(), std::size_t(kFrames)) << codec;
    EXPECT_EQ(hashes(fromSwf), hashes(fromFlv)) << codec;
}

TEST(SwfMediaMovie, H263VideoAndMp3StreamDecode) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE_TOOL("ffprobe");
    STRAVEL_REQUIRE_TOOL("lame");
    TempDir dir;
    std::vector<Bytes> payloads;
    for (const Bytes& body : EncodedFrames(dir, "flv1")) {
        // The FLV's frame-type byte is FLV framing; the picture itself follows.
        const Bytes picture(body.begin() + 1, body.end());
        auto probe = std::make_unique<CBK_SwfVideoFrame>();
        auto* stream = new CBK_SwfStream(6);
        stream->Add(picture);
        probe->SetPayload(stream);
        EXPECT_EQ(probe->GetFrameType(), uint32_t(body[0] >> 4)) << payloads.size();
        EXPECT_GE(probe->GetQuantiser(), 1u);
        payloads.push_back(picture);
    }
    CheckMovie(dir, "flv1", CBK_SwfDefineVideoStream::kCodecH263, 6, payloads);
}

TEST(SwfMediaMovie, ScreenVideoAndMp3StreamDecode) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE_TOOL("ffprobe");
    STRAVEL_REQUIRE_TOOL("lame");
    TempDir dir;
    std::vector<Bytes> payloads;
    for (const Bytes& body : EncodedFrames(dir, "flashsv")) {
        auto packet = ParsePacket(body);
        ASSERT_NE(packet, nullptr);
        CBK_SwfStream out(7);
        ASSERT_GT(packet->Write(&out), 0u);
        const Bytes written = swftest::BytesOf(out.GetStream());
        // The packet as the encoder made it, from the block sizes on; the frame-type byte
        // is the model's own reading of the blocks.
        EXPECT_EQ(Bytes(written.begin() + 1, written.end()), Bytes(body.begin() + 1, body.end()));
        EXPECT_EQ(written[0], packet->IsKeyframe() ? 0x13 : 0x23);
        if ((body[0] >> 4) == 1) {
            EXPECT_EQ(written[0], 0x13);
        }
        // The packet goes into the frame whole, frame-type byte included.
        payloads.push_back(written);
    }
    CheckMovie(dir, "flashsv", CBK_SwfDefineVideoStream::kCodecScreenVideo, 7, payloads);
}

} // namespace
