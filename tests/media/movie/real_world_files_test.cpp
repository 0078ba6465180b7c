// Files as cameras, phones, broadcasters and old tools make them: damaged packets, streams that
// start apart, display matrices, odd sample forms, extreme frame shapes and lying indexes.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include "media/image/image.h"
#include "media/importers/mp3_importer.h"
#include "media/importers/quicktime_importer.h"
#include "media/movie/quicktime_movie.h"
#include "tests/media/media_test_support.h"
#include "tests/media/movie/movie_media.h"
#include "tests/support/allocation_meter.h"

using namespace movietest;
using stravel::testing::AllocationMeter;
using stravel::testing::ReadFileBytes;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

namespace {

// Where a tone is heard in 16-bit mono PCM: the seconds of 10 ms windows loud enough, and the
// start of the first of them (-1 when none is).
struct Tone {
    double seconds = 0, start = -1;
};

Tone FindTone(const uint8_t* pcm, std::size_t bytes, int rate) {
    Tone tone;
    const std::size_t window = std::size_t(rate) / 100;
    for (std::size_t first = 0; (first + window) * 2 <= bytes; first += window) {
        double level = 0;
        for (std::size_t i = first; i < first + window; ++i)
            level += std::abs(int16_t(pcm[2 * i] | pcm[2 * i + 1] << 8));
        if (level / double(window) > 1000) {
            tone.seconds += 0.01;
            if (tone.start < 0)
                tone.start = double(first) / rate;
        }
    }
    return tone;
}

// Big-endian 32-bit words written over a file's bytes at `offset` from the first `tag`.
void Patch(const std::filesystem::path& file, const char* tag, std::size_t offset,
           std::initializer_list<int32_t> words) {
    std::string bytes = ReadFileBytes(file);
    const std::size_t at = bytes.find(tag);
    ASSERT_NE(at, std::string::npos) << tag;
    std::size_t i = at + offset;
    for (int32_t word : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes[i++] = char(uint32_t(word) >> shift);
    WriteFileBytes(file, bytes);
}

} // namespace

TEST(RealWorldSound, DamagedPacketsLeaveSilenceOfTheirLength) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    TempDir dir;
    const auto file = dir / "damaged.m4a";
    ASSERT_TRUE(
        Make({"-f", "lavfi", "-i", "sine=f=440:r=44100:d=4", "-c:a", "aac", "-b:a", "128k"}, file));
    std::string bytes = ReadFileBytes(file);
    std::mt19937 rng(2);
    for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 2000; ++i)
        bytes[i] = char(rng());
    WriteFileBytes(file, bytes);

    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    // The container's four seconds, to within one frame of 1024 samples.
    EXPECT_NEAR(movie.GetTotalSamples() / 600.0, ProbeFormat(file, "duration"), 1024.0 / 44100);
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    uint32_t size = 0, next = 0;
    const std::string whole = Take(movie.GetAudioSamples(0, 0, size, nullptr), size);
    std::string joined;
    for (uint32_t at = 0; at < uint32_t(movie.GetTotalSamples()); at = next)
        joined += Take(movie.GetAudioSamples(at, 150, size, &next), size);
    EXPECT_EQ(joined, whole);
    const Tone tone = FindTone(reinterpret_cast<const uint8_t*>(whole.data()), whole.size(), 44100);
    EXPECT_GE(tone.seconds, 3.5);
    EXPECT_LE(tone.seconds, 4.0);
}

