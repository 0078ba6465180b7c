#include "media/movie/quicktime_movie.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "media/image/image.h"
#include "tests/media/media_test_support.h"
#include "tests/media/movie/movie_media.h"
#include "tests/platform/movie/damaged_media.h"
#include "ui/dialogs/progress_dialog.h"

using namespace movietest;
using mediatest::PathOf;
using stravel::testing::ReadFileBytes;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

TEST(QuicktimeMovieFrames, LastFrameAtOrBeforeEachTime) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    TempDir dir;
    const auto intra = dir / "intra.mov", longGop = dir / "gop.mp4", vfr = dir / "vfr.mkv";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", IndexedColours(25, 3), "-c:v", "mjpeg"}, intra));
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", IndexedColours(25, 6), "-c:v", "libx264", "-g", "100",
                      "-bf", "2", "-pix_fmt", "yuv420p"},
                     longGop));
    ASSERT_TRUE(Make({"-f", "lavfi", "-i",
                      IndexedColours(25, 3) + ",setpts='(N*0.04+0.025*eq(mod(N,3),0))/TB'",
                      "-fps_mode", "vfr", "-c:v", "libx264", "-g", "30", "-pix_fmt", "yuv420p"},
                     vfr));
    ExpectFrameExact(intra);
    ExpectFrameExact(longGop);
    ExpectFrameExact(vfr);
}

// Recordings whose times restart: two transport streams joined end to end as `cat` joins them
// (in one, the second's clock runs 100 s ahead), and an FLV whose tags from the middle on start
// again at 0, as a recorder resuming after a dropped connection writes them. The movie lasts as
// long as all its parts, each continuing where the one before ended, as ffmpeg's own timeline
// does. (A joined VOB reads as they do, but ffmpeg's timeline of it jumps ahead a second into
// its second part, where its parser hands the first part's last sound frame over late.)
TEST(QuicktimeMovieFrames, RecordingsWhoseTimesRestartGoOnWhereTheLastPartEnded) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    // Five seconds of pictures from colour `first` on beside a tone, in a container.
    auto part = [&](const std::string& name, int first, std::vector<std::string> codecs) {
        std::vector<std::string> args = {"-f", "lavfi", "-i", IndexedColours(25, 5, "64x48", first),
                                         "-f", "lavfi", "-i", "sine=f=300:r=48000:d=5"};
        args.insert(args.end(), codecs.begin(), codecs.end());
        EXPECT_TRUE(Make(args, dir / name));
        return ReadFileBytes(dir / name);
    };
    const std::vector<std::string> ts = {"-c:v", "mpeg2video", "-q:v", "2", "-c:a", "mp2"};
    std::vector<std::string> ahead = ts;
    ahead.insert(ahead.end(), {"-output_ts_offset", "100"});
    const struct {
        const char* name;
        std::string bytes;
    } joined[] = {{"joined.ts", part("a.ts", 0, ts) + part("b.ts", 125, ts)},
                  {"ahead.ts", part("c.ts", 0, ts) + part("d.ts", 125, ahead)}};
    for (const auto& j : joined) {
        WriteFileBytes(dir / j.name, j.bytes);
        ExpectFrameExact(dir / j.name);
    }
    const auto flv = dir / "restarting.flv";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", IndexedColours(25, 10), "-f", "lavfi", "-i",
                      "sine=f=300:r=44100:d=10", "-c:v", "flv1", "-q:v", "2", "-c:a", "libmp3lame"},
                     flv));
    std::string bytes = ReadFileBytes(flv);
    ASSERT_TRUE(soundtest::RestartFlvTimes(bytes));
    WriteFileBytes(flv, bytes);
    ExpectFrameExact(flv);
}

