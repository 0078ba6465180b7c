// Every container and codec that the sound reader opens, alone and beside a picture, read in
// jumps and whole at its own rate and at three others, one of them prime: each jump holds the
// whole read's samples, the whole read holds ffmpeg's, and the length says how many there are.
// Times that lie are not losses; losses are silence of their length in their place; files cut
// short or damaged read at least what ffmpeg decodes of them; a jump across silence from a movie
// just opened finds the sound after it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/movie/movie.h"
#include "tests/platform/movie/damaged_media.h"
#include "tests/platform/movie/sound_oracle.h"
#include "tests/support/tools.h"

using namespace soundtest;
using stravel::testing::Make;
using stravel::testing::ReadFileBytes;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

namespace {

struct Format {
    const char* name; // its extension names the container
    std::vector<std::string> codec;
    enum Making { kEncoded, kCut, kJoined, kMovie, kJoinedMovie, kChained } making = kEncoded;
    // ffmpeg's input options for the decoding that the reader does.
    std::vector<std::string> decoding = {};
    // How the whole read stands to ffmpeg's: the same; holding it with silence where a packet
    // fails to decode, which ffmpeg leaves out; or, for a movie, the same to the end of its
    // picture, where its sound runs a little longer than its last times say (they stepped back
    // between its first and last seconds).
    // At another rate, a sound cut mid-signal ends as ffmpeg's resampler ends it, by mirroring its
    // last samples: the same but for that end (kCutMidSignal).
    enum Oracle { kSame, kHeld, kToPictureEnd, kCutMidSignal } oracle = kSame;
    // An edit of the file's bytes once made (a time that lies), and the sound's seconds.
    std::function<bool(std::string&)> damage = {};
    double seconds = 20;
    // A gain that silences the sound in places (kPause, kBursts), as TestSound takes it.
    const char* gain = nullptr;
    // A movie's picture's seconds.
    double picture = 20;
    // Options of the second recording's muxer, for movies joined from two, and of the links
    // after the first of a chain.
    std::vector<std::string> later = {};
    // The seconds of each link of a chain.
    std::vector<double> links = {};
};

// Gains that make digital silence, which codecs make runs of identical packets of: from 4 s to
// 9 s, or for 0.7 s of every second.
constexpr const char* kPause = "if(between(t,4,9),0,1)";
constexpr const char* kBursts = "if(lt(mod(t,1),0.3),1,0)";
// Where reads of a second start from a movie just opened: in the pause, just before the sound
// returns, and in the sound after it (in bursts, each in silence before a burst).
constexpr double kAroundSilence[] = {4.6, 8.55, 9.6};

// The test sound in the format; a cut one is copied without decoding from 7.3 s into a longer
// file, as an editor cuts, so that its first packets lie before its start.
void MakeFormat(const TempDir& dir, const Format& f, const std::filesystem::path& file) {
    const int rate = f.codec[1] == "libopus" ? 48000 : 44100;
    auto encode = [&](double seconds, const std::filesystem::path& to,
                      const std::vector<std::string>& before = {}, const char* gain = nullptr,
                      const std::vector<std::string>& after = {}) {
        std::vector<std::string> args = before;
        for (const std::string& a : TestSound(seconds, rate, gain ? gain : f.gain))
            args.push_back(a);
        args.insert(args.end(), f.codec.begin(), f.codec.end());
        args.insert(args.end(), after.begin(), after.end());
        ASSERT_TRUE(Make(args, to)) << f.name;
    };
    auto picture = [](double seconds) {
        return std::vector<std::string>{
            "-f",   "lavfi", "-i", "testsrc=s=160x120:r=25:d=" + std::to_string(seconds),
            "-map", "0:v"};
    };
    switch (f.making) {
    case Format::kEncoded:
        return encode(f.seconds, file);
    case Format::kMovie:
        return encode(f.seconds, file, picture(f.picture));
    case Format::kCut: {
        const auto whole = dir / (std::string("long-") + f.name);
        encode(40, whole);
        ASSERT_TRUE(Make({"-ss", "7.3", "-i", whole.string(), "-t", "20", "-c", "copy"}, file));
        return;
    }
    case Format::kJoinedMovie: {
        // Two recordings of half the length joined as `cat` joins them, each with its own times,
        // the second one's sound fainter.
        const auto first = dir / (std::string("first-") + f.name),
                   second = dir / (std::string("second-") + f.name);
        encode(f.seconds / 2, first, picture(f.picture / 2));
        encode(f.seconds / 2, second, picture(f.picture / 2), "0.5", f.later);
        WriteFileBytes(file, ReadFileBytes(first) + ReadFileBytes(second));
        return;
    }
    case Format::kChained: {
        // Ogg files joined as `cat` joins them, each link fainter than the one before.
        std::string bytes;
        for (std::size_t i = 0; i < f.links.size(); ++i) {
            const auto link = dir / (std::to_string(i) + "-" + f.name);
            encode(f.links[i], link, {}, std::to_string(1.0 / double(i + 1)).c_str(),
                   i ? f.later : std::vector<std::string>{});
            bytes += ReadFileBytes(link);
        }
        WriteFileBytes(file, bytes);
        return;
    }
    case Format::kJoined: {
        // Two files joined as `cat` joins them: the first one's header counts only its own.
        const auto first = dir / "first.mp3", second = dir / "second.mp3";
        encode(10, first);
        encode(10, second);
        WriteFileBytes(file, ReadFileBytes(first) + ReadFileBytes(second));
        return;
    }
    }
}

// The whole read of a damaged file holds ffmpeg's decoding of it: the same up to the damage and
// then, once the decoder has settled, the rest of it, later by the silence that keeps the time
// of what did not decode. Nothing that decodes is left out.
void ExpectHoldsSound(const std::string& whole, const std::string& reference, std::size_t frame,
                      const std::string& name) {
    EXPECT_GE(whole.size(), reference.size()) << name;
    std::size_t same = 0;
    while (same < std::min(whole.size(), reference.size()) && whole[same] == reference[same])
        ++same;
    same -= same % frame;
    const std::size_t settled = same + 8192 * frame;
    if (same == reference.size() || settled >= reference.size())
        return;
    const std::size_t window = std::min<std::size_t>(44100 * frame, reference.size() - settled);
    const std::size_t found = whole.find(reference.substr(settled, window), same);
    ASSERT_NE(found, std::string::npos) << name << ": ffmpeg's sound after " << same / frame;
    EXPECT_GE(found, settled) << name;
    EXPECT_EQ(whole.compare(found, reference.size() - settled, reference, settled), 0)
        << name << ": the rest of ffmpeg's sound";
}

// Forms of reading: a rate (0: the sound's own) and channels.
struct Form {
    int rate, channels;
};
const std::vector<Form> kEveryForm = {{0, 2}, {48000, 2}, {22050, 1}, {7919, 1}};
// The sound's own form and another rate, for the tables of silences and lies.
const std::vector<Form> kOwnAndResampled = {{0, 2}, {48000, 1}};

// Where the last of the pictures that ffmpeg decodes ends: a picture without a time of its own
// (the last of a program stream, given only at the end) follows the one before it.
double PicturesEnd(const std::filesystem::path& file) {
    double end = 0, last = 0;
    for (const std::vector<double>& line :
         ProbedLines(file, "frame=best_effort_timestamp_time,pkt_duration_time", "v:0")) {
        const double at = !line.empty() && !std::isnan(line[0]) ? line[0] : last;
        last = at + (line.size() > 1 && !std::isnan(line[1]) ? line[1] : 0);
        end = std::max(end, last);
    }
    return end;
}

void ExpectJumpsAsWhole(const std::filesystem::path& file, const Format& f,
                        const std::vector<Form>& forms = kEveryForm) {
    std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
    ASSERT_TRUE(movie) << f.name;
    tbx::SoundDescription own;
    ASSERT_TRUE(movie->GetSoundDescription(own)) << f.name << " has no sound";
    std::mt19937 random(7);
    // Where the picture ends on the movie's timeline: its last frame's end, or where its stream
    // says it ends where that is later; a frame past the parts' length where parts are joined.
    // The movie starts with the earliest of its streams, or where its sound's first frames put it
    // where they put it earlier (a first sound packet whose time lies ahead).
    const double picture =
        f.making == Format::kMovie
            ? std::max(PicturesEnd(file), Probed(file, "stream=start_time,duration", "v:0")) -
                  std::min(Probed(file, "format=start_time"), SoundStart(file))
            : f.picture + 1.0 / 25;
    // Jumps back and forth of several lengths, the first right after the change of form.
    const int64_t lengths[] = {100, 4096, 1, 30000, 777};
    for (const Form& form : forms) {
        const int rate = form.rate ? form.rate : int(own.sampleRate);
        const std::string name = std::string(f.name) + " at " + std::to_string(rate) + "/" +
                                 std::to_string(form.channels);
        tbx::PcmForm pcm;
        pcm.rate = form.rate;
        pcm.channels = form.channels;
        ASSERT_TRUE(movie->SetPcmForm(pcm)) << name;
        movie->SetTimeScale(rate); // a time is an output sample
        const int64_t duration = movie->GetDuration();
        ASSERT_GT(duration, 0) << name;
        const std::size_t frame = std::size_t(form.channels) * 2;
        std::vector<std::pair<int64_t, std::vector<uint8_t>>> jumps;
        // Right after the change of form, a read that runs past the end: it ends where the
        // whole read does.
        jumps.emplace_back(std::max<int64_t>(0, duration - rate / 3), std::vector<uint8_t>());
        ASSERT_TRUE(movie->ReadPcm(int32_t(jumps.back().first), rate, jumps.back().second))
            << name << " at the end";
        for (int i = 0; i < 10; ++i) {
            const int64_t at = int64_t(random() % uint32_t(duration));
            jumps.emplace_back(at, std::vector<uint8_t>());
            ASSERT_TRUE(movie->ReadPcm(int32_t(at), int32_t(lengths[i % 5]), jumps.back().second))
                << name << " at " << at;
        }
        std::vector<uint8_t> read;
        ASSERT_TRUE(movie->ReadPcm(0, int32_t(duration), read)) << name;
        const std::string whole(read.begin(), read.end());
        EXPECT_EQ(whole.size(), std::size_t(duration) * frame) << name;
        std::string reference = Converted(file, form.rate, form.channels, f.decoding);
        // A movie's sound starts where ffmpeg's timeline puts its first sample.
        if (f.making == Format::kMovie)
            reference.insert(0, std::size_t(FoundLead(file, whole, reference, frame, rate)) * frame,
                             '\0');
        if (f.oracle == Format::kHeld) {
            // At another rate, the silence put in moves the resampler's phase after it.
            if (form.rate == 0)
                ExpectHoldsSound(whole, reference, frame, name);
        } else {
            if (f.oracle == Format::kToPictureEnd) {
                EXPECT_GE(whole.size(), std::size_t(f.picture * rate) * frame) << name;
                reference.resize(std::min(reference.size(), whole.size()));
            }
            // A movie's sound runs on in silence to the end of its picture (where parts are
            // joined, each a frame later at most where it continues another), and no further.
            if (f.making == Format::kMovie || f.making == Format::kJoinedMovie) {
                const double end =
                    std::max(double(reference.size() / frame), std::ceil(picture * rate) + 1);
                EXPECT_LE(double(whole.size() / frame), end) << name << " runs on in silence";
                reference.resize(std::max(reference.size(), whole.size()), '\0');
            }
            EXPECT_EQ(whole.size(), reference.size()) << name;
            const std::size_t end = f.oracle == Format::kCutMidSignal && form.rate != 0
                                        ? std::min(whole.size(), 64 * frame)
                                        : 0;
            EXPECT_TRUE(whole.compare(0, whole.size() - end, reference, 0,
                                      reference.size() - std::min(reference.size(), end)) == 0)
                << name << " as a whole";
        }
        for (const auto& [at, piece] : jumps)
            EXPECT_TRUE(std::string(piece.begin(), piece.end()) ==
                        whole.substr(std::size_t(at) * frame, piece.size()))
                << name << ": " << piece.size() / frame << " at " << at;
        // A movie just opened reads its first second as the whole read has it, whatever the
        // opening looked at to count the sound; one just opened has indexed its sound no further
        // than the opening needed, and a jump across silence must find the sound after it where
        // the whole read has it.
        std::vector<double> starts = {0};
        if (f.gain)
            starts.insert(starts.end(), std::begin(kAroundSilence), std::end(kAroundSilence));
        for (double second : starts) {
            std::unique_ptr<tbx::Movie> fresh = tbx::Movie::Open(file.string());
            ASSERT_TRUE(fresh && fresh->SetPcmForm(pcm)) << name;
            fresh->SetTimeScale(rate);
            const int64_t at = int64_t(second * rate);
            std::vector<uint8_t> piece;
            ASSERT_TRUE(fresh->ReadPcm(int32_t(at), rate, piece)) << name << " at " << at;
            EXPECT_TRUE(std::string(piece.begin(), piece.end()) ==
                        whole.substr(std::size_t(at) * frame, std::size_t(rate) * frame))
                << name << ": a second at " << at << " just after opening";
        }
    }
}

// The format's file, with its damage done.
std::filesystem::path MakeDamaged(const TempDir& dir, const Format& f) {
    const auto file = dir / f.name;
    MakeFormat(dir, f, file);
    if (f.damage) {
        std::string bytes = ReadFileBytes(file);
        EXPECT_TRUE(f.damage(bytes)) << f.name;
        WriteFileBytes(file, bytes);
    }
    return file;
}

void ExpectFormats(const std::vector<Format>& formats,
                   const std::vector<Form>& forms = kEveryForm) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    for (const Format& f : formats)
        ExpectJumpsAsWhole(MakeDamaged(dir, f), f, forms);
}

