// Sound read by time range in every form, against ffmpeg's conversion of the whole file.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "media/movie/quicktime_movie.h"
#include "tests/media/movie/movie_media.h"

using namespace movietest;
using stravel::testing::TempDir;

namespace {

// A chirp on each channel, each at its own pitch and level, so that a sample in the wrong place
// or channel shows.
std::string Chirps(int rate, int channels, double seconds) {
    std::string expression;
    for (int c = 0; c < channels; ++c)
        expression += (c ? "|" : "") + std::to_string(0.2 + 0.1 * c) + "*sin(2*PI*" +
                      std::to_string(200 + 60 * c) + "*t+2*PI*40*t*t)";
    return "aevalsrc=" + expression + ":s=" + std::to_string(rate) +
           ":d=" + std::to_string(seconds);
}

// The samples of a sound request; `bytes` is read once the request has set it.
std::string Take(uint8_t* samples, const uint32_t& bytes) {
    std::unique_ptr<uint8_t[]> owned(samples);
    return owned ? std::string(reinterpret_cast<char*>(owned.get()), bytes) : std::string();
}

} // namespace

TEST(SoundRanges, EverySourceFormReadsInRangesAsFfmpegConvertsIt) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    struct Case {
        const char* codec; // the source's sample form
        const char* file;
        int sourceRate, sourceChannels;
        double seconds;
        int rate, channels, bits;
        bool bigEndian;
    };
    const Case cases[] = {
        {"pcm_u8", "u8.wav", 11025, 1, 3, 44100, 2, 16, false},
        {"pcm_u8", "u8.wav", 11025, 1, 3, 22050, 1, 8, false},
        {"pcm_s16le", "s16.wav", 44100, 2, 2, 22050, 1, 8, false},
        {"pcm_s16be", "s16.aiff", 8000, 1, 1.5, 48000, 6, 16, true},
        {"pcm_s24le", "s24.wav", 48000, 6, 1.5, 44100, 2, 16, true},
        {"pcm_s24le", "s24.wav", 48000, 6, 1.5, 96000, 1, 24, false},
        {"pcm_f32le", "f32.wav", 96000, 2, 1, 32000, 2, 16, false},
        {"pcm_f32le", "f32-51.wav", 22050, 6, 2, 11025, 2, 8, false},
    };
    for (const Case& c : cases) {
        const auto file = dir / c.file;
        if (!std::filesystem::exists(file)) {
            ASSERT_TRUE(Make({"-f", "lavfi", "-i",
                              Chirps(c.sourceRate, c.sourceChannels, c.seconds), "-c:a", c.codec},
                             file));
        }
        const std::string sample = c.bits == 8 ? "s8" : c.bits == 16 ? "s16" : "s24";
        const std::string format = sample + (c.bits == 8 ? "" : c.bigEndian ? "be" : "le");
        const std::string reference =
            RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-f", format, "-ar",
                     std::to_string(c.rate), "-ac", std::to_string(c.channels), "-"})
                .out;
        const std::size_t frame = std::size_t(c.channels) * c.bits / 8;
        const std::string name = std::string(c.file) + " as " + format + " " +
                                 std::to_string(c.rate) + "/" + std::to_string(c.channels);
        ASSERT_FALSE(reference.empty()) << name;

        CBK_QuicktimeMovie movie;
        ASSERT_TRUE(OpenMade(movie, file));
        CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
        form.m_dRate = c.rate;
        form.m_nChannels = c.channels;
        form.m_nBits = c.bits;
        form.m_nFormat = c.bigEndian ? tbx::kSoundFormatTwos : tbx::kSoundFormatSowt;
        ASSERT_TRUE(movie.SetSoundExportDescription(form)) << name;
        // One unit per output sample: a range is the samples it names.
        movie.SetTimeScale(c.rate);
        const uint32_t total = uint32_t(movie.GetTotalSamples());
        uint32_t bytes = 0, next = 0;
        EXPECT_TRUE(Take(movie.GetAudioSamples(0, 0, bytes, nullptr), bytes) == reference)
            << name << " as a whole";

        auto expect = [&](uint32_t at, uint32_t length, const char* order) {
            const std::string piece =
                Take(movie.GetAudioSamples(at, int32_t(length), bytes, &next), bytes);
            const std::size_t from = std::min(reference.size(), at * frame);
            EXPECT_TRUE(piece == reference.substr(from, length * frame))
                << name << ": " << length << " at " << at << " " << order;
        };
        // In order, in pieces of several lengths; then jumps forward and back.
        const uint32_t lengths[] = {uint32_t(c.rate / 4), 37, uint32_t(c.rate / 3 + 1), 4097, 1};
        for (uint32_t at = 0, i = 0; at < total; at += lengths[i++ % 5])
            expect(at, std::min(lengths[i % 5], total - at), "in order");
        const double jumps[][2] = {{1.1, 0.25}, {0.3, 0.25},  {2.0, 0.25}, {0.9, 0.5},
                                   {0.05, 0.6}, {1.35, 0.01}, {0.6, 0.2}};
        for (const auto& [when, seconds] : jumps) {
            const uint32_t at = uint32_t(std::fmod(when, c.seconds) * c.rate);
            expect(at, std::min(uint32_t(seconds * c.rate), total - at), "out of order");
        }
    }
}

