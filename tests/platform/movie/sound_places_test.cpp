// What finding a sound's samples reads of its file: the end that a container states, without
// its packets; and a jump, near its place only.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/movie/movie.h"
#include "tests/platform/movie/sound_oracle.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"

using stravel::testing::Make;
using stravel::testing::TempDir;

using namespace soundtest;

TEST(SoundPlaces, AStatedLengthNeedsNoWholeDecoding) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    STRAVEL_REQUIRE(BytesRead() >= 0, "the kernel keeps no count of the bytes read");
    TempDir dir;
    // Files of some megabytes, of which opening reads a few seconds: the length must come from
    // their ends, not their packets.
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int rate;
    };
    const std::string noise = "anoisesrc=r=44100:a=0.5:d=";
    const Case cases[] = {
        {"opus.opus", {"-i", noise + "40", "-ac", "2", "-c:a", "libopus", "-b:a", "400k"}, 48000},
        {"vorbis.ogg", {"-i", noise + "30", "-ac", "2", "-c:a", "libvorbis", "-q:a", "10"}, 44100},
        {"flac.flac", {"-i", noise + "40", "-ac", "2", "-c:a", "flac"}, 44100},
        {"alac.caf", {"-i", noise + "40", "-ac", "2", "-c:a", "alac"}, 44100},
        {"alac.m4a", {"-i", noise + "40", "-ac", "2", "-c:a", "alac"}, 44100},
        {"aac.m4a", {"-i", noise + "40", "-ac", "2", "-c:a", "aac", "-b:a", "256k"}, 44100}};
    for (const Case& c : cases) {
        const auto file = dir / c.name;
        std::vector<std::string> args = {"-f", "lavfi"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_TRUE(Make(args, file)) << c.name;
        const int64_t decoded = DecodedSamples(file);
        const int64_t before = BytesRead();
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << c.name;
        movie->SetTimeScale(c.rate);
        EXPECT_EQ(movie->GetDuration(), decoded) << c.name;
        EXPECT_LT(BytesRead() - before, int64_t(std::filesystem::file_size(file) / 2)) << c.name;
    }
}

TEST(SoundPlaces, AFarJumpDecodesNoMoreThanItsPlace) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    // An hour of MP3, which takes over three seconds of processor time to decode whole; the
    // jump, with the opening's count of its packets, under a second, and twice that where the
    // machine is busy with other tests.
    const auto minute = dir / "minute.mp3", hour = dir / "hour.mp3";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=f=440:r=44100:d=60", "-ac", "2", "-c:a",
                      "libmp3lame", "-b:a", "128k"},
                     minute));
    ASSERT_TRUE(Make({"-stream_loop", "59", "-i", minute.string(), "-c", "copy"}, hour));
    EXPECT_TRUE(stravel::testing::FinishesWithin(2, 256 << 20, [&] {
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(hour.string());
        std::vector<uint8_t> pcm;
        tbx::PcmForm form;
        bool read = movie && movie->SetPcmForm(form) && movie->ReadPcm(3599 * 600, 300, pcm);
        // A change of rate near the end, as a player makes it.
        form.rate = 22050;
        read = read && movie->SetPcmForm(form) && movie->ReadPcm(3590 * 600, 300, pcm);
        return read && pcm.size() == (22050 + 11025) * 4;
    }));
}

TEST(SoundPlaces, AJumpReadsNearItsPlace) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE(BytesRead() >= 0, "the kernel keeps no count of the bytes read");
    TempDir dir;
    // Ten minutes of a tone, alone or beside a small picture, copied together from one. Reads
    // a third in, near the end, back, and after a change of rate each read near their place,
    // not from the start. A movie's sound learns where its packets lie as reads need it: the
    // first jump may read the file as far as its place and the next on to the end, as a
    // decoding from the start would (with a context's opening, which reads an AVI index whole).
    const struct {
        const char* name;
        std::vector<std::string> codecs;
        bool movie = false;
    } cases[] = {{"pcm.wav", {"-ac", "1", "-ar", "8000", "-c:a", "pcm_s16le"}},
                 {"alac.caf", {"-c:a", "alac"}},
                 {"aac.m4a", {"-c:a", "aac", "-b:a", "64k"}},
                 {"opus.mka", {"-ar", "48000", "-c:a", "libopus", "-b:a", "48k"}},
                 {"vorbis.webm", {"-c:a", "libvorbis"}},
                 {"wma.asf", {"-c:a", "wmav2", "-b:a", "64k"}},
                 {"mp2.mp2", {"-c:a", "mp2", "-b:a", "64k"}},
                 {"mp2.mpg", {"-c:a", "mp2", "-b:a", "64k"}},
                 {"ac3.ac3", {"-c:a", "ac3", "-b:a", "64k"}},
                 {"eac3.eac3", {"-ar", "48000", "-c:a", "eac3", "-b:a", "64k"}},
                 {"movie.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-b:a", "64k"}, true},
                 {"movie.mkv", {"-c:v", "mpeg4", "-c:a", "aac", "-b:a", "64k"}, true},
                 {"movie.ts", {"-c:v", "mpeg2video", "-c:a", "mp2"}, true},
                 {"movie.flv", {"-c:v", "flv1", "-c:a", "libmp3lame"}, true},
                 {"movie.asf", {"-c:v", "wmv2", "-c:a", "wmav2"}, true},
                 {"movie.webm", {"-c:v", "libvpx", "-c:a", "libvorbis"}, true}};
    for (const auto& c : cases) {
        // Matroska holds every pair of codecs, and its copies keep their times in any container.
        const auto minute = dir / (std::string(c.name) + ".mkv"), file = dir / c.name;
        std::vector<std::string> args = {"-f", "lavfi", "-i", "sine=f=440:r=44100:d=60"};
        if (c.movie)
            args.insert(args.end(), {"-f", "lavfi", "-i", "testsrc=s=32x24:r=2:d=60", "-ac", "2"});
        args.insert(args.end(), c.codecs.begin(), c.codecs.end());
        ASSERT_TRUE(Make(args, minute)) << c.name;
        ASSERT_TRUE(Make({"-stream_loop", "9", "-i", minute.string(), "-c", "copy"}, file))
            << c.name;
        const int64_t size = int64_t(std::filesystem::file_size(file));
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << c.name;
        ASSERT_GT(movie->GetDuration(), 599 * 600) << c.name;
        tbx::PcmForm form;
        std::vector<uint8_t> pcm;
        auto read = [&](int64_t seconds) {
            const int64_t before = BytesRead();
            EXPECT_TRUE(movie->SetPcmForm(form) && movie->ReadPcm(int32_t(seconds * 600), 300, pcm))
                << c.name << " at " << seconds;
            return BytesRead() - before;
        };
        EXPECT_LT(read(200), size * (c.movie ? 6 : 1) / 10) << c.name << ": a third in";
        EXPECT_LT(read(598), size * (c.movie ? 9 : 1) / 10) << c.name << ": near the end";
        EXPECT_LT(read(100), size / 10) << c.name << ": back";
        form.rate = 22050;
        EXPECT_LT(read(450), size / 10) << c.name << ": after a change of rate";
    }
}