// Sound silenced in places (14 s of it), in a container that the reader indexes.
Format Gated(const char* name, std::vector<std::string> codec,
             std::vector<std::string> decoding = {}, const char* gain = kPause,
             Format::Making making = Format::kEncoded) {
    return Format{name, std::move(codec), making, std::move(decoding), Format::kSame, {}, 14, gain};
}

// A file whose times lie for some packets, then return, or step back for good: it reads as
// ffmpeg decodes it, every packet once.
Format Lying(const char* name, std::vector<std::string> codec, std::vector<std::string> decoding,
             std::function<bool(std::string&)> lie, Format::Making making = Format::kEncoded) {
    return Format{name,          std::move(codec), making, std::move(decoding),
                  Format::kSame, std::move(lie)};
}

// The time of the middle sound PES moved by `ticks` of 90 kHz, or of every one from there on.
std::function<bool(std::string&)> MoveMiddlePes(int64_t ticks, bool onward = false) {
    return [=](std::string& bytes) {
        const std::size_t count = CountSoundPes(bytes);
        return MovePesTime(bytes, count / 2, onward ? count : 1, ticks);
    };
}

// The time of sound PES `index` (from the end where it is negative) moved by `ticks`.
std::function<bool(std::string&)> MovePesAt(int64_t index, int64_t ticks) {
    return [=](std::string& bytes) {
        const int64_t count = int64_t(CountSoundPes(bytes));
        return MovePesTime(bytes, std::size_t(index < 0 ? count + index : index), 1, ticks);
    };
}