// Program streams, a VOB's and an MPEG-2 one, with B-pictures, of one recording and of two joined
// as `cat` joins them: after a seek their reader estimates the times of pictures whose packets
// carry none other than a read in order does, until it has read on a while. A jump, either way,
// shows the picture that a read in order shows at its time, within a picture.
TEST(QuicktimeMovieFrames, ProgramStreamsWithBPicturesJumpWhereTheyReadInOrder) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    for (const std::string muxer : {"vob", "mpeg"}) {
        auto part = [&](const std::string& name, int first) {
            EXPECT_TRUE(Make({"-f",   "lavfi",
                              "-i",   IndexedColours(25, 4, "64x48", first),
                              "-f",   "lavfi",
                              "-i",   "sine=f=300:r=48000:d=4",
                              "-c:v", "mpeg2video",
                              "-q:v", "4",
                              "-g",   "15",
                              "-bf",  "2",
                              "-c:a", muxer == "vob" ? "ac3" : "mp2",
                              "-f",   muxer},
                             dir / name));
            return ReadFileBytes(dir / name);
        };
        const std::string one = part("one", 0);
        for (const std::string& bytes : {one, one + part("two", 100)}) {
            const auto file = dir / ("gop." + muxer);
            WriteFileBytes(file, bytes);
            CBK_QuicktimeMovie movie;
            ASSERT_TRUE(OpenMade(movie, file));
            const int64_t duration = movie.GetTotalSamples();
            CBK_Image image;
            auto shown = [&](int64_t t) {
                return movie.GetRgbFrameImage(uint32_t(t), image, nullptr, 24)
                           ? IndexOfColour(image.GetDataAt(32, 24))
                           : -1;
            };
            std::vector<int> inOrder;
            for (int64_t t = 0; t < duration; t += 12) // twice a picture
                inOrder.push_back(shown(t));
            std::mt19937 random(8);
            for (int i = 0; i < 60; ++i) {
                const std::size_t k = random() % inOrder.size();
                EXPECT_LE(std::abs(shown(int64_t(k) * 12) - inOrder[k]), 1)
                    << file << " of " << bytes.size() << " bytes at " << k * 12 << "/600";
            }
        }
    }
}

TEST(QuicktimeMovieFrames, RandomOrderMatchesSequentialAndFfmpeg) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto clip = dir / "clip.mp4";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "testsrc2=s=90x62:r=25:d=4", "-c:v", "libx264", "-g",
                      "40", "-pix_fmt", "yuv420p"},
                     clip));
    // ffmpeg's own frames as RGB.
    const std::string frames = RunTool({"ffmpeg", "-v", "error", "-i", clip.string(), "-f",
                                        "rawvideo", "-pix_fmt", "rgb24", "-"})
                                   .out;
    // A width that is no multiple of 16 takes the scaler's padded path.
    const std::size_t frameBytes = 90 * 62 * 3;
    ASSERT_EQ(frames.size(), 100 * frameBytes);
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, clip));
    std::mt19937 rng(7);
    CBK_Image image;
    for (int i = 0; i < 40; ++i) {
        const int frame = int(rng() % 100);
        ASSERT_TRUE(movie.GetRgbFrameImage(uint32_t(frame * 24 + 5), image, nullptr, 24));
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(image.GetData()), image.GetSize()),
                  frames.substr(frame * frameBytes, frameBytes))
            << "frame " << frame;
    }
}