TEST(SoundRanges, PastTheSoundsEndTheMovieGoesOnInSilence) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    // Sound that ends a little before the picture does.
    const std::string tone = "aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=2.9";
    const std::string picture = "testsrc2=s=160x120:r=15:d=3.1";
    struct Case {
        const char* file;
        std::vector<std::string> codecs;
    };
    const Case cases[] = {{"wma.wmv", {"-c:v", "wmv2", "-c:a", "wmav2"}},
                          {"pcm.mov", {"-c:v", "mjpeg", "-c:a", "pcm_s16le"}}};
    for (const Case& c : cases) {
        const auto file = dir / c.file;
        std::vector<std::string> args = {"-f", "lavfi", "-i", picture, "-f", "lavfi", "-i", tone};
        args.insert(args.end(), c.codecs.begin(), c.codecs.end());
        ASSERT_TRUE(Make(args, file));
        const std::string sound = RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-vn",
                                           "-f", "s16le", "-ac", "1", "-"})
                                      .out;
        CBK_QuicktimeMovie movie;
        ASSERT_TRUE(OpenMade(movie, file));
        CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
        form.m_nChannels = 1;
        form.m_nFormat = tbx::kSoundFormatSowt;
        ASSERT_TRUE(movie.SetSoundExportDescription(form));
        movie.SetTimeScale(44100);
        const uint32_t total = uint32_t(movie.GetTotalSamples());
        ASSERT_GT(total, sound.size() / 2 + 44100 / 10) << c.file;
        // The sound where ffmpeg decodes it, silence after it, to the movie's end.
        const std::string whole = sound + std::string(total * 2 - sound.size(), '\0');
        uint32_t bytes = 0, next = 0;
        EXPECT_TRUE(Take(movie.GetAudioSamples(0, 0, bytes, nullptr), bytes) == whole) << c.file;
        const uint32_t end = uint32_t(sound.size() / 2);
        // 0.3 s at 2.69 s, across the sound's end, past it, past the movie's end, and a longer
        // range after a jump back.
        const uint32_t ranges[][2] = {{118629, 13230},
                                      {end - 4000, 9000},
                                      {end + 10, 300},
                                      {total - 5000, 9000},
                                      {end - 44100, 88200}};
        for (const auto& [at, length] : ranges) {
            const std::string piece =
                Take(movie.GetAudioSamples(at, int32_t(length), bytes, &next), bytes);
            EXPECT_TRUE(piece == whole.substr(at * 2, std::size_t(length) * 2))
                << c.file << ": " << length << " at " << at;
        }
        // The sequential form runs on to the movie's end too.
        ASSERT_TRUE(Take(movie.GetAudioSamples(end - 100, 1, bytes, &next), bytes).size() == 2);
        std::string rest;
        for (int i = 0; i < 10; ++i)
            rest += Take(movie.GetAudioSamples(int32_t(44100 / 20), bytes, false), bytes);
        EXPECT_TRUE(rest == whole.substr(std::size_t(end - 99) * 2)) << c.file;
    }
}