TEST(RealWorldSound, CodecDelaysPaddingAndJitterLeaveFfmpegsSound) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    TempDir dir;
    // Each file asked for at rate and channels (its own for MP3, which both importers read),
    // whole or cut to two thirds of its bytes.
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int rate, channels;
        bool cut = false;
    };
    const Case cases[] = {
        {"alac.caf", {"-i", "sine=f=440:r=44100:d=2", "-ac", "2", "-c:a", "alac"}, 22050, 2},
        {"wma.wmv", {"-i", "sine=f=440:r=44100:d=3", "-c:a", "wmav2"}, 44100, 1},
        {"opus.opus", {"-i", "sine=f=500:r=48000:d=3", "-c:a", "libopus"}, 22050, 1},
        {"vorbis.ogg", {"-i", "sine=f=440:r=44100:d=2", "-ac", "2", "-c:a", "libvorbis"}, 44100, 2},
        {"low.mp3", {"-i", "sine=f=440:r=8000:d=3", "-c:a", "libmp3lame", "-b:a", "16k"}, 8000, 1},
        {"cut.mp3",
         {"-i", "sine=f=440:r=22050:d=3", "-c:a", "libmp3lame", "-b:a", "32k"},
         22050,
         1,
         true},
        {"opus.webm",
         {"-i", "sine=f=500:r=48000:d=3", "-f", "lavfi", "-i", "testsrc=s=64x48:r=10:d=3", "-c:v",
          "libvpx-vp9", "-c:a", "libopus"},
         48000,
         1}};
    for (const Case& c : cases) {
        const auto file = dir / c.name;
        std::vector<std::string> args = {"-f", "lavfi"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_TRUE(Make(args, file));
        if (c.cut)
            std::filesystem::resize_file(file, std::filesystem::file_size(file) * 2 / 3);
        const std::string reference =
            RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-f", "s16le", "-ar",
                     std::to_string(c.rate), "-ac", std::to_string(c.channels), "-"})
                .out;
        std::istringstream frames(
            RunTool({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                     "frame=nb_samples:stream=sample_rate", "-of", "csv=p=0", file.string()})
                .out);
        // Each frame's samples, then the stream's rate.
        int64_t decoded = 0, rate = 0;
        for (int64_t n = 0; frames >> n; rate = n)
            decoded += rate;
        ASSERT_FALSE(reference.empty()) << c.name;

        CBK_Path path(file.wstring());
        CBK_MediaImporterQuickTime quicktime;
        CBK_MediaImporterQuickTimeMp3 mp3;
        for (CBK_MediaImporter* importer :
             {static_cast<CBK_MediaImporter*>(&quicktime), static_cast<CBK_MediaImporter*>(&mp3)}) {
            if (importer == &mp3 && !file.string().ends_with(".mp3"))
                continue;
            ASSERT_TRUE(importer->Init(path)) << c.name;
            importer->SetTimeScale(int32_t(rate));
            if (!importer->HasVideo()) {
                EXPECT_NEAR(importer->GetTotalSamples(), decoded, 1) << c.name;
            }
            CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION form;
            form.m_dRate = c.rate;
            form.m_nChannels = c.channels;
            ASSERT_TRUE(importer->SetSoundExportDescription(form, nullptr)) << c.name;
            // A movie's sound runs on in silence to the end of its picture.
            std::string expected = reference;
            if (importer->HasVideo())
                expected.resize(std::size_t(int64_t(importer->GetTotalSamples()) * c.rate / rate) *
                                    2 * std::size_t(c.channels),
                                '\0');
            uint32_t size = 0, next = 0;
            EXPECT_TRUE(Take(importer->GetSoundSamples(0, 0, size, nullptr), size) == expected)
                << c.name << " as a whole, kind " << importer->GetKind();
            std::string joined;
            for (uint32_t at = 0; at < uint32_t(importer->GetTotalSamples()); at = next) {
                uint8_t* piece = importer->GetSoundSamples(at, int32_t(rate / 4), size, &next);
                ASSERT_TRUE(piece) << c.name << " at " << at << ", kind " << importer->GetKind();
                joined += Take(piece, size);
            }
            EXPECT_TRUE(joined == expected) << c.name << " by quarter seconds";
        }
    }
}

TEST(RealWorldTimeline, SoundThatStartsBeforeThePictureKeepsItsPlace) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    TempDir dir;
    // As broadcast: the sound starts a second before the picture, silent until the picture
    // comes; the key frames lie a second apart.
    const auto file = dir / "offset.ts";
    ASSERT_TRUE(Make({"-f",         "lavfi",
                      "-i",         "aevalsrc='if(gte(t,1),0.5*sin(440*2*PI*t),0)':s=44100:d=4",
                      "-itsoffset", "1",
                      "-f",         "lavfi",
                      "-i",         IndexedColours(20, 3),
                      "-map",       "1:v",
                      "-map",       "0:a",
                      "-c:v",       "libx264",
                      "-g",         "20",
                      "-pix_fmt",   "yuv420p",
                      "-c:a",       "aac"},
                     file));
    // Frames on the shared timeline, and after every seek back to its start.
    ExpectFrameExact(file);

    const StreamTimes times = ProbeFrameTimes(file);
    const double firstFrame = double(times.pts.front() - times.origin) * times.num / times.den;
    ASSERT_GT(firstFrame, 0.9);
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
    form.m_nChannels = 1;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    tbx::SoundDescription sound;
    ASSERT_TRUE(movie.GetSoundDescription(sound));
    uint32_t size = 0;
    const std::string pcm = Take(movie.GetAudioSamples(0, 0, size, nullptr), size);
    const Tone tone =
        FindTone(reinterpret_cast<const uint8_t*>(pcm.data()), pcm.size(), int(sound.sampleRate));
    EXPECT_NEAR(tone.start, firstFrame, 0.1);
}