TEST(QuicktimeMovieFrames, CropAndBufferForms) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto clip = dir / "c.mov";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=1", "-c:v", "mjpeg"}, clip));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, clip));
    EXPECT_EQ(movie.GetRgbFrameImage(0, nullptr, nullptr, nullptr, 24), 320u * 240 * 3);
    EXPECT_EQ(movie.GetRgbaFrameImage(0, nullptr, nullptr), 320u * 240 * 4);

    CBK_Image full, rgba, cropped;
    ASSERT_TRUE(movie.GetRgbFrameImage(300, full, nullptr, 24));
    ASSERT_TRUE(movie.GetRgbFrameImage(300, rgba, nullptr, 32));
    tbx::Rect crop{10, 20, 110, 220};
    ASSERT_TRUE(movie.GetRgbFrameImage(300, cropped, &crop, 24));
    ASSERT_EQ(cropped.GetWidth(), 200);
    ASSERT_EQ(cropped.GetHeight(), 100);
    for (int y = 0; y < 100; ++y)
        ASSERT_EQ(0, std::memcmp(cropped.GetDataAt(0, y), full.GetDataAt(20, y + 10), 600));
    // The RGBA form takes only the rectangle's size, from the top-left corner.
    std::vector<uint8_t> corner(200 * 100 * 4);
    ASSERT_EQ(movie.GetRgbaFrameImage(300, corner.data(), &crop), corner.size());
    for (int y = 0; y < 100; y += 33)
        ASSERT_EQ(0, std::memcmp(corner.data() + y * 800, rgba.GetDataAt(0, y), 800));
    EXPECT_EQ(rgba.GetDataAt(5, 5)[3], 255);

    // Pixels twice as wide as tall make a frame twice as wide.
    const auto wide = dir / "wide.mov";
    ASSERT_TRUE(
        Make({"-f", "lavfi", "-i", "testsrc=s=32x24:r=5:d=1", "-vf", "setsar=2/1", "-c:v", "mjpeg"},
             wide));
    CBK_QuicktimeMovie anamorphic;
    ASSERT_TRUE(OpenMade(anamorphic, wide));
    int32_t width = 0, height = 0;
    anamorphic.GetSize(width, height);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 24);
    CBK_Image stretched;
    ASSERT_TRUE(anamorphic.GetRgbFrameImage(0, stretched, nullptr, 24));
    EXPECT_EQ(stretched.GetWidth(), 64);

    // Rectangles from a project file are held to the frame.
    tbx::Rect outside{300, 400, 400, 500};
    EXPECT_FALSE(movie.GetRgbFrameImage(300, cropped, &outside, 24));
    tbx::Rect over{-10, 300, 50, 400};
    ASSERT_TRUE(movie.GetRgbFrameImage(300, cropped, &over, 24));
    EXPECT_EQ(cropped.GetWidth(), 20);
    EXPECT_EQ(cropped.GetHeight(), 50);
    tbx::Rect huge{0, 0, 1000, 1000};
    EXPECT_EQ(movie.GetRgbaFrameImage(300, nullptr, &huge), 320u * 240 * 4);

    // A scaled copy of a source rectangle; alpha is opaque.
    tbx::Rect out{0, 0, 50, 100}, source{0, 0, 100, 200};
    std::vector<uint8_t> scaled(100 * 50 * 3), alpha(100 * 50);
    ASSERT_EQ(movie.GetRgbFrameImage(300, scaled.data(), &out, &source, 24), scaled.size());
    // The 32-bit path converts colours on its own: within a step or two of the 24-bit one.
    auto near = [](const uint8_t* a, const uint8_t* b) {
        return std::abs(a[0] - b[0]) <= 3 && std::abs(a[1] - b[1]) <= 3 &&
               std::abs(a[2] - b[2]) <= 3;
    };
    EXPECT_TRUE(near(scaled.data(), full.GetDataAt(0, 0)));
    EXPECT_TRUE(near(scaled.data() + 3 * (10 * 100 + 10), full.GetDataAt(20, 20)));
    EXPECT_TRUE(near(scaled.data() + 3 * (40 * 100 + 70), full.GetDataAt(140, 80)));
    ASSERT_EQ(movie.GetAlphaFrameImage(300, alpha.data(), &out, &source), alpha.size());
    EXPECT_EQ(std::count(alpha.begin(), alpha.end(), 255), long(alpha.size()));
}

