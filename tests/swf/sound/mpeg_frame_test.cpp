// MPEG audio frame headers: fields, sizes, validity, and the frames of real MP3 files made by
// an independent encoder, measured against an independent demuxer.
#include <gtest/gtest.h>

#include <sstream>

#include "swf/sound/mpeg_frame.h"
#include "tests/support/tools.h"
#include "tests/swf/mp3_frames.h"

namespace {

using ravuz::CMpegFrame;
using stravel::testing::RunTool;

CMpegFrame Header(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    CMpegFrame frame;
    frame.SetHeader(bytes);
    return frame;
}

TEST(MpegFrame, FieldsOfAnMpeg1LayerIIIHeader) {
    const CMpegFrame frame = Header(0xFF, 0xFB, 0x90, 0x64);
    EXPECT_EQ(frame.GetHeader(), 0xFFFB9064u);
    EXPECT_EQ(frame.GetMpegVersion(), CMpegFrame::mpegVERSION1);
    EXPECT_EQ(frame.GetLayer(), CMpegFrame::mpegLAYER3);
    EXPECT_EQ(frame.GetProtectionBit(), 1);
    EXPECT_EQ(frame.GetBitrateIndex(), 9);
    EXPECT_EQ(frame.GetBitrate(), 128000u);
    EXPECT_EQ(frame.GetSamplingrateIndex(), 0);
    EXPECT_EQ(frame.GetSamplingrate(), 44100u);
    EXPECT_EQ(frame.GetPaddingBit(), 0);
    EXPECT_EQ(frame.GetChannelMode(), CMpegFrame::mpegJSTEREO);
    EXPECT_EQ(frame.GetModeExtension(), 2);
    EXPECT_EQ(frame.GetCopyrightBit(), 0);
    EXPECT_EQ(frame.GetOriginalBit(), 1);
    EXPECT_EQ(frame.GetEmphasis(), 0);
    EXPECT_TRUE(frame.IsValidHeader());
    EXPECT_EQ(frame.GetSampleSize(), 413u);
    EXPECT_EQ(frame.GetDecodedFrameSize(), 1152u);

    const CMpegFrame padded = Header(0xFF, 0xFB, 0x92, 0x64);
    EXPECT_EQ(padded.GetPaddingLength(), 1);
    EXPECT_EQ(padded.GetSampleSize(), 414u);

    // MPEG 2, 64 kbit/s, 22050 Hz: 72 * 64000 / 22050 = 208.
    const CMpegFrame mpeg2 = Header(0xFF, 0xF3, 0x80, 0xC4);
    EXPECT_TRUE(mpeg2.IsValidHeader());
    EXPECT_EQ(mpeg2.GetSampleSize(), 204u);
    EXPECT_EQ(mpeg2.GetDecodedFrameSize(), 576u);
    EXPECT_EQ(mpeg2.GetChannelMode(), CMpegFrame::mpegMONO);
}

TEST(MpegFrame, HeadersThatDoNotDescribeALayerIIIFrame) {
    struct Case {
        const char* name;
        CMpegFrame frame;
    };
    const Case cases[] = {
        {"sampling-rate index 3", Header(0xFF, 0xFB, 0x9C, 0x64)},
        {"bit-rate index 0 (free format)", Header(0xFF, 0xFB, 0x00, 0x64)},
        {"bit-rate index 15", Header(0xFF, 0xFB, 0xF0, 0x64)},
        {"reserved version", Header(0xFF, 0xEB, 0x90, 0x64)},
        {"reserved layer", Header(0xFF, 0xF9, 0x90, 0x64)},
        {"Layer II", Header(0xFF, 0xFD, 0x90, 0x64)},
        {"Layer I", Header(0xFF, 0xFF, 0x90, 0x64)},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(c.frame.IsValidHeader()) << c.name;
    // No table is read past its end, and nothing divides by a zero rate.
    const CMpegFrame badRate = cases[0].frame;
    EXPECT_EQ(badRate.GetSamplingrate(), 0u);
    EXPECT_EQ(badRate.GetSampleSize(), 0u);
    EXPECT_EQ(cases[3].frame.GetSamplingrate(), 0u);
    EXPECT_EQ(cases[3].frame.GetSampleSize(), 0u);
    EXPECT_EQ(cases[1].frame.GetSampleSize(), 0u);
    for (uint32_t header = 0; header < 0x10000; ++header) {
        const CMpegFrame any(0xFFE00000u | (header << 4));
        if (any.IsValidHeader()) {
            EXPECT_GE(any.GetSampleSize(), 4u);
        }
    }
}

struct ProbedFrame {
    std::size_t size;
    uint32_t samples;
};

std::vector<ProbedFrame> Probe(const std::string& path) {
    const auto result =
        RunTool({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_frames",
                 "-show_entries", "frame=pkt_size,nb_samples", "-of", "compact=p=0", path});
    std::vector<ProbedFrame> frames;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        ProbedFrame frame{0, 0};
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '|')) {
            const auto eq = field.find('=');
            if (eq == std::string::npos)
                continue;
            const std::string key = field.substr(0, eq);
            const auto value = std::stoul(field.substr(eq + 1));
            if (key == "pkt_size")
                frame.size = value;
            else if (key == "nb_samples")
                frame.samples = static_cast<uint32_t>(value);
        }
        if (frame.size)
            frames.push_back(frame);
    }
    return frames;
}