// The time of the middle (or last) Matroska cluster set to `milliseconds` or moved by them.
std::function<bool(std::string&)> SetMiddleCluster(int64_t milliseconds, bool relative,
                                                   bool last = false) {
    return [=](std::string& bytes) {
        const std::size_t clusters = CountMatroskaClusters(bytes);
        return SetMatroskaClusterTime(bytes, last ? clusters - 1 : clusters / 2, milliseconds,
                                      relative);
    };
}

// Ogg files joined as `cat` joins them, of these codec options and links' seconds (the links
// after the first made with `later`'s options too).
Format Chain(const char* name, std::vector<std::string> codec, std::vector<double> links,
             std::vector<std::string> later = {}) {
    Format f{name, std::move(codec), Format::kChained};
    f.links = std::move(links);
    f.later = std::move(later);
    return f;
}

} // namespace

// Ogg files joined end to end, whose last link is shorter than one before: each link in turn, in
// Vorbis, Opus and FLAC, where every link has a number of its own or all the same one, links of a
// single page, links of another rate and channels, and of another codec.
TEST(SoundFormats, JoinedOggFilesPlayEveryLinkInTurn) {
    const std::vector<std::string> vorbis = {"-c:a", "libvorbis"}, opus = {"-c:a", "libopus"};
    ExpectFormats({
        Chain("chain.ogg", vorbis, {7, 20, 4}),
        Chain("short.ogg", vorbis, {0.3, 3, 0.5, 0.2}),
        Chain("chain.opus", opus, {20, 7}),
        Chain("chain.oga", {"-c:a", "flac"}, {6, 2}),
        Chain("same.opus", {"-c:a", "libopus", "-fflags", "+bitexact"}, {6, 9, 3}),
        // Links of Opus after one of Vorbis, which the demuxer stops at.
        Chain("codecs.ogg", vorbis, {7, 4, 5}, {"-c:a", "libopus"}),
    });
    // At the sound's own rate: where a link's rate changes, ffmpeg's command line starts its
    // resampler again without taking the last samples that the old one holds.
    ExpectFormats({Chain("mixed.ogg", vorbis, {7, 5}, {"-ar", "22050", "-ac", "1"})},
                  {{0, 2}, {0, 1}});
}