TEST(QuicktimeMovieFrames, StillPictureIsOneFrameMovie) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto picture = dir / "p%d.png"; // a sequence pattern must not be followed
    ASSERT_TRUE(
        Make({"-f", "lavfi", "-i", "testsrc=s=40x30", "-frames:v", "1", "-update", "1"}, picture));
    const std::string pixels =
        RunTool({"ffmpeg", "-v", "error", "-pattern_type", "none", "-i", picture.string(), "-f",
                 "rawvideo", "-pix_fmt", "rgb24", "-"})
            .out;
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, picture));
    EXPECT_TRUE(movie.HasVideo());
    EXPECT_FALSE(movie.HasAudio());
    EXPECT_GT(movie.GetTotalSamples(), 0);
    EXPECT_EQ(movie.ComputeAverageFrameRate(), 0.0);
    CBK_Image image;
    for (uint32_t t : {0u, 100000u, 0u}) {
        ASSERT_TRUE(movie.GetRgbFrameImage(t, image, nullptr, 24));
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(image.GetData()), image.GetSize()),
                  pixels);
    }
}

TEST(QuicktimeMovieSound, SequentialRangesTileExactly) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto wav = dir / "s.wav";
    ASSERT_TRUE(
        Make({"-f", "lavfi", "-i", "aevalsrc='sin(440*2*PI*t)|0.5*sin(650*2*PI*t)':s=44100:d=7.3",
              "-c:a", "pcm_s16le"},
             wav));
    const std::string reference =
        RunTool({"ffmpeg", "-v", "error", "-i", wav.string(), "-f", "s16le", "-"}).out;
    ASSERT_EQ(reference.size(), 321930u * 4);

    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, wav));
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
    form.m_nFormat = tbx::kSoundFormatSowt;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    const uint32_t total = uint32_t(movie.GetTotalSamples());
    uint32_t bytes = 0, next = 0;
    std::unique_ptr<uint8_t[]> whole(movie.GetAudioSamples(0, 0, bytes, &next));
    ASSERT_TRUE(whole);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(whole.get()), bytes), reference);
    EXPECT_EQ(next, total);

    std::mt19937 rng(3);
    std::string joined;
    uint32_t at = 0;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t length =
            i == 999 ? total - at : std::min<uint32_t>(total - at, rng() % (2 * total / 1000));
        std::unique_ptr<uint8_t[]> piece(movie.GetAudioSamples(at, int32_t(length), bytes, &next));
        if (length == 0 && i < 999)
            continue; // a zero duration means "to the end"
        ASSERT_TRUE(piece);
        joined.append(reinterpret_cast<char*>(piece.get()), bytes);
        ASSERT_EQ(next, at + length);
        at = next;
    }
    EXPECT_EQ(joined, reference);

    // 22050 Hz mono: exactly floor(duration × 22050) samples.
    form.m_dRate = 22050;
    form.m_nChannels = 1;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    std::unique_ptr<uint8_t[]> mono(movie.GetAudioSamples(0, 0, bytes, nullptr));
    ASSERT_TRUE(mono);
    EXPECT_EQ(bytes, 321930ull * 22050 / 44100 * 2);
}