TEST(RealWorldSound, EverySampleFormReadsInTheMoviesOwnForm) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    // Integer PCM keeps its size in the description; everything else reads as 16 bits, and
    // the movie's own form is 8 or 16 bits, whichever is nearer.
    struct Case {
        const char* codec;
        int described, delivered;
    };
    const Case cases[] = {{"adpcm_ima_wav", 16, 16}, {"pcm_f64le", 16, 16}, {"pcm_mulaw", 16, 16},
                          {"pcm_s24le", 24, 16},     {"pcm_u8", 8, 8},      {"pcm_s16le", 16, 16}};
    for (const Case& c : cases) {
        const auto file = dir / (std::string(c.codec) + ".wav");
        ASSERT_TRUE(Make(
            {"-f", "lavfi", "-i", "sine=f=300:r=8000:d=1.5", "-ac", "2", "-c:a", c.codec}, file));
        const std::string reference = RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-f",
                                               c.delivered == 8 ? "s8" : "s16le", "-"})
                                          .out;
        CBK_QuicktimeMovie movie;
        ASSERT_TRUE(OpenMade(movie, file)) << c.codec;
        tbx::SoundDescription description;
        ASSERT_TRUE(movie.GetSoundDescription(description));
        EXPECT_EQ(description.sampleSize, c.described) << c.codec;
        CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
        form.m_nFormat = tbx::kSoundFormatSowt;
        ASSERT_TRUE(movie.SetSoundExportDescription(form)) << c.codec;
        uint32_t size = 0;
        EXPECT_EQ(Take(movie.GetAudioSamples(0, 0, size, nullptr), size), reference) << c.codec;
    }
}

TEST(RealWorldFrames, DisplayMatrixTurnsThePicture) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto plain = dir / "plain.mov";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "testsrc=s=64x48:r=5:d=1", "-c:v", "png"}, plain));
    // Quarter turns and a mirror, as phones write them into the track header's matrix (a, b,
    // u, c, d, v, x, y, w); ffmpeg's own decoding turns the picture the same way.
    struct Case {
        const char* name;
        int32_t a, b, c, d;
    };
    const Case cases[] = {
        {"cw", 0, 1, -1, 0}, {"half", -1, 0, 0, -1}, {"ccw", 0, -1, 1, 0}, {"mirror", -1, 0, 0, 1}};
    for (const Case& turn : cases) {
        const auto file = dir / (std::string(turn.name) + ".mov");
        std::filesystem::copy_file(plain, file);
        Patch(file, "tkhd", 4 + 40,
              {turn.a << 16, turn.b << 16, 0, turn.c << 16, turn.d << 16, 0, 0, 0, 1 << 30});
        const std::string upright =
            RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-frames:v", "1", "-f",
                     "rawvideo", "-pix_fmt", "rgb24", "-"})
                .out;
        CBK_QuicktimeMovie movie;
        ASSERT_TRUE(OpenMade(movie, file));
        int32_t width = 0, height = 0;
        movie.GetSize(width, height);
        EXPECT_EQ(width, turn.b ? 48 : 64) << turn.name;
        EXPECT_EQ(height, turn.b ? 64 : 48) << turn.name;
        CBK_Image image;
        ASSERT_TRUE(movie.GetRgbFrameImage(0, image, nullptr, 24));
        EXPECT_TRUE(std::string(reinterpret_cast<const char*>(image.GetData()), image.GetSize()) ==
                    upright)
            << turn.name;
    }
}