TEST(SoundFormats, ExactlyTimedContainersJumpAsTheyReadWhole) {
    ExpectFormats({
        {"vorbis.ogg", {"-c:a", "libvorbis", "-q:a", "4"}},
        {"opus.opus", {"-c:a", "libopus"}},
        {"flac.flac", {"-c:a", "flac"}},
        {"mp3.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"cut.ogg", {"-c:a", "libvorbis", "-q:a", "3"}, Format::kCut},
        {"cut.opus", {"-c:a", "libopus"}, Format::kCut},
        {"cut.mp3", {"-c:a", "libmp3lame", "-q:a", "6"}, Format::kCut},
        {"joined.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, Format::kJoined, {}, Format::kHeld},
        {"s24.wav", {"-c:a", "pcm_s24le"}},
        {"f32.w64", {"-c:a", "pcm_f32le"}},
        {"s16.au", {"-c:a", "pcm_s16be"}},
        {"s16.caf", {"-c:a", "pcm_s16le"}},
        {"s24.aiff", {"-c:a", "pcm_s24be"}},
        {"alac.caf", {"-c:a", "alac"}},
        {"alac.m4a", {"-c:a", "alac"}},
        {"aac.m4a", {"-c:a", "aac", "-aac_pns", "0"}},
        {"mp2.mp2", {"-c:a", "mp2"}, Format::kEncoded, {"-c:a", "mp2float"}},
        // A VBR tag that counts half the frames its bytes hold.
        {"halved.mp3",
         {"-c:a", "libmp3lame", "-q:a", "4"},
         Format::kEncoded,
         {},
         Format::kSame,
         HalveXingCount},
    });
}

TEST(SoundFormats, ContainersTimedRoughlyJumpByTheirPackets) {
    const std::vector<std::string> dither = {"-cons_noisegen", "1"};
    // A block or tag whose time lies ahead of where it is, by 32.767 s, 0.4 s or 5 s.
    auto lieBy = [](int index, int16_t time, bool relative) {
        return [=](std::string& bytes) {
            return SetMatroskaBlockTime(bytes, std::size_t(index), time, relative);
        };
    };
    ExpectFormats({
        {"s16.mka", {"-c:a", "pcm_s16le"}},
        {"aac.mka", {"-c:a", "aac", "-aac_pns", "0"}},
        {"vorbis.mka", {"-c:a", "libvorbis"}},
        {"opus.mka", {"-c:a", "libopus"}},
        // Opus from sound at a lower rate, whose header states the rate it was made from.
        {"opus16.mka", {"-ar", "16000", "-c:a", "libopus"}},
        {"opus.webm", {"-c:a", "libopus"}},
        {"wma.asf", {"-c:a", "wmav2"}},
        // Low rates, where WMA adds noise from a table it walks on from frame to frame.
        {"wma32k.asf", {"-c:a", "wmav2", "-b:a", "32k"}},
        {"wma16k.asf", {"-ar", "16000", "-ac", "1", "-c:a", "wmav2", "-b:a", "24k"}},
        {"mp2.mpg", {"-c:a", "mp2", "-f", "mpeg"}, Format::kEncoded, {"-c:a", "mp2float"}},
        {"ac3.vob", {"-c:a", "ac3", "-f", "vob"}, Format::kEncoded, dither},
        {"s16.vob", {"-ar", "48000", "-c:a", "pcm_s16be", "-f", "vob"}},
        {"ac3.ac3", {"-c:a", "ac3"}, Format::kEncoded, dither},
        {"eac3.eac3", {"-c:a", "eac3"}, Format::kEncoded, dither},
        {"lying.mka",
         {"-c:a", "libopus", "-b:a", "32k"},
         Format::kEncoded,
         {},
         Format::kSame,
         lieBy(300, 32767, false)},
        {"late.mka",
         {"-c:a", "libvorbis"},
         Format::kEncoded,
         {},
         Format::kSame,
         lieBy(300, 400, true)},
        {"late.flv",
         {"-c:a", "libmp3lame"},
         Format::kEncoded,
         {},
         Format::kSame,
         [](std::string& bytes) { return MoveFlvSoundTag(bytes, 300, 5000); }},
    });
}

// A movie's sound, placed by the same index as sound alone, beside a picture of 20 s: the
// sound ends where ffmpeg ends it and runs on in silence to the picture's end.
TEST(SoundFormats, MoviesSoundJumpsAsItReadsWhole) {
    const std::vector<std::string> mp2 = {"-c:a", "mp2float"};
    ExpectFormats({
        {"movie.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2"}, Format::kMovie, mp2},
        {"movie.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}, Format::kMovie},
        {"movie.mkv", {"-c:v", "mpeg4", "-c:a", "aac", "-aac_pns", "0"}, Format::kMovie},
        {"movie.webm", {"-c:v", "libvpx", "-c:a", "libvorbis"}, Format::kMovie},
        {"movie.ts", {"-c:v", "mpeg2video", "-c:a", "mp2"}, Format::kMovie, mp2},
        {"movie.vob",
         {"-c:v", "mpeg2video", "-c:a", "ac3"},
         Format::kMovie,
         {"-cons_noisegen", "1"}},
        {"movie.flv", {"-c:v", "flv1", "-c:a", "libmp3lame"}, Format::kMovie},
        // Recordings whose times restart: joined as `cat` joins them (the second's clock 100 s
        // ahead in one), and an FLV whose tags from the middle on start again at 0.
        {"joined.ts", {"-c:v", "mpeg2video", "-c:a", "mp2"}, Format::kJoinedMovie, mp2},
        {"ahead.ts",
         {"-c:v", "mpeg2video", "-c:a", "mp2"},
         Format::kJoinedMovie,
         mp2,
         Format::kSame,
         {},
         20,
         nullptr,
         20,
         {"-output_ts_offset", "100"}},
        {"joined.vob",
         {"-c:v", "mpeg2video", "-c:a", "ac3", "-f", "vob"},
         Format::kJoinedMovie,
         {"-cons_noisegen", "1"}},
        {"restarting.flv",
         {"-c:v", "flv1", "-c:a", "libmp3lame"},
         Format::kMovie,
         {},
         Format::kSame,
         RestartFlvTimes},
        {"short.mp4",
         {"-c:v", "mpeg4", "-c:a", "aac", "-aac_pns", "0"},
         Format::kMovie,
         {},
         Format::kSame,
         {},
         12},
    });
    // WMA's first two packets only prime its decoder: the sound starts where ffmpeg's timeline
    // puts the frame they lead to, and is read at its own rate (silence before it moves a
    // resampler's phase at another).
    ExpectFormats({{"movie.asf", {"-c:v", "wmv2", "-c:a", "wmav2"}, Format::kMovie}}, {{0, 2}});
}

// Digital silence, which codecs encode as runs of identical packets, and then sound, in each
// container that the reader indexes: a jump from a movie just opened, into the silence or
// across its end, finds the sound after it where the whole read has it.
TEST(SoundFormats, SoundAfterSilenceInContainersJumpsFromAFreshOpen) {
    ExpectFormats(
        {
            Gated("aac.mka", {"-c:a", "aac", "-aac_pns", "0"}),
            Gated("opus.mka", {"-c:a", "libopus"}),
            Gated("vorbis.webm", {"-c:a", "libvorbis"}),
            Gated("wma.asf", {"-c:a", "wmav2"}),
            Gated("wma32k.asf", {"-c:a", "wmav2", "-b:a", "32k"}),
            Gated("bursts.asf", {"-c:a", "wmav2", "-b:a", "32k"}, {}, kBursts),
            Gated("mp3.flv", {"-c:a", "libmp3lame"}),
        },
        kOwnAndResampled);
}

TEST(SoundFormats, SoundAfterSilenceInMpegStreamsJumpsFromAFreshOpen) {
    const std::vector<std::string> mp2 = {"-c:a", "mp2float"}, dither = {"-cons_noisegen", "1"};
    ExpectFormats(
        {
            Gated("mp2.mpg", {"-c:a", "mp2", "-f", "mpeg"}, mp2),
            Gated("ac3.vob", {"-c:a", "ac3", "-f", "vob"}, dither),
            Gated("bursts.vob", {"-c:a", "ac3", "-f", "vob"}, dither, kBursts),
            Gated("mp2.ts", {"-c:a", "mp2"}, mp2),
            Gated("ac3.ac3", {"-c:a", "ac3"}, dither),
            Gated("eac3.eac3", {"-c:a", "eac3"}, dither),
            Gated("aac.aac", {"-c:a", "aac", "-aac_pns", "0"}),
        },
        kOwnAndResampled);
}

TEST(SoundFormats, SoundAfterSilenceInMoviesJumpsFromAFreshOpen) {
    ExpectFormats(
        {
            Gated("movie.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}, {}, kPause, Format::kMovie),
            Gated("movie.mkv", {"-c:v", "mpeg4", "-c:a", "aac", "-aac_pns", "0"}, {}, kPause,
                  Format::kMovie),
            Gated("movie.ts", {"-c:v", "mpeg2video", "-c:a", "mp2"}, {"-c:a", "mp2float"}, kPause,
                  Format::kMovie),
        },
        kOwnAndResampled);
}

// PES and FLV tag times that lie for a packet, behind or ahead, then return, or step back and
// stay, in sound alone and beside a picture; a movie's first and last sound packets that lie (by
// less than a packet too), times that drift or lie every other PES (from the start, or only at
// the end), runs of lies, and packs lost: the sound reads as the same movie's without the lie,
// and every read ends where the whole one does.
TEST(SoundFormats, PesAndTagTimesThatLieReadAsFfmpegDecodes) {
    const std::vector<std::string> mp2 = {"-c:a", "mp2float"}, dither = {"-cons_noisegen", "1"};
    const std::vector<std::string> ts = {"-ar", "48000", "-c:a", "mp2"};
    const std::vector<std::string> movie = {"-c:v", "mpeg2video", "-ar", "48000", "-c:a", "mp2"};
    const std::vector<std::string> vob = {"-c:v", "mpeg2video", "-ar", "48000",
                                          "-c:a", "ac3",        "-f",  "vob"};
    const std::vector<std::string> flv = {"-c:v", "flv1", "-c:a", "libmp3lame"};
    auto pes = [](std::function<int64_t(std::size_t, std::size_t)> ticks) {
        return [=](std::string& bytes) { return MovePesTimes(bytes, ticks); };
    };
    auto tags = [](int32_t milliseconds, std::size_t count, bool last) {
        return [=](std::string& bytes) {
            const std::size_t tags = CountFlvSoundTags(bytes);
            return MoveFlvSoundTag(bytes, last ? tags - count : tags / 2, milliseconds, count);
        };
    };
    ExpectFormats(
        {
            Lying("back.ts", ts, mp2, MoveMiddlePes(-27000)),
            Lying("ahead.ts", ts, mp2, MoveMiddlePes(18000)),
            Lying("far.ts", ts, mp2, MoveMiddlePes(20 * 90000)),
            Lying("stays.ts", ts, mp2, MoveMiddlePes(-27000, true)),
            Lying("back.vob", {"-ar", "48000", "-c:a", "ac3", "-f", "vob"}, {"-cons_noisegen", "1"},
                  MoveMiddlePes(-27000)),
            Lying("back-movie.ts", movie, mp2, MoveMiddlePes(-27000), Format::kMovie),
            Lying("ahead-movie.ts", movie, mp2, MoveMiddlePes(18000), Format::kMovie),
            Lying("far-movie.ts", movie, mp2, MoveMiddlePes(20 * 90000), Format::kMovie),
            Format{"stays-movie.ts", movie, Format::kMovie, mp2, Format::kToPictureEnd,
                   MoveMiddlePes(-27000, true)},
            Lying("first-movie.ts", movie, mp2, MovePesAt(0, 18000), Format::kMovie),
            Lying("nudged-movie.ts", movie, mp2, MovePesAt(0, 1800), Format::kMovie),
            Lying("first-movie.vob", vob, dither, MovePesAt(0, 18000), Format::kMovie),
            Lying("last-movie.vob", vob, dither, MovePesAt(-1, -27000), Format::kMovie),
            Lying("drift-movie.ts", movie, mp2,
                  pes([](std::size_t i, std::size_t) { return int64_t(i) * 90; }), Format::kMovie),
            Lying("drift-at-end-movie.ts", movie, mp2, pes([](std::size_t i, std::size_t n) {
                      return i + 60 > n ? int64_t(i + 60 - n) * 90 : 0;
                  }),
                  Format::kMovie),
            Lying("every-other-movie.ts", movie, mp2,
                  pes([](std::size_t i, std::size_t) { return i % 2 ? 3600 : 0; }), Format::kMovie),
            Format{"lost-movie.vob", vob, Format::kMovie, dither, Format::kHeld,
                   [](std::string& bytes) {
                       // A second of the packs, which ffmpeg writes 2048 bytes each.
                       return CutUnits(bytes, std::string("\0\0\1\xBA", 4),
                                       bytes.size() / 2048 / 20);
                   }},
            Lying(
                "first-movie.flv", flv, {},
                [](std::string& bytes) { return MoveFlvSoundTag(bytes, 0, 200); }, Format::kMovie),
            Lying("last-movie.flv", flv, {}, tags(-300, 1, true), Format::kMovie),
            Lying(
                "runs-movie.flv", flv, {},
                [&](std::string& bytes) {
                    return tags(300, 10, false)(bytes) && tags(-300, 10, true)(bytes);
                },
                Format::kMovie),
        },
        kOwnAndResampled);
}

// A Matroska cluster whose time lies behind or ahead by 3 s, wraps to -4 s as an unsigned
// number, or lies far beyond any sound (2^59 ms, which overflows a time counted in samples). A
// movie's last cluster 3 s ahead keeps its place after 3 s of silence, as its picture does.
TEST(SoundFormats, ClusterTimesThatLieReadAsFfmpegDecodes) {
    const std::vector<std::string> aac = {"-ar", "48000", "-c:a", "aac", "-aac_pns", "0"};
    std::vector<std::string> movie = {"-c:v", "libx264"};
    movie.insert(movie.end(), aac.begin(), aac.end());
    // Clusters of a second: the end is read from the last two.
    std::vector<std::string> clusters = movie;
    clusters.insert(clusters.end(), {"-cluster_time_limit", "1000"});
    ExpectFormats(
        {
            Lying("back.mka", aac, {}, SetMiddleCluster(-3000, true)),
            Lying("opus-back.mka", {"-c:a", "libopus"}, {}, SetMiddleCluster(-3000, true)),
            Lying("ahead.mka", aac, {}, SetMiddleCluster(3000, true)),
            Lying("wrapped.mka", aac, {}, SetMiddleCluster(-4000, false)),
            Lying("back-movie.mkv", movie, {}, SetMiddleCluster(-3000, true), Format::kMovie),
            Lying("ahead-movie.mkv", movie, {}, SetMiddleCluster(3000, true), Format::kMovie),
            Lying("far-movie.mkv", movie, {}, SetMiddleCluster(int64_t(1) << 59, false),
                  Format::kMovie),
            Format{"ahead-last-movie.mkv",
                   clusters,
                   Format::kMovie,
                   {},
                   Format::kHeld,
                   SetMiddleCluster(3000, true, true)},
            Lying("far.mka", aac, {}, SetMiddleCluster(int64_t(1) << 59, false)),
        },
        kOwnAndResampled);
}

// Ogg pages whose granule lies half a second ahead or behind, alone or over nine or ten seconds of
// pages (one of them in digital silence, which codecs make runs of identical packets of), in
// Vorbis and Opus: every sample where ffmpeg's decoding in order has it.
TEST(SoundFormats, OggGranulesThatLieReadAsFfmpegDecodes) {
    // The pages from a share of them on, over a share of them (one at least), moved by `seconds`.
    auto granules = [](double from, double share, double seconds, int rate) {
        return [=](std::string& bytes) {
            const double pages = double(CountOggSoundPages(bytes));
            return MoveOggGranules(bytes, std::size_t(pages * from),
                                   std::max<std::size_t>(1, std::size_t(pages * share)),
                                   int64_t(seconds * rate));
        };
    };
    const std::vector<std::string> vorbis = {"-c:a", "libvorbis"}, opus = {"-c:a", "libopus"};
    Format silent = Gated("silent.ogg", vorbis);
    silent.damage = granules(0.4, 0.25, 0.5, 44100);
    // Long enough that a jump weighs the pages before its place without reading their packets.
    Format run = Lying("run.ogg", vorbis, {}, granules(0.45, 0.15, 0.5, 44100));
    run.seconds = 60;
    ExpectFormats(
        {
            Lying("ahead.ogg", vorbis, {}, granules(0.5, 0, 0.5, 44100)),
            Lying("back.ogg", vorbis, {}, granules(0.5, 0, -0.5, 44100)),
            run,
            silent,
            Lying("ahead.opus", opus, {}, granules(0.5, 0, 0.5, 48000)),
            Lying("run.opus", opus, {}, granules(0.25, 0.5, 0.5, 48000)),
        },
        kOwnAndResampled);
}

// An MP4 movie cut as an editor cuts it, without decoding from 1.3 s (an edit list skips
// what lies before), and one cut at half its bytes, as a download stops: the sound is ffmpeg's
// and silence after it only to the picture's end. The cut one lasts as long as its container
// states or its sound runs, whichever is longer; the half one no longer than what decodes of
// its sound and picture.
TEST(SoundFormats, CutMp4MoviesLastAsLongAsTheirStreams) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    Format f{"whole.mp4",
             {"-c:v", "libx264", "-c:a", "aac", "-aac_pns", "0", "-movflags", "+faststart"},
             Format::kMovie};
    f.seconds = f.picture = 3;
    const auto whole = dir / f.name, cut = dir / "cut.mp4", half = dir / "half.mp4";
    MakeFormat(dir, f, whole);
    ASSERT_TRUE(Make({"-ss", "1.3", "-i", whole.string(), "-c", "copy"}, cut));
    const std::string bytes = ReadFileBytes(whole);
    WriteFileBytes(half, bytes.substr(0, bytes.size() / 2));
    f.name = "cut.mp4";
    ExpectJumpsAsWhole(cut, f);
    // At its own rate only: where a sound stops mid-signal, ffmpeg's resampler ends it by
    // mirroring its last samples, and a movie's runs on into silence.
    f.name = "half.mp4";
    ExpectJumpsAsWhole(half, f, {{0, 2}});
    auto duration = [](const std::filesystem::path& file) {
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        if (!movie)
            return 0.0;
        movie->SetTimeScale(44100);
        return double(movie->GetDuration());
    };
    const double cutSound = double(Converted(cut, 0, 2).size() / 4);
    EXPECT_NEAR(duration(cut), std::max(cutSound, Probed(cut, "format=duration") * 44100), 1);
    const double halfSound = double(Converted(half, 0, 2).size() / 4);
    const double pictureEnd =
        Probed(half, "frame=best_effort_timestamp_time,pkt_duration_time", "v:0");
    EXPECT_LE(duration(half), std::max(halfSound, pictureEnd * 44100) + 44100 / 25);
}

// AAC in MP4 with a second edit that begins in the middle of its media, on a packet's start or
// within a packet (each holds 1,024 samples), with edits that read its media twice, and
// fragmented and cut inside a fragment, as a download stops: the whole read is ffmpeg's, every
// range holds the whole read's samples, and the sound ends where the whole read ends, read
// right after a change of form or across the end.
TEST(SoundFormats, Mp4EditsAndCutFragmentsReadAsFfmpegDecodes) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const std::vector<std::string> aac = {"-ar", "48000", "-c:a", "aac", "-aac_pns", "0"};
    std::vector<std::string> fragmented = aac;
    fragmented.insert(fragmented.end(),
                      {"-movflags", "+frag_keyframe+empty_moov", "-frag_duration", "1000000"});
    auto edits = [](std::vector<Mp4Edit> list) {
        return [=](std::string& bytes) { return SetMp4Edits(bytes, list); };
    };
    constexpr int64_t s = 48000;
    const Format formats[] = {
        Lying("two.m4a", aac, {}, edits({{1024, 10 * s}, {1024 + 15 * s, 5 * s}})),
        Lying("within.m4a", aac, {}, edits({{1524, 10 * s}, {1824 + 15 * s, 5 * s}})),
        Lying("twice.m4a", aac, {}, edits({{1024, 10 * s}, {1024 + 5 * s, 5 * s}})),
        Format{"cut.m4a",
               fragmented,
               Format::kEncoded,
               {},
               Format::kCutMidSignal,
               [](std::string& bytes) {
                   return CutMp4Fragment(bytes, Mp4Fragments(bytes).size() * 3 / 4, 5000);
               }},
    };
    const std::vector<Form> forms = {{0, 2}, {22050, 1}};
    for (const Format& f : formats) {
        const auto file = MakeDamaged(dir, f);
        ExpectJumpsAsWhole(file, f, forms);
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << f.name;
        for (const Form& form : forms) {
            tbx::PcmForm pcm;
            pcm.rate = form.rate;
            pcm.channels = form.channels;
            ASSERT_TRUE(movie->SetPcmForm(pcm)) << f.name;
            movie->SetTimeScale(form.rate ? form.rate : 48000);
            const int32_t end = movie->GetDuration();
            const std::size_t frame = std::size_t(2 * form.channels);
            std::vector<uint8_t> last, across, whole;
            ASSERT_TRUE(movie->ReadPcm(end - 1, 1, last) &&
                        movie->ReadPcm(end - 100, 1000, across) && movie->ReadPcm(0, end, whole))
                << f.name;
            EXPECT_TRUE(last.size() == frame &&
                        std::equal(last.begin(), last.end(), whole.end() - frame))
                << f.name << ": " << last.size() << " bytes at " << end - 1;
            EXPECT_TRUE(across.size() == 100 * frame &&
                        std::equal(across.begin(), across.end(), whole.end() - 100 * frame))
                << f.name << ": " << across.size() / frame << " across the end";
            EXPECT_EQ(movie->GetDuration(), end) << f.name;
        }
    }
}

// Each container that the sound reader indexes, and Ogg, cut short at three places, with noise put
// in at three (in the middle, and among the first and the last packets, which the reader decodes at
// its opening to check what their headers say) and written over while it is open: the whole read
// holds what ffmpeg decodes of the same file, its length says so, and jumps hold the whole read's
// samples, whether the index holds, is declined, or is found not to hold the packets read.
TEST(SoundFormats, DamagedFilesReadAtLeastWhatFfmpegDecodes) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const std::vector<std::string> dither = {"-cons_noisegen", "1"};
    auto held = [](const char* name, std::vector<std::string> codec,
                   std::vector<std::string> decoding = {}) {
        return Format{name, std::move(codec), Format::kEncoded, std::move(decoding), Format::kHeld};
    };
    const Format formats[] = {
        held("opus.mka", {"-c:a", "libopus"}),
        held("vorbis.mka", {"-c:a", "libvorbis"}),
        held("aac.mka", {"-c:a", "aac", "-aac_pns", "0"}),
        held("opus.webm", {"-c:a", "libopus"}),
        held("wma.asf", {"-c:a", "wmav2"}),
        held("mp2.mpg", {"-c:a", "mp2", "-f", "mpeg"}, {"-c:a", "mp2float"}),
        held("ac3.vob", {"-c:a", "ac3", "-f", "vob"}, dither),
        held("s16.vob", {"-ar", "48000", "-c:a", "pcm_s16be", "-f", "vob"}),
        held("aac.ts", {"-c:a", "aac", "-aac_pns", "0", "-f", "mpegts"}),
        held("aac.aac", {"-c:a", "aac", "-aac_pns", "0"}),
        held("ac3.ac3", {"-c:a", "ac3"}, dither),
        held("eac3.eac3", {"-c:a", "eac3"}, dither),
        held("mp3.flv", {"-c:a", "libmp3lame"}),
        held("aac.flv", {"-c:a", "aac", "-aac_pns", "0"}),
        // Placed by their granules until one leaves the count of the packets' samples.
        held("vorbis.ogg", {"-c:a", "libvorbis"}),
        held("opus.opus", {"-c:a", "libopus"}),
        // Links placed one after another.
        [] {
            Format f = Chain("chain.ogg", {"-c:a", "libvorbis"}, {7, 20, 4});
            f.oracle = Format::kHeld;
            return f;
        }(),
    };
    std::mt19937 random(49);
    for (const Format& f : formats) {
        const auto intact = dir / f.name;
        MakeFormat(dir, f, intact);
        const std::string bytes = ReadFileBytes(intact);
        auto placeIn = [&](double from, double to) {
            return std::size_t(bytes.size() * from) +
                   random() % std::size_t(bytes.size() * (to - from));
        };
        std::string noise(300, '\0');
        for (char& c : noise)
            c = char(random());
        const std::size_t noiseAt[] = {placeIn(0.2, 0.6), bytes.size() / 50,
                                       bytes.size() * 197 / 200};
        std::vector<std::string> damaged = {bytes.substr(0, placeIn(0.2, 1)),
                                            bytes.substr(0, placeIn(0.2, 1)),
                                            bytes.substr(0, placeIn(0.2, 1))};
        for (std::size_t at : noiseAt)
            damaged.push_back(bytes.substr(0, at) + noise + bytes.substr(at));
        for (std::size_t d = 0; d < damaged.size(); ++d) {
            const std::string name = std::string(f.name) + (d < 3 ? " cut " : " with noise ") +
                                     std::to_string(d < 3 ? damaged[d].size() : noiseAt[d - 3]);
            const auto file = dir / (std::to_string(d) + f.name);
            WriteFileBytes(file, damaged[d]);
            Format named = f;
            named.name = name.c_str();
            ExpectJumpsAsWhole(file, named, {{0, 2}});
        }

        // Written over in its middle after a read (a download written again): packets that
        // the index did not count, read again by their times from the start.
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(intact.string());
        ASSERT_TRUE(movie) << f.name;
        tbx::PcmForm form;
        form.channels = 2;
        std::vector<uint8_t> read;
        ASSERT_TRUE(movie->SetPcmForm(form) && movie->ReadPcm(1200, 600, read)) << f.name;
        {
            std::fstream over(intact, std::ios::in | std::ios::out | std::ios::binary);
            over.seekp(std::streamoff(bytes.size() / 2));
            std::string more(4096, '\0');
            for (char& c : more)
                c = char(random());
            over.write(more.data(), std::streamsize(more.size()));
        }
        read.clear();
        ASSERT_TRUE(movie->ReadPcm(0, movie->GetDuration(), read)) << f.name;
        ExpectHoldsSound(std::string(read.begin(), read.end()), Converted(intact, 0, 2, f.decoding),
                         4, std::string(f.name) + " written over");
    }
}

