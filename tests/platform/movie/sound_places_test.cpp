// Where a sound's samples come from: the end that a container states, and reads at any place and
// rate, each held to what ffmpeg decodes of the same file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/movie/movie.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"

using stravel::testing::Make;
using stravel::testing::RunTool;
using stravel::testing::TempDir;

namespace {

// The samples per channel of every frame that ffmpeg decodes.
int64_t DecodedSamples(const std::filesystem::path& file) {
    std::istringstream frames(
        RunTool({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                 "frame=nb_samples", "-of", "csv=p=0", file.string()})
            .out);
    int64_t total = 0;
    for (int64_t n = 0; frames >> n;)
        total += n;
    return total;
}

// What ffmpeg makes of the whole sound as 16-bit PCM at `rate` (0: its own) and `channels`.
std::string Converted(const std::filesystem::path& file, int rate, int channels) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-i", file.string(), "-map", "0:a"};
    if (rate > 0)
        argv.insert(argv.end(), {"-ar", std::to_string(rate)});
    argv.insert(argv.end(), {"-ac", std::to_string(channels), "-f", "s16le", "-"});
    return RunTool(argv).out;
}

// Bytes that this process has read from files so far.
int64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

} // namespace

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
        {"alac.m4a", {"-i", noise + "40", "-ac", "2", "-c:a", "alac"}, 44100}};
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
                          {"aac.m4a", {"-c:a", "aac"}, 44100}};
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
