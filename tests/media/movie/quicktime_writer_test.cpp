#include "media/movie/quicktime_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "media/image/image.h"
#include "media/movie/sound_resource.h"
#include "platform/fonts/font_catalog.h"
#include "platform/memory.h"
#include "platform/quickdraw/offscreen.h"
#include "tests/media/media_test_support.h"
#include "tests/media/movie/movie_media.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/private_folders.h"

using namespace movietest;
using mediatest::PathOf;
using stravel::testing::PrivateFolders;
using stravel::testing::ReadFileBytes;
using stravel::testing::WriteFileBytes;

namespace {

std::string Probe(const std::filesystem::path& file, const std::string& entries,
                  const std::string& stream = "v:0") {
    return RunTool({"ffprobe", "-v", "error", "-count_packets", "-select_streams", stream,
                    "-show_entries", entries, "-of", "default=nw=1", file.string()})
        .out;
}

std::string Dump(const std::filesystem::path& file, const std::vector<std::string>& tail) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-i", file.string()};
    argv.insert(argv.end(), tail.begin(), tail.end());
    argv.push_back("-");
    return RunTool(argv).out;
}

// A SWF 6 movie of 320 × 240 at 12 fps with `frames` frames and nothing but its End tag.
std::string MakeSwf(uint16_t frames) {
    std::string body;
    // RECT: 5 bits nbits = 14, then 0, 6400, 0, 4800 in 14 bits each (61 bits, 8 bytes).
    uint64_t bits = 0;
    int used = 0;
    auto put = [&](uint32_t value, int n) {
        bits = bits << n | value;
        used += n;
    };
    put(14, 5);
    put(0, 14);
    put(6400, 14);
    put(0, 14);
    put(4800, 14);
    bits <<= 64 - used;
    for (int i = 0; i < 8; ++i)
        body.push_back(char(bits >> (56 - 8 * i)));
    body += std::string("\x00\x0C", 2);
    body.push_back(char(frames & 0xFF));
    body.push_back(char(frames >> 8));
    body += std::string("\x00\x00", 2);
    const uint32_t length = uint32_t(8 + body.size());
    std::string swf = "FWS\x06";
    for (int i = 0; i < 4; ++i)
        swf.push_back(char(length >> (8 * i)));
    return swf + body;
}

} // namespace

TEST(QuicktimeWriter, RawFramesReadBackExactly) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    PrivateFolders folders;
    const auto out = folders.Root() / "frames.mov";
    CBK_Path path = PathOf(out);
    const std::vector<uint8_t> frames = mediatest::Noise(320, 240 * 24, 4, 5);
    CBK_QuicktimeWriter writer;
    ASSERT_TRUE(writer.Create(path, 320, 240, 12.0, CBK_QuicktimeWriter::FLAG_LOOP));
    ASSERT_TRUE(writer.AddVideoTrack());
    for (int i = 0; i < 24; ++i)
        ASSERT_TRUE(writer.AddVideoFrame(frames.data() + std::size_t(i) * 320 * 240 * 4));
    ASSERT_TRUE(writer.Close());

    EXPECT_EQ(Probe(out, "stream=codec_tag_string,pix_fmt,nb_read_packets,duration"),
              "codec_tag_string=raw \npix_fmt=argb\nduration=2.000000\nnb_read_packets=24\n");
    EXPECT_EQ(Dump(out, {"-f", "rawvideo", "-pix_fmt", "rgba"}),
              std::string(frames.begin(), frames.end()));
    // No controller asked for: 'ctyp' "none"; looping: 'LOOP'; no autoplay item.
    const std::string bytes = ReadFileBytes(out);
    EXPECT_NE(bytes.find("ctypnone"), std::string::npos);
    EXPECT_NE(bytes.find("LOOP"), std::string::npos);
    EXPECT_EQ(bytes.find("play\x01"), std::string::npos);
}