TEST(MpegFrame, FramesOfEncodedFilesMatchAnIndependentDemuxer) {
    STRAVEL_REQUIRE_TOOL("lame");
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE_TOOL("ffprobe");
    stravel::testing::TempDir dir;
    const char* rates[] = {"8000",  "11025", "12000", "16000", "22050",
                           "24000", "32000", "44100", "48000"};
    const char* lameRates[] = {"8", "11.025", "12", "16", "22.05", "24", "32", "44.1", "48"};
    int files = 0;
    for (int r = 0; r < 9; ++r) {
        for (const char* channels : {"1", "2"}) {
            const auto wav = dir / "in.wav";
            const auto made = RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                       std::string("sine=frequency=523:sample_rate=") + rates[r],
                                       "-t", "0.6", "-ac", channels, wav.string()});
            ASSERT_EQ(made.exitCode, 0) << made.err;
            for (bool vbr : {false, true}) {
                const auto mp3 = dir / "out.mp3";
                std::vector<std::string> argv = {"lame", "--quiet", "-t", "--resample",
                                                 lameRates[r]};
                if (vbr) {
                    argv.insert(argv.end(), {"-V", "4"});
                } else {
                    argv.insert(argv.end(), {"-b", "32"});
                }
                argv.insert(argv.end(), {wav.string(), mp3.string()});
                const auto encoded = RunTool(argv);
                ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
                const std::string bytes = stravel::testing::ReadFileBytes(mp3);
                const auto ours = mp3test::SplitFrames(
                    reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
                const auto theirs = Probe(mp3.string());
                const std::string what = std::string(rates[r]) + " Hz, " + channels +
                                         " channel(s), " + (vbr ? "VBR" : "CBR");
                ASSERT_FALSE(ours.empty()) << what;
                ASSERT_EQ(ours.size(), theirs.size()) << what;
                for (std::size_t i = 0; i < ours.size(); ++i) {
                    EXPECT_EQ(ours[i].GetSampleSize() + 4, theirs[i].size) << what << " #" << i;
                    EXPECT_EQ(ours[i].GetDecodedFrameSize(), theirs[i].samples) << what;
                    EXPECT_EQ(ours[i].GetSamplingrate(), std::stoul(rates[r])) << what;
                    EXPECT_EQ(ours[i].GetChannelMode() == CMpegFrame::mpegMONO,
                              std::string(channels) == "1")
                        << what;
                }
                ++files;
            }
        }
    }
    EXPECT_EQ(files, 36);
}

} // namespace