// Movies whose containers state no end, or one that the cut makes a guess: an ASF movie cut
// short or with bytes taken from its middle, an AVI movie cut inside its index or after it, a
// Matroska movie written as a live stream (no length, no cues), alone and with noise in its
// first sound blocks, where the sound's index is declined. They have sound, and it holds what
// ffmpeg decodes of them.
TEST(SoundFormats, DamagedMoviesReadAtLeastWhatFfmpegDecodes) {
    const std::vector<std::string> asf = {"-c:v", "wmv2", "-c:a", "wmav2"};
    const std::vector<std::string> avi = {"-c:v", "mpeg4", "-c:a", "libmp3lame"};
    const std::vector<std::string> live = {"-c:v",     "mpeg4", "-c:a",  "aac",
                                           "-aac_pns", "0",     "-live", "1"};
    auto damaged = [](const char* name, const std::vector<std::string>& codec,
                      std::function<bool(std::string&)> damage) {
        return Format{name, codec, Format::kMovie, {}, Format::kHeld, std::move(damage)};
    };
    auto cutAt = [](double share) {
        return [=](std::string& bytes) {
            bytes.resize(std::size_t(double(bytes.size()) * share));
            return true;
        };
    };
    ExpectFormats(
        {
            damaged("cut30.asf", asf, cutAt(0.3)),
            damaged("cut55.asf", asf, cutAt(0.55)),
            damaged("cut85.asf", asf, cutAt(0.85)),
            damaged("gap.asf", asf,
                    [](std::string& bytes) {
                        bytes.erase(bytes.size() / 2, 30000);
                        return true;
                    }),
            damaged("index10.avi", avi, [](std::string& bytes) { return CutAviIndex(bytes, 10); }),
            damaged("half-index.avi", avi,
                    [](std::string& bytes) {
                        return CutAviIndex(bytes, CountAviIndexEntries(bytes) / 2);
                    }),
            damaged("cut85.avi", avi, cutAt(0.85)),
            damaged("live.mkv", live, [](std::string&) { return true; }),
            damaged("live-noise.mkv", live,
                    [](std::string& bytes) { return NoiseInMatroskaBlocks(bytes, 2, 12, 3); }),
        },
        {{0, 2}});
}