TEST(QuicktimeWriter, TestPictureIsTheFrameCountInBlueOnRed) {
    STRAVEL_REQUIRE(!tbx::fonts::Families().empty(), "no scalable font is installed");
    PrivateFolders folders;
    CBK_Path path = PathOf(folders.Root() / "count.mov");
    CBK_QuicktimeWriter writer;
    ASSERT_TRUE(writer.Create(path, 8, 8, 12.0, 0));
    ASSERT_TRUE(writer.AddVideoTrack());
    tbx::GWorldPtr port = nullptr;
    const tbx::Rect bounds{0, 0, 90, 120};
    ASSERT_EQ(tbx::NewGWorld(&port, 32, &bounds, nullptr, nullptr, 0), tbx::noErr);
    ASSERT_EQ(tbx::SetGWorld(port, nullptr), tbx::noErr);
    const std::vector<uint8_t> black(8 * 8 * 4, 0);
    int lastWidth = 0;
    for (int frames : {1, 12}) {
        while (writer.GetFrameCount() < uint32_t(frames))
            ASSERT_TRUE(writer.AddVideoFrame(black.data()));
        writer.DrawFrame(&bounds, 0);
        // Red everywhere but the digits, whose edges blend red into blue; the digits stand on
        // the baseline from the middle, about a third of the height (29 points) tall.
        tbx::PixMapHandle map = tbx::GetGWorldPixMap(port);
        const uint8_t* base = reinterpret_cast<const uint8_t*>(tbx::GetPixBaseAddr(map));
        int left = 120, right = -1, top = 90, bottom = -1, blue = 0;
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 120; ++x) {
                const uint8_t* p = base + y * tbx::GetPixRowBytes(map) + x * 4;
                ASSERT_EQ(p[2], 0) << x << ", " << y;
                ASSERT_NEAR(p[1] + p[3], 255, 1) << x << ", " << y;
                if (p[3] > 127) { // bytes A, R, G, B
                    blue += p[3] == 255;
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            }
        EXPECT_GT(blue, 20) << frames;
        EXPECT_GE(left, 60);
        EXPECT_LT(bottom, 45);
        EXPECT_GE(bottom - top + 1, 14);
        EXPECT_LE(bottom - top + 1, 29);
        EXPECT_GT(right - left, lastWidth) << "two digits are wider than one";
        lastWidth = right - left;
    }
    tbx::SetGWorld(nullptr, nullptr);
    tbx::DisposeGWorld(port);
}

TEST(QuicktimeWriter, OffscreenPortsAreCopiedWhole) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    PrivateFolders folders;
    const auto out = folders.Root() / "port.mov";
    CBK_Path path = PathOf(out);
    tbx::GWorldPtr port = nullptr;
    tbx::Rect bounds{0, 0, 12, 20};
    ASSERT_EQ(tbx::NewGWorld(&port, 32, &bounds, nullptr, nullptr, 0), tbx::noErr);
    tbx::PixMapHandle map = tbx::GetGWorldPixMap(port);
    uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(map));
    const std::vector<uint8_t> argb = mediatest::Noise(20, 12, 4, 11);
    for (int y = 0; y < 12; ++y)
        std::memcpy(base + y * tbx::GetPixRowBytes(map), argb.data() + y * 80, 80);
    CBK_QuicktimeWriter writer;
    ASSERT_TRUE(writer.Create(path, 20, 12, 5.0, 8));
    ASSERT_TRUE(writer.AddVideoTrack());
    ASSERT_TRUE(writer.AddVideoFrame(port));
    ASSERT_TRUE(writer.Close());
    tbx::DisposeGWorld(port);
    EXPECT_EQ(Dump(out, {"-f", "rawvideo", "-pix_fmt", "argb"}),
              std::string(argb.begin(), argb.end()));
}

TEST(QuicktimeWriter, TimeScaleKeepsTenthsAndRefusesBadRates) {
    PrivateFolders folders;
    CBK_Path path = PathOf(folders.Root() / "t.mov");
    CBK_QuicktimeWriter writer;
    ASSERT_TRUE(writer.Create(path, 8, 8, 12.5, 8));
    EXPECT_EQ(writer.GetTimeScale(), 125);
    ASSERT_TRUE(writer.Create(path, 8, 8, 29.97, 8));
    EXPECT_EQ(writer.GetTimeScale(), 300);
    ASSERT_TRUE(writer.Create(path, 8, 8, 0.5, 8));
    EXPECT_EQ(writer.GetTimeScale(), 5);
    EXPECT_FALSE(writer.Create(path, 8, 8, 0.0, 8));
    EXPECT_FALSE(writer.Create(path, 8, 8, -3.0, 8));
    CBK_Path nowhere(L"/nonexistent/folder/t.mov");
    EXPECT_FALSE(writer.Create(nowhere, 8, 8, 12.0, 8));
}