TEST(QuicktimeMovieSound, RangeEdges) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto wav = dir / "s.wav";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=f=300:r=8000:d=5", "-c:a", "pcm_s16le"}, wav));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, wav));
    uint32_t bytes = 0, next = 77;
    EXPECT_EQ(movie.GetAudioSamples(0, 600, bytes, &next), nullptr) << "no form set yet";
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    ASSERT_EQ(movie.GetTotalSamples(), 3000);
    // Durations are kept exactly and given in whatever scale is asked for.
    movie.SetTimeScale(8000);
    EXPECT_EQ(movie.GetTotalSamples(), 40000);
    movie.SetTimeScale(7);
    EXPECT_EQ(movie.GetTotalSamples(), 35);
    movie.SetTimeScale(600);
    EXPECT_EQ(movie.GetAudioSamples(3001, 600, bytes, &next), nullptr);
    EXPECT_EQ(next, 77u);
    std::unique_ptr<uint8_t[]> two(movie.GetAudioSamples(600, 1200, bytes, &next));
    EXPECT_EQ(next, 1800u);
    EXPECT_EQ(bytes, 16000u * 2);
    // Duration 0 from a start: the rest of the sound, not the whole length again.
    std::unique_ptr<uint8_t[]> rest(movie.GetAudioSamples(2400, 0, bytes, &next));
    EXPECT_EQ(bytes, 8000u * 2);
    EXPECT_EQ(next, 3000u);
    std::unique_ptr<uint8_t[]> end(movie.GetAudioSamples(600, bytes, false));
    ASSERT_TRUE(end);
    EXPECT_EQ(bytes, 0u);
    // 8-bit samples are signed: a sine is centred on 0.
    form.m_nBits = 8;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    std::unique_ptr<uint8_t[]> eight(movie.GetAudioSamples(0, 600, bytes, nullptr));
    ASSERT_EQ(bytes, 8000u);
    long sum = 0;
    for (uint32_t i = 0; i < bytes; ++i)
        sum += int8_t(eight[i]);
    EXPECT_LT(std::abs(sum / long(bytes)), 3);
}

TEST(QuicktimeMovieSound, ExportSoundWritesAiffAndCancelLeavesNothing) {
    STRAVEL_REQUIRE_TOOL("soxi");
    TempDir dir;
    const auto wav = dir / "s.wav", aiff = dir / "out.aiff";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=f=300:r=22050:d=3", "-ac", "2"}, wav));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, wav));
    CBK_Path out = PathOf(aiff);
    ASSERT_TRUE(movie.ExportSound(out, tbx::FourCC("AIFF"), 2000, nullptr));
    auto info = [&](const char* flag) { return RunTool({"soxi", flag, aiff.string()}).out; };
    EXPECT_EQ(info("-r"), "22050\n");
    EXPECT_EQ(info("-c"), "2\n");
    EXPECT_EQ(info("-b"), "16\n");
    EXPECT_EQ(info("-s"), "44100\n");
    // The source keeps its whole length.
    EXPECT_EQ(movie.GetTotalSamples(), 1800);

    // A cancelled export leaves no new file and an existing one as it was.
    CBK_ProgressDialog dialog;
    dialog.Cancel();
    const std::string before = ReadFileBytes(aiff);
    EXPECT_FALSE(movie.ExportSound(out, tbx::FourCC("AIFF"), 0, &dialog));
    EXPECT_EQ(ReadFileBytes(aiff), before);
    CBK_Path fresh = PathOf(dir / "fresh.aiff");
    EXPECT_FALSE(movie.ExportSound(fresh, tbx::FourCC("AIFF"), 0, &dialog));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(QuicktimeMovieSound, ExportSoundToWaveAndMuLawPassesSoxi) {
    STRAVEL_REQUIRE_TOOL("soxi");
    TempDir dir;
    const auto source = dir / "s.mov";
    ASSERT_TRUE(Make(
        {"-f", "lavfi", "-i", "sine=f=440:r=16000:d=2", "-ac", "2", "-c:a", "pcm_s16be"}, source));
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, source));
    const struct {
        tbx::OSType type;
        const char* name;
        const char* soxType;
        const char* encoding;
        const char* bits;
    } cases[] = {{tbx::FourCC("WAVE"), "out.wav", "wav", "Signed Integer PCM", "16"},
                 {tbx::FourCC("ULAW"), "out.au", "au", "u-law", "8"}};
    for (const auto& c : cases) {
        const auto file = dir / c.name;
        CBK_Path path = PathOf(file);
        ASSERT_TRUE(movie.ExportSound(path, c.type, 1500, nullptr));
        auto info = [&](const char* flag) { return RunTool({"soxi", flag, file.string()}).out; };
        EXPECT_EQ(info("-t"), std::string(c.soxType) + "\n");
        EXPECT_EQ(info("-e"), std::string(c.encoding) + "\n");
        EXPECT_EQ(info("-b"), std::string(c.bits) + "\n");
        EXPECT_EQ(info("-r"), "16000\n");
        EXPECT_EQ(info("-c"), "2\n");
        EXPECT_EQ(info("-s"), "24000\n");
    }
    // The samples are the track's own.
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
    form.m_nFormat = tbx::kSoundFormatSowt;
    ASSERT_TRUE(movie.SetSoundExportDescription(form));
    uint32_t bytes = 0;
    std::unique_ptr<uint8_t[]> pcm(movie.GetAudioSamples(0, 900, bytes, nullptr));
    const std::string wave = RunTool({"sox", (dir / "out.wav").string(), "-t", "s16", "-"}).out;
    EXPECT_TRUE(pcm && wave == std::string(reinterpret_cast<char*>(pcm.get()), bytes));
}