TEST(RealWorldFrames, ExtremeShapesRenderAtAnySize) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto file = dir / "strip.mov";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i",
                      "color=c=red:s=8191x2:r=5:d=0.4,drawbox=x=4096:w=4095:h=2:c=blue:t=fill",
                      "-c:v", "png", "-pix_fmt", "rgb24"},
                     file));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    const std::pair<int, int> sizes[] = {{64, 64}, {100, 64}, {34, 129}, {1, 1}, {3, 8191}};
    for (const auto& [width, height] : sizes) {
        tbx::Rect out{0, 0, int16_t(height), int16_t(width)};
        std::vector<uint8_t> rgb(std::size_t(width) * height * 3);
        ASSERT_EQ(movie.GetRgbFrameImage(0, rgb.data(), &out, nullptr, 24), rgb.size())
            << width << " x " << height;
        // Red at the left edge, blue at the right (a single pixel holds both).
        const uint8_t* left = rgb.data() + std::size_t(height / 2) * width * 3;
        const uint8_t* right = left + (width - 1) * 3;
        if (width > 1) {
            EXPECT_GT(left[0], 200) << width << " x " << height;
            EXPECT_GT(right[2], 200) << width << " x " << height;
        } else {
            EXPECT_NEAR(left[0], 128, 24);
            EXPECT_NEAR(left[2], 128, 24);
        }
    }
}

TEST(RealWorldDurations, AnIndexThatClaimsMoreThanTheFileHolds) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    TempDir dir;
    const auto file = dir / "claims.avi";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", IndexedColours(10, 1), "-c:v", "mjpeg"}, file));
    // The main header's frame count and the stream header's length both say 2^31 frames
    // (little-endian bytes 00 00 00 80).
    Patch(file, "avih", 8 + 16, {0x80});
    Patch(file, "strh", 8 + 32, {0x80});
    ASSERT_GT(ProbeFormat(file, "duration"), 1e6) << "the header is taken at its word";
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    EXPECT_NEAR(movie.GetTotalSamples(), 600, 60);
    EXPECT_NEAR(movie.ComputeAverageFrameRate(), 10, 1);
    CBK_Image image;
    ASSERT_TRUE(movie.GetRgbFrameImage(590, image, nullptr, 24));
    EXPECT_EQ(IndexOfColour(image.GetDataAt(32, 24)), 9);
}

TEST(RealWorldDurations, AWholeSoundIsHeldOnceBesideTheCallersCopy) {
    STRAVEL_REQUIRE(AllocationMeter::Available(),
                    "allocations are counted only under AddressSanitizer");
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto file = dir / "long.wav";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=f=300:r=48000:d=20", "-ac", "2"}, file));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    uint32_t size = 0;
    std::size_t peak = 0, held = 0;
    {
        AllocationMeter meter;
        std::unique_ptr<uint8_t[]> whole(movie.GetAudioSamples(0, 0, size, nullptr));
        ASSERT_TRUE(whole);
        peak = meter.Peak();
        held = meter.Held();
    }
    ASSERT_EQ(size, 20u * 48000 * 4);
    EXPECT_LT(peak, size * 5 / 2);
    // The caller's copy, and a second of the sound for a request that starts a little earlier.
    EXPECT_LT(held, size + size / 8);
}

TEST(RealWorldTimeline, PlayingKeepsItsTimeAcrossAChangeOfScale) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto file = dir / "s.wav";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=r=8000:d=10"}, file));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(movie.Play(true));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int32_t before = movie.GetTimeValue();
    movie.SetTimeScale(1000);
    const int32_t after = movie.GetTimeValue();
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_GE(before, 300 * 0.85);
    EXPECT_GE(after, before * 1000 / 600 * 0.85);
    EXPECT_LE(after, elapsed * 1000 * 1.15);
}

TEST(RealWorldFrames, AFileThatGoesAwayIsAnsweredByFalse) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    // Seeking back in a transport stream lands late, so the start is read from the file again.
    const auto file = dir / "gone.ts";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", IndexedColours(20, 2), "-c:v", "libx264", "-g", "20",
                      "-pix_fmt", "yuv420p"},
                     file));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    CBK_Image image;
    ASSERT_TRUE(movie.GetRgbFrameImage(900, image, nullptr, 24));
    std::filesystem::remove(file);
    for (uint32_t t : {0u, 30u, 0u})
        EXPECT_FALSE(movie.GetRgbFrameImage(t, image, nullptr, 24));
}