TEST(QuicktimeWriter, ImagesOfOtherSizesAndFailedWritesAreReported) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    PrivateFolders folders;
    const auto out = folders.Root() / "i.mov";
    CBK_Path path = PathOf(out);
    CBK_QuicktimeWriter writer;
    ASSERT_TRUE(writer.Create(path, 16, 8, 10.0, 8));
    std::vector<uint8_t> pixels = mediatest::Noise(16, 8, 4, 3);
    CBK_Image image;
    ASSERT_TRUE(image.Create(16, 8, 32, pixels.data(), true));
    EXPECT_FALSE(writer.AddVideoFrame(image)) << "no video track yet";
    ASSERT_TRUE(writer.AddVideoTrack());
    EXPECT_TRUE(writer.AddVideoFrame(image));
    CBK_Image small;
    ASSERT_TRUE(small.Create(8, 8, 24, nullptr, false));
    EXPECT_FALSE(writer.AddVideoFrame(small));
    EXPECT_TRUE(writer.Close());
    // 32-bit images are read four bytes a pixel, alpha kept.
    EXPECT_EQ(Dump(out, {"-f", "rawvideo", "-pix_fmt", "rgba"}),
              std::string(pixels.begin(), pixels.end()));
    // 24-bit images are read three bytes a pixel, opaque.
    std::vector<uint8_t> rgb = mediatest::Noise(16, 8, 3, 5);
    CBK_Image image24;
    ASSERT_TRUE(image24.Create(16, 8, 24, rgb.data(), true));
    ASSERT_TRUE(writer.Create(path, 16, 8, 10.0, 8));
    ASSERT_TRUE(writer.AddVideoTrack());
    EXPECT_TRUE(writer.AddVideoFrame(image24));
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(Dump(out, {"-f", "rawvideo", "-pix_fmt", "rgb24"}),
              std::string(rgb.begin(), rgb.end()));

    // A file-size limit stands in for a full disk.
    CBK_Path full = PathOf(folders.Root() / "full.mov");
    EXPECT_TRUE(stravel::testing::UnderFileSizeLimit(4096, [&] {
        if (!writer.Create(full, 64, 64, 10.0, 8) ||
            !writer.AddVideoTrack())
            return false;
        std::vector<uint8_t> frame(64 * 64 * 4, 7);
        for (int i = 0; i < 64; ++i)
            writer.AddVideoFrame(frame.data());
        return !writer.Close();
    })) << "a full disk is never success";
}

TEST(QuicktimeWriter, FlashTrackHoldsTheSwfAndFlattenPutsHeaderFirst) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    PrivateFolders folders;
    const auto swfFile = folders.Root() / "m.swf", out = folders.Root() / "flash.mov";
    const std::string swf = MakeSwf(30);
    WriteFileBytes(swfFile, swf);
    CBK_Path swfPath = PathOf(swfFile), path = PathOf(out);
    CBK_QuicktimeWriter writer;
    ASSERT_TRUE(
        writer.Create(path, 320, 240, 12.0,
                      CBK_QuicktimeWriter::FLAG_FLATTEN | CBK_QuicktimeWriter::FLAG_CONTROLLER));
    ASSERT_TRUE(writer.AddVideoTrack());
    const std::vector<uint8_t> frame = mediatest::Noise(320, 240, 4, 9);
    ASSERT_TRUE(writer.AddVideoFrame(frame.data()));
    ASSERT_TRUE(writer.AddFlashTrack(swfPath, 256, 255));
    ASSERT_TRUE(writer.Close());

    const std::string bytes = ReadFileBytes(out);
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(4, 4), "moov");
    EXPECT_EQ(bytes.substr(12, 4), "cmov");
    EXPECT_EQ(bytes.find("ctypnone"), std::string::npos);
    CBK_Path temp;
    ASSERT_TRUE(temp.GetTempDirectory());
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(BK_WideToFileSystemName(temp.GetFullPathString()))))
        EXPECT_EQ(entry.path().filename().string().find("__qtphat"), std::string::npos);

    EXPECT_EQ(Dump(out, {"-map", "0:1", "-c", "copy", "-f", "data"}), swf);
    // A compressed movie is timed by the header inside its compressed body.
    const auto packed = folders.Root() / "c.swf", second = folders.Root() / "c.mov";
    const std::string body =
        RunTool({"python3", "-c",
                 "import sys,zlib; d=sys.stdin.buffer.read(); "
                 "sys.stdout.buffer.write(b'CWS'+d[3:8]+zlib.compress(d[8:]))"},
                MakeSwf(48))
            .out;
    WriteFileBytes(packed, body);
    CBK_Path packedPath = PathOf(packed), secondPath = PathOf(second);
    CBK_QuicktimeWriter flash;
    ASSERT_TRUE(flash.Create(secondPath, 320, 240, 12.0, 8));
    ASSERT_TRUE(flash.AddFlashTrack(packedPath, 0, 0));
    ASSERT_TRUE(flash.Close());
    EXPECT_EQ(Probe(second, "stream=duration", "d:0"), "duration=4.000000\n");
    EXPECT_EQ(Probe(out, "stream=duration", "d:0"), "duration=2.500000\n");
    EXPECT_EQ(Dump(out, {"-map", "0:0", "-f", "rawvideo", "-pix_fmt", "rgba"}),
              std::string(frame.begin(), frame.end()));
}