TEST(QuicktimeMoviePictures, PictAndPhotoshopFilesAreOneFrameMovies) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    // Many colours (stored as direct pixels) and few (stored with a colour table).
    const std::pair<const char*, const char*> pictures[] = {{"gradient:red-blue", "gradient"},
                                                            {"pattern:checkerboard", "checks"}};
    for (const auto& [pattern, name] : pictures)
        for (const char* type : {"pict", "psd"}) {
            const auto file = dir / (std::string(name) + "." + type);
            ASSERT_EQ(RunTool({"convert", "-size", "37x23", pattern, "-depth", "8", file.string()})
                          .exitCode,
                      0);
            SCOPED_TRACE(file.filename());
            CBK_QuicktimeMovie movie;
            ASSERT_TRUE(OpenMade(movie, file));
            int32_t width = 0, height = 0;
            movie.GetSize(width, height);
            EXPECT_EQ(width, 37);
            EXPECT_EQ(height, 23);
            EXPECT_TRUE(movie.HasVideo());
            EXPECT_FALSE(movie.HasAudio());
            EXPECT_EQ(movie.GetTotalSamples(), 600) << "a still lasts a second";
            const std::string expected =
                RunTool({"convert", file.string() + "[0]", "-depth", "8", "rgb:-"}).out;
            ASSERT_EQ(expected.size(), 37u * 23 * 3);
            for (uint32_t time : {0u, 599u}) {
                CBK_Image frame;
                ASSERT_TRUE(movie.GetRgbFrameImage(time, frame, nullptr, 24));
                EXPECT_TRUE(expected == std::string(reinterpret_cast<const char*>(frame.GetData()),
                                                    expected.size()));
            }
        }
}

TEST(QuicktimeMovieText, DurationStringsAndEmptyMovie) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    CBK_QuicktimeMovie movie;
    wchar_t text[32];
    ASSERT_TRUE(movie.GetDurationString(text));
    EXPECT_STREQ(text, L"00:00:00.00");
    EXPECT_FALSE(movie.GetSoundCodecString(text));
    EXPECT_STREQ(text, L"N/A");
    EXPECT_EQ(movie.ComputeAverageFrameRate(), 0.0);
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"61.5", L"00:01:01.50"}, {"0.45", L"00:00:00.45"}, {"0.996", L"00:00:01.00"}};
    for (const auto& [seconds, expected] : cases) {
        const auto wav = dir / (std::string(seconds) + ".wav");
        ASSERT_TRUE(Make({"-f", "lavfi", "-i", std::string("anullsrc=r=8000:cl=mono"), "-t",
                          seconds, "-c:a", "pcm_s16le"},
                         wav));
        ASSERT_TRUE(OpenMade(movie, wav));
        ASSERT_TRUE(movie.GetDurationString(text));
        EXPECT_STREQ(text, expected);
        EXPECT_FALSE(movie.HasVideo());
        EXPECT_TRUE(movie.GetSoundCodecString(text));
        EXPECT_STREQ(text, L"PCM signed 16-bit little-endian");
    }
}
