// Where a sound's samples come from: the end that a container states, and reads at any place and
// rate, each held to what ffmpeg decodes of the same file.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/movie/movie.h"
#include "tests/platform/movie/sound_oracle.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"

using stravel::testing::Make;
using stravel::testing::RunTool;
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

TEST(SoundPlaces, ReadsAnywhereAndAtAnyRateAreTheWholeSoundsSamples) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const std::string tone = "aevalsrc=0.5*sin(440*2*PI*t)|0.4*sin(550*2*PI*t+t*t/50):s=44100:d=";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int rate;
    };
    const Case cases[] = {{"mp3.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100},
                          {"opus.opus", {"-ar", "48000", "-c:a", "libopus", "-b:a", "64k"}, 48000},
                          {"vorbis.ogg", {"-c:a", "libvorbis"}, 44100},
                          {"flac.flac", {"-c:a", "flac"}, 44100},
                          {"alac.m4a", {"-c:a", "alac"}, 44100},
                          {"aiff.aiff", {"-c:a", "pcm_s24be"}, 44100},
                          {"aac.m4a", {"-c:a", "aac", "-aac_pns", "0"}, 44100}};
    // Milliseconds and lengths, back and forth; a rate (0: the sound's own) changes the form,
    // on from where the last read ended or with a jump.
    struct Step {
        int rate;
        int32_t at, length;
    };
    const Step steps[] = {{0, 27000, 500},     {0, 11000, 500},    {0, 39000, 1000},
                          {0, 20000, 700},     {0, 20500, 300},    {22050, 20800, 500},
                          {88200, 21300, 300}, {0, 21600, 400},    {22050, 12000, 500},
                          {7919, 33000, 400},  {7919, 33400, 300}, {0, 33700, 300}};
    for (const Case& c : cases) {
        const auto file = dir / c.name;
        std::vector<std::string> args = {"-f", "lavfi", "-i", tone + "40"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_TRUE(Make(args, file)) << c.name;
        std::map<int, std::string> whole;
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << c.name;
        movie->SetTimeScale(1000);
        for (const Step& step : steps) {
            tbx::PcmForm form;
            form.rate = step.rate;
            ASSERT_TRUE(movie->SetPcmForm(form));
            const int64_t rate = step.rate ? step.rate : c.rate;
            if (!whole.count(step.rate))
                whole[step.rate] = Converted(file, step.rate, 2);
            std::vector<uint8_t> pcm;
            ASSERT_TRUE(movie->ReadPcm(step.at, step.length, pcm));
            const std::size_t first = std::size_t(step.at * rate / 1000) * 4;
            const std::size_t end = std::size_t((step.at + step.length) * rate / 1000) * 4;
            EXPECT_TRUE(std::string(pcm.begin(), pcm.end()) ==
                        whole[step.rate].substr(first, end - first))
                << c.name << " at " << step.at << " ms, " << rate << " Hz";
        }
    }
}

TEST(SoundPlaces, AFarJumpDecodesNoMoreThanItsPlace) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    // An hour of MP3, which takes some seconds to decode whole.
    const auto minute = dir / "minute.mp3", hour = dir / "hour.mp3";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=f=440:r=44100:d=60", "-ac", "2", "-c:a",
                      "libmp3lame", "-b:a", "128k"},
                     minute));
    ASSERT_TRUE(Make({"-stream_loop", "59", "-i", minute.string(), "-c", "copy"}, hour));
    EXPECT_TRUE(stravel::testing::FinishesWithin(1, 256 << 20, [&] {
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

TEST(SoundPlaces, AJumpReadsOnlyNearItsPlace) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE(BytesRead() >= 0, "the kernel keeps no count of the bytes read");
    TempDir dir;
    // Ten minutes of each, copied together from one minute: a read near the end, and one after
    // a change of rate, must each read near their place, not from the start.
    const struct {
        const char* name;
        std::vector<std::string> codec;
    } cases[] = {{"pcm.wav", {"-ac", "1", "-ar", "8000"}},
                 {"alac.caf", {"-c:a", "alac"}},
                 {"aac.m4a", {"-c:a", "aac", "-b:a", "64k"}},
                 {"opus.mka", {"-ar", "48000", "-c:a", "libopus", "-b:a", "48k"}},
                 {"vorbis.webm", {"-c:a", "libvorbis"}},
                 {"wma.asf", {"-c:a", "wmav2", "-b:a", "64k"}},
                 {"mp2.mp2", {"-c:a", "mp2", "-b:a", "64k"}},
                 {"mp2.mpg", {"-c:a", "mp2", "-b:a", "64k", "-f", "mpeg"}},
                 {"ac3.ac3", {"-c:a", "ac3", "-b:a", "64k"}}};
    for (const auto& c : cases) {
        const auto minute = dir / (std::string("minute-") + c.name), file = dir / c.name;
        std::vector<std::string> args = {"-f", "lavfi", "-i", "sine=f=440:r=44100:d=60"};
        args.insert(args.end(), c.codec.begin(), c.codec.end());
        ASSERT_TRUE(Make(args, minute)) << c.name;
        ASSERT_TRUE(Make({"-stream_loop", "9", "-i", minute.string(), "-c", "copy"}, file))
            << c.name;
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << c.name;
        ASSERT_GT(movie->GetDuration(), 599 * 600) << c.name;
        const int64_t before = BytesRead();
        std::vector<uint8_t> pcm;
        tbx::PcmForm form;
        EXPECT_TRUE(movie->SetPcmForm(form) && movie->ReadPcm(598 * 600, 300, pcm)) << c.name;
        form.rate = 22050;
        EXPECT_TRUE(movie->SetPcmForm(form) && movie->ReadPcm(598 * 600 + 300, 300, pcm)) << c.name;
        EXPECT_LT(BytesRead() - before, int64_t(std::filesystem::file_size(file) / 10)) << c.name;
    }
}
