// Sound read by time range in every form, against ffmpeg's conversion of the whole file.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "media/movie/quicktime_movie.h"
#include "tests/media/movie/movie_media.h"
#include "tests/platform/movie/sound_oracle.h"

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

// A sound ends where its decoding does, and a movie goes on in silence to its own end.
TEST(SoundRanges, SoundEndsWhereDecodingDoesAndMoviesGoOnInSilence) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    auto lavfi = [](const std::string& source) {
        return std::vector<std::string>{"-f", "lavfi", "-i", source};
    };
    const auto tone = lavfi("aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=2.9");
    const auto longer = lavfi("testsrc2=s=160x120:r=15:d=3.1");
    const auto stereo = lavfi("aevalsrc=0.45*sin(2*PI*440*t)|0.35*sin(2*PI*660*t):s=44100:d=3");
    const auto same = lavfi("testsrc2=s=160x120:r=15:d=3");
    const std::vector<std::string> blocks = {"-c:v", "msvideo1", "-pix_fmt", "rgb555le", "-c:a"};
    const struct {
        const char* file;
        std::vector<std::vector<std::string>> args;
    } cases[] = {
        // Sound that ends a little before the picture does.
        {"wma.wmv", {longer, tone, {"-c:v", "wmv2", "-c:a", "wmav2"}}},
        {"pcm.mov", {longer, tone, {"-c:v", "mjpeg", "-c:a", "pcm_s16le"}}},
        // Sound in blocks beside a picture: the stream states no length, the file the picture's.
        {"ima.avi", {same, stereo, blocks, {"adpcm_ima_wav"}}},
        {"ms.avi", {same, stereo, blocks, {"adpcm_ms"}}},
        // One page, whose last packet FFmpeg gives a duration that has wrapped.
        {"page.ogg", {lavfi("sine=f=440:r=8000:d=0.93"), {"-c:a", "libvorbis"}}},
    };
    for (const auto& c : cases) {
        const auto file = dir / c.file;
        std::vector<std::string> args;
        for (const auto& part : c.args)
            args.insert(args.end(), part.begin(), part.end());
        ASSERT_TRUE(Make(args, file));
        const std::string sound = RunTool({"ffmpeg", "-v", "error", "-i", file.string(), "-vn",
                                           "-f", "s16le", "-ar", "44100", "-ac", "1", "-"})
                                      .out;
        CBK_QuicktimeMovie movie;
        ASSERT_TRUE(OpenMade(movie, file));
        CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
        form.m_dRate = 44100;
        form.m_nChannels = 1;
        form.m_nFormat = tbx::kSoundFormatSowt;
        ASSERT_TRUE(movie.SetSoundExportDescription(form));
        movie.SetTimeScale(44100);
        const uint32_t total = uint32_t(movie.GetTotalSamples());
        uint32_t bytes = 0, next = 0;
        const std::string read = Take(movie.GetAudioSamples(0, 0, bytes, nullptr), bytes);
        // The sound where ffmpeg's timeline puts it (after what only primes the decoder), silence
        // after it, to the movie's end.
        const std::string lead(
            movie.HasVideo() ? std::size_t(soundtest::FoundLead(file, read, sound, 2, 44100)) * 2
                             : 0,
            '\0');
        if (total * 2 < lead.size() + sound.size()) {
            ADD_FAILURE() << c.file << " ends before its sound does";
            continue;
        }
        if (!movie.HasVideo()) {
            EXPECT_EQ(total * 2, sound.size()) << c.file;
        }
        const std::string whole =
            lead + sound + std::string(total * 2 - sound.size() - lead.size(), '\0');
        EXPECT_TRUE(read == whole) << c.file;
        // Across the sound's end, just past it, up to and past the movie's end, and a longer
        // range after a jump back.
        const uint32_t end = uint32_t((lead.size() + sound.size()) / 2);
        const uint32_t ranges[][2] = {{end - 4000, 9000},
                                      {std::min(end + 10, total - 1), 300},
                                      {total - 5000, 9000},
                                      {end > 44100 ? end - 44100 : 0, 88200}};
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