TEST(QuicktimeWriter, CopiedSoundKeepsSamplesAndDuration) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    PrivateFolders folders;
    const auto wav = folders.Root() / "s.wav", out = folders.Root() / "sound.mov";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=f=500:r=22050:d=1.53", "-ac", "2"}, wav));
    CBK_Path wavPath = PathOf(wav), path = PathOf(out);
    CBK_QuicktimeWriter writer;
    ASSERT_TRUE(writer.Create(path, 32, 32, 15.0, 8));
    ASSERT_TRUE(writer.CopyTrack(wavPath));
    EXPECT_FALSE(writer.AddSoundTrack()) << "no movie beside the application";
    ASSERT_TRUE(writer.Close());
    const std::string duration = Probe(out, "stream=duration", "a:0");
    ASSERT_EQ(duration.rfind("duration=", 0), 0u) << duration;
    EXPECT_NEAR(std::stod(duration.substr(9)), 1.53, 0.001);
    EXPECT_EQ(Dump(out, {"-f", "s16le"}), Dump(wav, {"-f", "s16le"}));
}

TEST(SoundResource, HeadersAreFoundWithinTheResource) {
    EXPECT_EQ(GetSndHdrOffset(nullptr), 0);
    // Format 1, one 6-byte modifier, one buffer command pointing at an extended header.
    std::vector<uint8_t> res = {0, 1, 0,    1,    0, 5, 0, 0, 0, 0x80,
                                0, 1, 0x80, 0x51, 0, 0, 0, 0, 0, 20};
    std::vector<uint8_t> header(64, 0);
    header[7] = 2;                      // channels
    header[8] = 0xAC, header[9] = 0x44; // 44100 Hz as 16.16
    header[20] = 0xFF;                  // extended
    header[25] = 100;                   // frames
    header[49] = 16;                    // bits
    res.insert(res.end(), header.begin(), header.end());
    tbx::Handle handle = tbx::NewHandle(res.size());
    std::memcpy(*handle, res.data(), res.size());
    EXPECT_EQ(GetSndHdrOffset(handle), 20);
    tbx::SoundDescription description;
    int32_t offset = 0, count = 0, size = 0;
    ASSERT_TRUE(CreateSoundDescription(handle, description, &offset, &count, &size));
    EXPECT_EQ(offset, 84);
    EXPECT_EQ(count, 100);
    EXPECT_EQ(size, 400);
    EXPECT_EQ(description.numChannels, 2);
    EXPECT_EQ(description.sampleRate, 44100.0);
    // A data size beyond 32 bits is refused, never wrapped.
    (*handle)[20 + 22] = 1;                               // 16,777,316 frames
    (*handle)[20 + 48] = (*handle)[20 + 49] = char(0xFF); // 65,535 bits
    EXPECT_FALSE(CreateSoundDescription(handle, description, &offset, &count, &size));
    (*handle)[20 + 22] = 0;
    (*handle)[20 + 48] = 0, (*handle)[20 + 49] = 16;
    // Cut inside the header: nothing is read past the end.
    tbx::SetHandleSize(handle, 60);
    EXPECT_FALSE(CreateSoundDescription(handle, description, &offset, &count, &size));
    EXPECT_EQ(offset, 0);
    tbx::DisposeHandle(handle);
}