// A page missing from an Ogg stream, packs from a program stream, or a Matroska cluster: silence
// as long as the container's times say is missing (whole packets where they hold one number of
// samples), where it is missing, in every read.
TEST(SoundFormats, LostSoundIsSilenceOfItsLengthInItsPlace) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const struct {
        const char* name;
        std::vector<std::string> codec;
        const char* unit; // what the file is cut into, and how many go from its middle
        std::size_t lost, slack;
        std::vector<std::string> decoding;
    } cases[] = {{"vorbis.ogg", {"-c:a", "libvorbis"}, "OggS", 2, 0, {}},
                 {"mp2.mpg",
                  {"-c:a", "mp2", "-f", "mpeg"},
                  "\x00\x00\x01\xBA",
                  10,
                  1152,
                  {"-c:a", "mp2float"}},
                 // Clusters of a second: whole packets lost, which their times in milliseconds
                 // round.
                 {"aac.mka",
                  {"-c:a", "aac", "-aac_pns", "0", "-cluster_time_limit", "1000"},
                  "\x1F\x43\xB6\x75",
                  1,
                  0,
                  {}}};
    for (const auto& c : cases) {
        const auto intact = dir / c.name, lossy = dir / (std::string("lossy-") + c.name);
        std::vector<std::string> args = TestSound(20, 44100);
        args.insert(args.end(), c.codec.begin(), c.codec.end());
        ASSERT_TRUE(Make(args, intact));
        std::string bytes = ReadFileBytes(intact);
        ASSERT_TRUE(CutUnits(bytes, std::string(c.unit, 4), c.lost)) << c.name;
        WriteFileBytes(lossy, bytes);

        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(lossy.string());
        ASSERT_TRUE(movie) << c.name;
        movie->SetTimeScale(44100);
        tbx::PcmForm form;
        form.channels = 2;
        ASSERT_TRUE(movie->SetPcmForm(form));
        std::vector<uint8_t> read;
        ASSERT_TRUE(movie->ReadPcm(0, movie->GetDuration(), read));
        const std::string whole(read.begin(), read.end());
        const std::string reference = Converted(intact, 0, 2, c.decoding);
        // Time is kept: the sound has its length, less a frame that the cut broke at most.
        EXPECT_NEAR(double(whole.size()), double(reference.size()), 4.0 * 1152) << c.name;
        // The longest silence lies between the sound before the loss and the sound after it,
        // each where the intact file has it (after a program stream's loss, to within the frame
        // that its parser may misplace there).
        std::size_t run = 0, longest = 0, end = 0;
        for (std::size_t i = 0; i + 4 <= whole.size(); i += 4) {
            run = whole.compare(i, 4, std::string(4, '\0')) == 0 ? run + 4 : 0;
            if (run > longest)
                longest = run, end = i + 4;
        }
        const std::size_t start = end - longest;
        EXPECT_GT(longest, 44100u / 10 * 4) << c.name;
        EXPECT_EQ(whole.compare(0, start / 2, reference, 0, start / 2), 0) << c.name;
        const std::size_t after = end + 44100 * 4; // the decoder settled again
        ASSERT_LT(after + 44100 * 4, std::min(whole.size(), reference.size())) << c.name;
        bool found = false;
        for (std::size_t shift = after - c.slack * 4; shift <= after + c.slack * 4 && !found;
             shift += 4)
            found = whole.compare(after, 44100 * 4, reference, shift, 44100 * 4) == 0;
        EXPECT_TRUE(found) << c.name;
        // Jumps into and around the loss read what the whole read has.
        for (std::size_t at : {start - 8000, start + 100, end - 4000, end + 10, after}) {
            std::vector<uint8_t> piece;
            ASSERT_TRUE(movie->ReadPcm(int32_t(at / 4), 9000, piece));
            EXPECT_TRUE(std::string(piece.begin(), piece.end()) ==
                        whole.substr(at / 4 * 4, piece.size()))
                << c.name << " at " << at / 4;
        }
    }
}
