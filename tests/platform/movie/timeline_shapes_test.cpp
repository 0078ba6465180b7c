// Every shape that a movie's or a sound's times take when a recording lies, drifts, loses data,
// is cut or is joined from others, in each container where it occurs, in sound alone and beside a
// picture: the sound holds ffmpeg's samples in order, with silence only where the reader keeps
// time that ffmpeg's decoding closes; the pictures are the ones ffmpeg decodes; reads after jumps
// hold what reads in order hold; and in a movie, picture and sound stay within 40 ms of each
// other all through and end together. Each recording gives each picture's number in its colour
// and beeps at instants that no shift of its timeline repeats, so that where the movie shows
// and plays them is checked against the recording itself, not against ffmpeg's timeline (which
// goes on across an FLV's restart only where told the file is live, and jumps in a joined VOB).
// Opening a large movie reads less than most of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
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

constexpr int kFps = 25, kWidth = 64, kHeight = 48;
// Beeps: one in each 0.8 s of the source, 60 ms long, none within 0.15 s of a recording's ends.
constexpr double kSlot = 0.8, kBeep = 0.06, kMargin = 0.15;
// Picture and sound stay this close; a decoder's delay may hold the sound this much later.
constexpr double kTogether = 0.04, kDecoderDelay = 0.03;

// Where the beep of a slot starts on the source's timeline: at a place in its slot that a hash of
// the slot gives, so that no shift of the timeline brings the beeps onto others.
double BeepAt(int64_t slot) {
    const double h = std::sin(double(slot) * 12.9898 + 1) * 43758.5453;
    return kSlot * double(slot) + 0.1 + 0.4 * (h - std::floor(h));
}

std::string Number(double value) {
    return std::to_string(value);
}

// One recording of a file: from `from` seconds of the source's timeline on (which goes on across
// the recordings a file is joined from), `seconds` of picture and `sound` seconds of sound (as
// long as the picture where 0), written with `muxing` options.
struct Part {
    double from = 0, seconds = 6, sound = 0;
    std::vector<std::string> muxing = {};
    double Sound() const { return sound > 0 ? sound : seconds; }
    bool Beeps(double at) const {
        return at - from >= kMargin && at - from <= Sound() - kMargin - kBeep;
    }
};

// The recording's pictures as raw RGB: each frame flat in a colour that gives its number on the
// source's timeline, red and green 16 × its lowest two hexadecimal digits, blue 16 + 32 × the rest.
std::string Pictures(const Part& p) {
    std::string rgb;
    const int64_t first = std::llround(p.from * kFps), frames = std::llround(p.seconds * kFps);
    for (int64_t n = first; n < first + frames; ++n) {
        const char pixel[3] = {char(16 * (n % 16)), char(16 * (n / 16 % 16)),
                               char(16 + 32 * (n / 256))};
        for (int i = 0; i < kWidth * kHeight; ++i)
            rgb.append(pixel, 3);
    }
    return rgb;
}

// The recording's sound as 16-bit mono PCM: quiet noise, a low tone that runs on across the
// recordings, and the beeps, of 1 kHz.
std::string Sounds(const Part& p, int rate) {
    std::string pcm;
    uint32_t noise = uint32_t(p.from * 1000) + 1;
    const int64_t samples = std::llround(p.Sound() * rate);
    for (int64_t i = 0; i < samples; ++i) {
        const double t = p.from + double(i) / rate;
        const int64_t slot = int64_t(std::floor(t / kSlot));
        const bool beep = t >= BeepAt(slot) && t < BeepAt(slot) + kBeep && p.Beeps(BeepAt(slot));
        noise = noise * 1664525u + 1013904223u;
        const double value = 0.03 * (double(noise >> 8) / double(1 << 24) - 0.5) +
                             0.04 * std::sin(2 * M_PI * 300 * t) +
                             (beep ? 0.6 * std::sin(2 * M_PI * 1000 * t) : 0);
        const int16_t sample = int16_t(std::lround(value * 32767));
        pcm.push_back(char(sample & 0xFF));
        pcm.push_back(char(sample >> 8 & 0xFF));
    }
    return pcm;
}

// The frame number that a decoded colour gives, or -1.
int FrameOfColour(const uint8_t* rgb) {
    const int low = (rgb[0] + 8) / 16, middle = (rgb[1] + 8) / 16, high = rgb[2] / 32;
    if (low > 15 || middle > 15 || rgb[2] < 8 || std::abs(rgb[0] - low * 16) > 6 ||
        std::abs(rgb[1] - middle * 16) > 6 || std::abs(rgb[2] - 16 - high * 32) > 10)
        return -1;
    return high * 256 + middle * 16 + low;
}

// A container's encodings of sound alone and of a movie, and ffmpeg's input options for the
// decoders that the reader uses.
struct Codecs {
    const char* name;
    const char* soundType;
    std::vector<std::string> sound;
    const char* movieType;
    std::vector<std::string> movie;
    std::vector<std::string> decoding;
    int rate;
};

const std::vector<std::string> kMp2 = {"-c:a", "mp2float"}, kDither = {"-cons_noisegen", "1"};
const Codecs kTs{"ts",
                 "ts",
                 {"-c:a", "mp2"},
                 "ts",
                 {"-c:v", "mpeg2video", "-q:v", "2", "-g", "25", "-c:a", "mp2"},
                 kMp2,
                 48000};
const Codecs kM2ts{
    "m2ts",
    "m2ts",
    {"-c:a", "aac", "-aac_pns", "0"},
    "m2ts",
    {"-c:v", "libx264", "-g", "25", "-pix_fmt", "yuv420p", "-c:a", "aac", "-aac_pns", "0"},
    {},
    48000};
const Codecs kVob{"vob",
                  "vob",
                  {"-c:a", "ac3", "-f", "vob"},
                  "vob",
                  {"-c:v", "mpeg2video", "-q:v", "2", "-g", "12", "-c:a", "ac3", "-f", "vob"},
                  kDither,
                  48000};
const Codecs kPs{"mpg",
                 "mpg",
                 {"-c:a", "mp2", "-f", "mpeg"},
                 "mpg",
                 {"-c:v", "mpeg1video", "-q:v", "2", "-g", "12", "-c:a", "mp2", "-f", "mpeg"},
                 kMp2,
                 48000};
const Codecs kFlv{"flv",
                  "flv",
                  {"-c:a", "libmp3lame"},
                  "flv",
                  {"-c:v", "flv1", "-q:v", "2", "-c:a", "libmp3lame"},
                  {},
                  44100};
const Codecs kMkv{"mkv",
                  "mka",
                  {"-c:a", "aac", "-aac_pns", "0", "-cluster_time_limit", "1000"},
                  "mkv",
                  {"-c:v", "libx264", "-g", "25", "-pix_fmt", "yuv420p", "-c:a", "aac", "-aac_pns",
                   "0", "-cluster_time_limit", "1000"},
                  {},
                  48000};
const Codecs kMkvGop{"mkv_gop",
                     "",
                     {},
                     "mkv",
                     {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", "-aac_pns", "0"},
                     {},
                     48000};
const Codecs kMkvOpus{"mkv_opus", "mka", {"-c:a", "libopus", "-cluster_time_limit", "1000"}, "", {},
                      {},         48000};
const Codecs kMp4{
    "mp4",
    "m4a",
    {"-c:a", "aac", "-aac_pns", "0"},
    "mp4",
    {"-c:v", "libx264", "-g", "25", "-pix_fmt", "yuv420p", "-c:a", "aac", "-aac_pns", "0"},
    {},
    48000};
const Codecs kOgg{
    "ogg",
    "ogg",
    {"-c:a", "libvorbis", "-page_duration", "250000"},
    "ogv",
    {"-c:v", "libtheora", "-q:v", "8", "-g", "25", "-c:a", "libvorbis", "-page_duration", "250000"},
    {},
    48000};
const Codecs kOpus{"opus", "opus", {"-c:a", "libopus"}, "", {}, {}, 48000};
const Codecs kAvi{"avi",
                  "avi",
                  {"-c:a", "libmp3lame"},
                  "avi",
                  {"-c:v", "mpeg4", "-q:v", "2", "-c:a", "libmp3lame"},
                  {},
                  44100};
const Codecs kAsf{
    "asf", "asf", {"-c:a", "wmav2"}, "asf", {"-c:v", "wmv2", "-q:v", "2", "-c:a", "wmav2"},
    {},    44100};

using Edit = std::function<bool(std::string&)>;

// Where ffmpeg's own timeline differs; the pictures are checked against the recordings.
constexpr const char* kJoinedVob = "ffmpeg's timeline jumps ahead in the second part, where its "
                                   "parser hands the first part's last sound frame over late";
constexpr const char* kLiveFlv =
    "ffmpeg's timeline goes on across the restart only where it reads the file as live";

// Seconds, from one to another.
struct Span {
    double low, high;
    bool Holds(double value) const { return value >= low && value <= high; }
};

// A shape in a container, in sound alone or in a movie: the recordings that the file is joined
// from and what is done to its bytes; how much silence its whole read may hold beyond ffmpeg's
// samples (one of `silence`, in seconds: a loss or a step of the times kept as time that
// passes); whether it is damaged so that samples near the damage may differ (`held`); where on
// the source's timeline its picture itself lies (its times moved with the sound's), whose
// pictures are left out of the checks; and where ffmpeg's own timeline differs.
struct Row {
    std::string shape;
    const Codecs* codecs;
    bool movie;
    std::vector<Part> parts = {Part{}};
    Edit damage = {};
    std::vector<Span> silence = {{0, 0}};
    bool held = false;
    // Steps ahead of the times, each closed or kept as time that passes, as the muxer was asked
    // to write them; their lengths are the file's own (a muxer's start moves them a little).
    std::vector<double> steps = {};
    // Lost data, kept as silence as long as ffmpeg's decoding of the file lacks of the intact one's
    bool lost = false;
    // Times that step back for good: the sound is read to the movie's end as its picture sets it,
    // not beyond, where its samples outlast the picture.
    bool endsWithPicture = false;
    std::vector<Span> lying = {};
    double begins = 0; // where on the source's timeline a cut leaves the file's start
    // Made large, its pictures noise (after a still one for the first `still` of its time), to
    // check only what opening it reads of it: less than three quarters.
    bool large = false;
    double still = 0;
    const char* note = "";

    Row Parts(std::vector<Part> p) const {
        Row r = *this;
        r.parts = std::move(p);
        return r;
    }
    Row Silence(std::vector<Span> s) const {
        Row r = *this;
        r.silence = std::move(s);
        return r;
    }
    // Steps of the times that the muxer was asked for; the row takes those the file holds.
    Row Steps(std::vector<double> asked) const {
        Row r = *this;
        r.steps = std::move(asked);
        return r;
    }
    Row Held(std::vector<Span> s) const {
        Row r = Silence(std::move(s));
        r.held = true;
        return r;
    }
    Row Lost() const {
        Row r = Held({{0, 30}});
        r.lost = true;
        return r;
    }
    Row EndsWithPicture() const {
        Row r = *this;
        r.endsWithPicture = true;
        return r;
    }
    Row Lying(std::vector<Span> spans) const {
        Row r = *this;
        r.lying = std::move(spans);
        return r;
    }
    Row Large(double stillShare = 0) const {
        Row r = *this;
        r.large = true;
        r.still = stillShare;
        return r;
    }
    Row Begins(double at) const {
        Row r = *this;
        r.begins = at;
        return r;
    }
    Row Note(const char* n) const {
        Row r = *this;
        r.note = n;
        return r;
    }
    // Rows run in groups (each its own test, so that groups run side by side), which share the
    // recordings they are made from.
    std::string Group() const {
        return std::string(codecs->name) + (parts.size() > 1 ? "_joined" : "") +
               (movie ? "_movie" : "_sound");
    }
    std::string File() const {
        return shape + (movie ? "-movie." : "-sound.") +
               (movie ? codecs->movieType : codecs->soundType);
    }
    double Seconds() const { return parts.back().from + parts.back().seconds; }
};

Row Sound(std::string shape, const Codecs& c, Edit damage = {}) {
    return Row{std::move(shape), &c, false, {Part{}}, std::move(damage)};
}
Row Movie(std::string shape, const Codecs& c, Edit damage = {}) {
    return Row{std::move(shape), &c, true, {Part{}}, std::move(damage)};
}

// Damage, as editors of bytes.
Edit Pes(int64_t index, int64_t milliseconds, std::size_t count = 1) {
    return [=](std::string& bytes) {
        const int64_t pes = int64_t(CountSoundPes(bytes));
        return MovePesTime(bytes, std::size_t(index < 0 ? pes + index : index), count,
                           milliseconds * 90);
    };
}
Edit MiddlePes(int64_t milliseconds, bool onward = false, std::size_t count = 1) {
    return [=](std::string& bytes) {
        const std::size_t pes = CountSoundPes(bytes);
        return MovePesTime(bytes, pes / 2, onward ? pes : count, milliseconds * 90);
    };
}
Edit PesDrift(std::function<int64_t(std::size_t, std::size_t)> milliseconds) {
    return [=](std::string& bytes) {
        return MovePesTimes(bytes,
                            [&](std::size_t i, std::size_t n) { return milliseconds(i, n) * 90; });
    };
}
// A share of the file's bytes, in its packets of `size` bytes (a transport stream's 188, or 192
// with their times) or a program stream's packs, lost from its middle.
Edit Packets(std::size_t size, double share) {
    return [=](std::string& bytes) {
        return CutPackets(bytes, size, 0.5,
                          std::size_t(double(bytes.size()) * share / double(size)));
    };
}
Edit Packs(double share) { // of 2,048 bytes, as ffmpeg writes them
    return [=](std::string& bytes) {
        return CutUnits(bytes, std::string("\0\0\1\xBA", 4),
                        std::size_t(double(bytes.size()) * share / 2048));
    };
}
Edit CutAt(double share) {
    return [=](std::string& bytes) {
        bytes.resize(std::size_t(double(bytes.size()) * share));
        return true;
    };
}
Edit Tags(int64_t index, int32_t milliseconds, std::size_t count = 1) {
    return [=](std::string& bytes) {
        const int64_t tags = int64_t(CountFlvSoundTags(bytes));
        return MoveFlvSoundTag(bytes, std::size_t(index < 0 ? tags + index : index), milliseconds,
                               count);
    };
}
Edit MiddleTags(int32_t milliseconds, std::size_t count = 1) {
    return [=](std::string& bytes) {
        return MoveFlvSoundTag(bytes, CountFlvSoundTags(bytes) / 2, milliseconds, count);
    };
}
Edit Clusters(double share, int64_t milliseconds, std::size_t count = 1) {
    return [=](std::string& bytes) {
        const std::size_t clusters = CountMatroskaClusters(bytes);
        return MoveMatroskaClusters(bytes, std::size_t(double(clusters) * share),
                                    count ? count : clusters, milliseconds);
    };
}
Edit Granules(double share, double seconds, std::size_t count = 1) {
    return [=](std::string& bytes) {
        const double pages = double(CountOggSoundPages(bytes));
        return MoveOggGranules(bytes, std::size_t(pages * share), count, int64_t(seconds * 48000));
    };
}
Edit Block(double share, int16_t milliseconds) {
    return [=](std::string& bytes) {
        return SetMatroskaBlockTime(bytes, std::size_t(double(CountMatroskaBlocks(bytes)) * share),
                                    milliseconds, true);
    };
}
Edit ClusterAt(double share, int64_t milliseconds) { // as an unsigned number
    return [=](std::string& bytes) {
        return SetMatroskaClusterTime(
            bytes, std::size_t(double(CountMatroskaClusters(bytes)) * share), milliseconds, false);
    };
}
Edit LostUnits(const char* code, std::size_t count) {
    return [=](std::string& bytes) { return CutUnits(bytes, std::string(code, 4), count); };
}
Edit FlvDrift(int32_t milliseconds) {
    return [=](std::string& bytes) {
        return MoveFlvSoundTimes(
            bytes, [&](std::size_t i, std::size_t) { return int32_t(i) * milliseconds; });
    };
}
// A file cut without decoding from `seconds` on, as an editor cuts.
Edit CopiedFrom(double seconds, std::string type) {
    return [=](std::string& bytes) {
        TempDir dir;
        const auto in = dir / ("in." + type), out = dir / ("out." + type);
        WriteFileBytes(in, bytes);
        if (!Make({"-ss", Number(seconds), "-i", in.string(), "-c", "copy"}, out))
            return false;
        bytes = ReadFileBytes(out);
        return true;
    };
}
Edit Both(Edit a, Edit b) {
    return [=](std::string& bytes) { return a(bytes) && b(bytes); };
}

// Where the clock of a transport or program stream passes 2^33 ticks of 90 kHz, `at` seconds into
// a recording; ffmpeg's muxers start their times 1.4 s (TS) or 0.5 s (PS) in.
std::vector<std::string> WrapAt(double at, double start = 1.4) {
    return {"-output_ts_offset", Number(double(int64_t(1) << 33) / 90000 - start - at)};
}
std::vector<std::string> Offset(double seconds) {
    return {"-output_ts_offset", Number(seconds)};
}

// The steps that either close or stay as time that passes.
std::vector<Span> ClosedOrKept(std::vector<double> steps) {
    std::vector<Span> spans = {{0, 0.03}};
    double total = 0;
    for (double step : steps)
        total += step, spans.push_back({total - 0.1, total + 0.1});
    return spans;
}

const std::vector<Row>& Table() {
    static const std::vector<Row> table = [] {
        const std::vector<Part> two = {{0, 4}, {4, 4}}, three = {{0, 3}, {3, 3}, {6, 3}};
        std::vector<Row> rows;
        // Containers written otherwise: fragmented, their index first, live (no length, no cues).
        Codecs fragmented = kMp4, faststart = kMp4, live = kMkv;
        for (auto* codecs : {&fragmented.sound, &fragmented.movie})
            codecs->insert(codecs->end(),
                           {"-movflags", "+frag_keyframe+empty_moov", "-frag_duration", "1000000"});
        faststart.movie.insert(faststart.movie.end(), {"-movflags", "+faststart"});
        static const Codecs kFragmented = fragmented, kFaststart = faststart;
        live.movie.insert(live.movie.end(), {"-live", "1"});
        static const Codecs kMkvLive = live;
        auto add = [&](const std::vector<Row>& more) {
            rows.insert(rows.end(), more.begin(), more.end());
        };
        // Transport streams: PES times that lie and return, ahead or behind, for one PES, or a run
        // of them; on the first or last PES; drift; a step back for good; a second of packets
        // lost; cut short; joined from recordings whose times restart, step ahead or wrap.
        for (const Codecs* c : {&kTs, &kM2ts}) {
            const std::size_t packet = c == &kTs ? 188 : 192;
            add({
                Sound("plain", *c),
                Movie("plain", *c),
                Sound("ahead", *c, MiddlePes(200)),
                Movie("ahead", *c, MiddlePes(200)),
                Sound("behind", *c, MiddlePes(-300)),
                Movie("behind", *c, MiddlePes(-300)),
                Sound("lost", *c, Packets(packet, 1.0 / 6)).Lost(),
                Movie("lost", *c, Packets(packet, 1.0 / 6)).Lost(),
                Sound("joined", *c).Parts(two),
                Movie("joined", *c).Parts(two),
                Movie("wrapped", *c).Parts({{0, 6, 0, WrapAt(3)}}),
                Movie("step-ahead", *c).Parts({{0, 4}, {4, 4, 0, Offset(24)}}).Steps({20}),
            });
        }
        add({
            Sound("far", kTs, MiddlePes(20000)),
            Movie("far", kTs, MiddlePes(20000)),
            Sound("run", kTs, MiddlePes(300, false, 10)),
            Movie("run", kTs, MiddlePes(300, false, 10)),
            Sound("first-ahead", kTs, Pes(0, 200)),
            Movie("first-ahead", kTs, Pes(0, 200)),
            Sound("first-behind", kTs, Pes(0, -200)),
            Movie("first-behind", kTs, Pes(0, -200)),
            Movie("nudged", kTs, Pes(0, 20)),
            Movie("uneven-large", kTs).Parts({{0, 80}}).Large(0.75),
            Movie("last-ahead", kTs, Pes(-1, 200)),
            Movie("last-behind", kTs, Pes(-1, -300)),
            Sound("drift", kTs,
                  PesDrift([](std::size_t i, std::size_t) { return int64_t(i) * 2; })),
            Movie("drift", kTs,
                  PesDrift([](std::size_t i, std::size_t) { return int64_t(i) * 2; })),
            Movie("drift-at-end", kTs, PesDrift([](std::size_t i, std::size_t n) {
                      return i + 20 > n ? int64_t(i + 20 - n) * 2 : 0;
                  })),
            Movie("every-other", kTs,
                  PesDrift([](std::size_t i, std::size_t) { return i % 2 ? 40 : 0; })),
            Sound("back-for-good", kTs, MiddlePes(-300, true)),
            Movie("back-for-good", kTs, MiddlePes(-300, true)).EndsWithPicture(),
            Movie("cut", kTs, CutAt(0.7)).Held({{0, 0.03}}),
            Sound("wrapped", kTs).Parts({{0, 6, 0, WrapAt(3)}}),
            Movie("three", kTs).Parts(three),
            Movie("three-lost", kTs, Packets(188, 1.0 / 9)).Parts(three).Lost(),
            Movie("joined-wrapped", kTs).Parts({{0, 4}, {4, 4, 0, WrapAt(2)}}),
            Sound("step-ahead", kTs).Parts({{0, 4}, {4, 4, 0, Offset(24)}}).Steps({20}),
            Movie("steps-ahead", kTs)
                .Parts({{0, 3}, {3, 3, 0, Offset(18)}, {6, 3, 0, Offset(36)}})
                .Steps({15, 15}),
            Movie("sound-ends-early", kTs).Parts({{0, 4, 3.5}, {4, 4}}).Silence({{0.45, 0.55}}),
            Sound("short-first", kTs).Parts({{0, 2}, {2, 40}}),
            Movie("short-first", kTs).Parts({{0, 2}, {2, 40}}),
            Sound("clock-ahead", kTs).Parts({{0, 4}, {4, 4, 0, Offset(100)}}).Steps({96}),
            Movie("clock-ahead", kTs).Parts({{0, 4}, {4, 4, 0, Offset(100)}}).Steps({96}),
        });
        // Program streams, a VOB's and an MPEG-1 one: the same shapes where their packs take them.
        const std::vector<std::string> stepped = Offset(24);
        add({
            Sound("plain", kVob),
            Movie("plain", kVob),
            Sound("ahead", kVob, MiddlePes(200)),
            Sound("behind", kVob, MiddlePes(-300)),
            Sound("first-behind", kVob, Pes(0, -200)),
            Movie("first-ahead", kVob, Pes(0, 200)),
            Movie("first-behind", kVob, Pes(0, -200)),
            Movie("last-ahead", kVob, Pes(-1, 200)),
            Movie("last-behind", kVob, Pes(-1, -300)),
            Movie("drift", kVob,
                  PesDrift([](std::size_t i, std::size_t) { return int64_t(i) * 2; })),
            Sound("back-for-good", kVob, MiddlePes(-300, true)),
            Movie("back-for-good", kVob, MiddlePes(-300, true)).EndsWithPicture(),
            Sound("lost", kVob, Packs(1.0 / 6)).Lost(),
            Movie("lost", kVob, Packs(1.0 / 6)).Lost(),
            Movie("cut", kVob, CutAt(0.7)).Held({{0, 0.03}}),
            Sound("wrapped", kVob).Parts({{0, 6, 0, WrapAt(3, 0.5)}}),
            Movie("wrapped", kVob).Parts({{0, 6, 0, WrapAt(3, 0.5)}}),
            Sound("joined", kVob).Parts(two),
            Movie("joined", kVob).Parts(two).Note(kJoinedVob),
            Movie("three", kVob).Parts(three).Note(kJoinedVob),
            Movie("step-ahead", kVob).Parts({{0, 4}, {4, 4, 0, stepped}}).Steps({20}),
            Movie("sound-ends-early", kVob).Parts({{0, 4, 3.5}, {4, 4}}).Silence({{0.45, 0.55}}),
            Sound("plain", kPs),
            Movie("plain", kPs),
            Sound("run", kPs, MiddlePes(300, false, 10)),
            Movie("first-behind", kPs, Pes(0, -200)),
            Movie("drift", kPs,
                  PesDrift([](std::size_t i, std::size_t) { return int64_t(i) * 2; })),
            Sound("lost", kPs, Packs(1.0 / 6)).Lost(),
            Movie("lost", kPs, Packs(1.0 / 6)).Lost(),
            Sound("wrapped", kPs).Parts({{0, 6, 0, WrapAt(3, 0.5)}}),
            Movie("wrapped", kPs).Parts({{0, 6, 0, WrapAt(3, 0.5)}}),
            Sound("joined", kPs).Parts(two),
            Movie("joined", kPs).Parts(two),
            Movie("step-ahead", kPs).Parts({{0, 4}, {4, 4, 0, stepped}}).Steps({20}),
        });
        // FLV: tag times that lie, drift, step back, restart as a recorder resuming writes them,
        // or step ahead; tags lost; a file cut short; sound that ends after the picture.
        add({
            Sound("plain", kFlv),
            Movie("plain", kFlv),
            Sound("far", kFlv, MiddleTags(5000)),
            Movie("ahead", kFlv, MiddleTags(300)),
            Movie("runs", kFlv, Both(MiddleTags(300, 10), Tags(-10, -300, 10))),
            Movie("first-ahead", kFlv, Tags(0, 200)),
            Sound("first-behind", kFlv, Tags(0, -200)),
            Movie("first-behind", kFlv, Tags(0, -200)),
            Movie("last-ahead", kFlv, Tags(-1, 200)),
            Movie("last-behind", kFlv, Tags(-1, -300)),
            Sound("drift", kFlv, FlvDrift(1)),
            Movie("drift", kFlv, FlvDrift(1)),
            Sound("back-for-good", kFlv, MiddleTags(-300, 1000)),
            Movie("back-for-good", kFlv, MiddleTags(-300, 1000)).EndsWithPicture(),
            Sound("restart", kFlv, RestartFlvTimes),
            Movie("restart", kFlv, RestartFlvTimes).Note(kLiveFlv),
            Sound("step-ahead", kFlv, [](std::string& b) { return StepFlvTimes(b, 0.5, 20000); })
                .Steps({20}),
            Movie("step-ahead", kFlv, [](std::string& b) { return StepFlvTimes(b, 0.5, 20000); })
                .Steps({20}),
            Sound("lost", kFlv, [](std::string& b) { return CutFlvTags(b, 0.5, 1.0 / 6); }).Lost(),
            Movie("lost", kFlv, [](std::string& b) { return CutFlvTags(b, 0.5, 1.0 / 6); }).Lost(),
            Movie("cut", kFlv, CutAt(0.7)).Held({{0, 0.03}}),
            Movie("sound-longer", kFlv).Parts({{0, 6, 8}}),
            Movie("large", kFlv).Parts({{0, 40}}).Large(),
            Movie("sound-longer-large", kFlv).Parts({{0, 40, 42}}).Large(),
        });
        // Matroska: a block's or a cluster's time that lies (the cluster's pictures lie with its
        // sound, so those pictures, and those they hide, are left out), a cluster lost, times
        // that step back for good or ahead, a file cut short, one written live (no cues).
        const std::vector<Span> ahead = {{1.8, 3.2}, {4.8, 6.2}}, behind = {{3.8, 5.2}, {0.8, 2.2}};
        add({
            Sound("plain", kMkv),
            Movie("plain", kMkv),
            Sound("block-ahead", kMkv, Block(0.5, 400)),
            Sound("cluster-ahead", kMkv, Clusters(0.5, 3000)),
            Movie("cluster-ahead", kMkv, Clusters(1.0 / 3, 3000)).Lying(ahead),
            Sound("cluster-behind", kMkv, Clusters(0.5, -3000)),
            Sound("cluster-behind", kMkvOpus, Clusters(0.5, -3000)),
            Movie("cluster-behind", kMkv, Clusters(2.0 / 3, -3000)).Lying(behind),
            Sound("cluster-wrapped", kMkv, ClusterAt(0.5, -4000)),
            Sound("cluster-far", kMkv, ClusterAt(0.5, int64_t(1) << 59)),
            Movie("cluster-far", kMkv, ClusterAt(2.0 / 3, int64_t(1) << 59)).Lying({{3.8, 5.2}}),
            Sound("cluster-lost", kMkv, LostUnits("\x1F\x43\xB6\x75", 1)).Lost(),
            Movie("cluster-lost", kMkv, LostUnits("\x1F\x43\xB6\x75", 1)).Lost(),
            Sound("back-for-good", kMkv, Clusters(0.5, -300, 0)),
            Sound("step-ahead", kMkv, Clusters(0.5, 20000, 0)).Steps({20}),
            Movie("step-ahead", kMkv, Clusters(0.5, 20000, 0)).Steps({20}),
            // The last cluster's pictures and sound 3 s ahead, as a step that nothing after bears
            // out or takes back: kept, or closed.
            Movie("last-cluster-ahead", kMkv, Clusters(0.99, 3000)).Steps({3}),
            Movie("cut", kMkv, CutAt(0.7)).Held({{0, 0.03}}),
            Movie("live", kMkvLive),
            // x264's own key-picture interval: a cluster each 10 s, the first one lying.
            Movie("first-cluster-ahead", kMkvGop, Clusters(0, 3000))
                .Parts({{0, 20}})
                .Lying({{0, 10.2}, {9.8, 13.2}}),
        });
        // MP4: edits that begin mid-file (on a packet or within one) or read the media twice, a
        // fragmented file cut inside a fragment, a movie cut as an editor cuts it or cut short,
        // and a movie whose sound ends half-way.
        auto edits = [](std::vector<Mp4Edit> list) {
            return [=](std::string& bytes) { return SetMp4Edits(bytes, list); };
        };
        constexpr int64_t s = 48000;
        auto cutFragment = [](std::string& bytes) {
            return CutMp4Fragment(bytes, Mp4Fragments(bytes).size() * 3 / 4, 5000);
        };
        add({
            Sound("plain", kMp4),
            Movie("plain", kMp4),
            Sound("two-edits", kMp4, edits({{1024, 2 * s}, {1024 + 3 * s, 2 * s}})),
            Sound("edits-within", kMp4, edits({{1524, 2 * s}, {1824 + 3 * s, 2 * s}})),
            Sound("edits-twice", kMp4, edits({{1024, 3 * s}, {1024 + s, 2 * s}})),
            Sound("fragment-cut", kFragmented, cutFragment).Held({{0, 0}}),
            Movie("fragment-cut", kFragmented, cutFragment).Held({{0, 0}}),
            Movie("copied-from", kFaststart, CopiedFrom(1.3, "mp4")).Begins(1.3),
            Movie("cut", kFaststart, CutAt(0.5)).Held({{0, 0}}),
            Movie("sound-ends-half-way", kMp4).Parts({{0, 6, 3}}),
        });
        // Ogg: granules that lie, alone or over a run of pages; pages lost; cut short; links
        // of a chain, the last shorter than one before it.
        add({
            Sound("plain", kOgg),
            Movie("plain", kOgg),
            Sound("granule-ahead", kOgg, Granules(0.5, 0.5)),
            Sound("granule-behind", kOgg, Granules(0.5, -0.5)),
            Sound("granule-run", kOgg, Granules(0.4, 0.5, 4)),
            // Long enough that a jump weighs the pages before its place by their headers alone.
            Sound("granule-long-run", kOgg, Granules(0.45, 0.5, 36)).Parts({{0, 60}}),
            Movie("granule-ahead", kOgg, Granules(0.5, 0.5)),
            Sound("page-lost", kOgg, LostUnits("OggS", 2)).Lost(),
            Movie("page-lost", kOgg, LostUnits("OggS", 4)).Lost(),
            Sound("cut", kOgg, CutAt(0.7)).Held({{0, 0.03}}),
            Sound("chained", kOgg).Parts({{0, 7}, {7, 20}, {27, 4}}),
            Sound("plain", kOpus),
            Sound("granule-ahead", kOpus, Granules(0.5, 0.5)),
            Sound("chained", kOpus).Parts({{0, 20}, {20, 7}}),
        });
        // AVI and ASF, whose packets carry no times of their own (AVI) or whose times are only
        // those of their data packets (ASF): cut short, in the index or in the middle.
        add({
            Sound("plain", kAvi),
            Movie("plain", kAvi),
            Sound("cut", kAvi, CutAt(0.7)).Held({{0, 0.03}}),
            Movie("index-cut", kAvi, [](std::string& b) { return CutAviIndex(b, 10); })
                .Held({{0, 0.03}}),
            Movie("cut", kAvi, CutAt(0.85)).Held({{0, 0.03}}),
            Sound("plain", kAsf),
            Movie("plain", kAsf),
            Movie("large", kAsf).Parts({{0, 40}}).Large(),
            Sound("cut", kAsf, CutAt(0.55)).Held({{0, 0.03}}),
            Movie("cut", kAsf, CutAt(0.55)).Held({{0, 0.03}}),
            Sound("gap", kAsf,
                  [](std::string& b) {
                      b.erase(b.size() / 2, 30000);
                      return true;
                  })
                .Lost(),
            Movie("gap", kAsf,
                  [](std::string& b) {
                      b.erase(b.size() / 2, 30000);
                      return true;
                  })
                .Lost(),
        });
        return rows;
    }();
    return table;
}

std::vector<std::string> Groups() {
    std::vector<std::string> groups;
    for (const Row& row : Table())
        if (std::find(groups.begin(), groups.end(), row.Group()) == groups.end())
            groups.push_back(row.Group());
    return groups;
}

// The recordings of a row made and joined as `cat` joins them, then damaged. Recordings that
// several rows share are made once.
std::filesystem::path MakeRow(const TempDir& dir, const Row& row,
                              std::map<std::string, std::string>& made) {
    const Codecs& c = *row.codecs;
    std::string bytes;
    for (const Part& p : row.parts) {
        std::string key = Number(p.from) + " " + Number(p.seconds) + " " + Number(p.Sound()) +
                          (row.large ? " large " + Number(row.still) : "");
        const std::vector<std::string>& codecs = row.movie ? c.movie : c.sound;
        for (const auto* args : {&codecs, &p.muxing})
            for (const std::string& a : *args)
                key += " " + a;
        if (!made.count(key)) {
            const std::string n = std::to_string(made.size());
            const auto pictures = dir / ("pictures" + n), sound = dir / ("sound" + n),
                       part = dir / ("part" + n + "." + (row.movie ? c.movieType : c.soundType));
            std::vector<std::string> args;
            if (row.large) {
                const std::string size = "color=c=gray:s=160x120:r=25:d=";
                args = {"-f",
                        "lavfi",
                        "-i",
                        size + Number(p.seconds * row.still + 0.04),
                        "-f",
                        "lavfi",
                        "-i",
                        size + Number(p.seconds * (1 - row.still)) + ",noise=alls=100:allf=t",
                        "-f",
                        "lavfi",
                        "-i",
                        "sine=r=" + std::to_string(c.rate) + ":d=" + Number(p.Sound()),
                        "-filter_complex",
                        "[0][1]concat[v]",
                        "-map",
                        "[v]",
                        "-map",
                        "2:a"};
            } else if (row.movie) {
                WriteFileBytes(pictures, Pictures(p));
                args = {"-f",       "rawvideo",
                        "-pix_fmt", "rgb24",
                        "-s",       std::to_string(kWidth) + "x" + std::to_string(kHeight),
                        "-r",       std::to_string(kFps),
                        "-i",       pictures.string()};
            }
            if (!row.large) {
                WriteFileBytes(sound, Sounds(p, c.rate));
                args.insert(args.end(), {"-f", "s16le", "-ar", std::to_string(c.rate), "-ac", "1",
                                         "-i", sound.string()});
            }
            args.insert(args.end(), codecs.begin(), codecs.end());
            if (row.large)
                args.insert(args.end(), {"-q:v", "10"});
            args.insert(args.end(), p.muxing.begin(), p.muxing.end());
            EXPECT_TRUE(Make(args, part)) << row.File();
            made[key] = ReadFileBytes(part);
        }
        bytes += made[key];
    }
    if (row.lost)
        WriteFileBytes(dir / ("intact-" + row.File()), bytes);
    if (row.damage) {
        EXPECT_TRUE(row.damage(bytes)) << row.File() << ": the damage found nothing to change";
    }
    const auto file = dir / row.File();
    WriteFileBytes(file, bytes);
    return file;
}

// The picture that the movie shows at `time`, as RGB; empty where it renders none.
std::vector<uint8_t> Rendered(tbx::Movie& movie, int64_t time) {
    std::vector<uint8_t> rgb(std::size_t(kWidth * kHeight * 3) + tbx::kFrameRenderRoom);
    if (!movie.RenderFrame(tbx::TimeValue(time), tbx::FramePixels::Rgb24, rgb.data(), rgb.size(),
                           kWidth * 3, kWidth, kHeight))
        return {};
    rgb.resize(std::size_t(kWidth * kHeight * 3));
    return rgb;
}

// The frame number that the movie shows at `time`, or -1.
int Shown(tbx::Movie& movie, int64_t time) {
    const std::vector<uint8_t> rgb = Rendered(movie, time);
    return rgb.empty() ? -1
                       : FrameOfColour(&rgb[std::size_t((kHeight / 2 * kWidth + kWidth / 2) * 3)]);
}

// Where beeps start in 16-bit mono sound: over 0.3 of full scale after 0.15 s under it, for a
// third of the 45 ms after, and never near full scale in the 90 ms after (not a click or a burst of
// noise where damage breaks the sound).
std::vector<int64_t> Beeps(const std::string& pcm, int rate) {
    std::vector<int64_t> beeps;
    const auto* samples = reinterpret_cast<const int16_t*>(pcm.data());
    const int64_t count = int64_t(pcm.size() / 2), span = rate * 45 / 1000;
    auto loud = [&](int64_t i) { return std::abs(int(samples[i])) > 9830; };
    int64_t last = -rate;
    for (int64_t i = 0; i < count; ++i) {
        if (!loud(i))
            continue;
        if (i - last > int64_t(kMargin * rate)) {
            int64_t held = 0;
            for (int64_t j = i; j < std::min(count, i + span); ++j)
                held += loud(j);
            if (held * 3 >= span)
                beeps.push_back(i);
        }
        last = i;
    }
    return beeps;
}

void CheckRow(const TempDir& dir, const Row& row, std::map<std::string, std::string>& made) {
    const std::filesystem::path file = MakeRow(dir, row, made);
    const std::string name = row.File() + (*row.note ? std::string(" (") + row.note + ")" : "");
    const int rate = row.codecs->rate;
    if (row.large) {
        const int64_t before = BytesRead();
        std::unique_ptr<tbx::Movie> jumped = tbx::Movie::Open(file.string());
        ASSERT_TRUE(jumped) << name;
        EXPECT_LT(BytesRead() - before, int64_t(std::filesystem::file_size(file) * 3 / 4))
            << name << ": bytes read to open it, of " << std::filesystem::file_size(file);
        // A first jump far into it (past what its reader has gathered of its key pictures) shows
        // the picture that a read in order shows there.
        const tbx::TimeValue middle = jumped->GetDuration() * 5 / 8, step = jumped->GetTimeScale();
        std::unique_ptr<tbx::Movie> inOrder = tbx::Movie::Open(file.string());
        ASSERT_TRUE(inOrder) << name;
        auto render = [&](tbx::Movie& movie, tbx::TimeValue at) {
            std::vector<uint8_t> rgb = Rendered(movie, at);
            EXPECT_FALSE(rgb.empty()) << name << " at " << at;
            return rgb;
        };
        const std::vector<uint8_t> there = render(*jumped, middle);
        for (tbx::TimeValue at = 0; at < middle; at += step)
            render(*inOrder, at);
        EXPECT_TRUE(render(*inOrder, middle) == there)
            << name << ": the picture at " << middle << " after a jump";
        return;
    }
    std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
    ASSERT_TRUE(movie && movie->HasSound()) << name << " opens with sound";
    ASSERT_EQ(movie->HasVideo(), row.movie) << name;
    tbx::PcmForm form;
    form.channels = 1;
    ASSERT_TRUE(movie->SetPcmForm(form)) << name;
    movie->SetTimeScale(rate); // a time is a sample
    const int64_t duration = movie->GetDuration();
    ASSERT_GT(duration, 0) << name;

    // Reads from the movie just opened: its first second, one across its end, then jumps; then
    // the whole read.
    std::mt19937 random(62);
    std::vector<std::pair<int64_t, std::vector<uint8_t>>> jumps = {
        {0, {}}, {std::max<int64_t>(0, duration - rate / 3), {}}};
    for (int i = 0; i < 8; ++i)
        jumps.push_back({int64_t(random() % uint64_t(duration)), {}});
    for (std::size_t i = 0; i < jumps.size(); ++i)
        ASSERT_TRUE(movie->ReadPcm(tbx::TimeValue(jumps[i].first),
                                   i < 2 ? rate : tbx::TimeValue(1 + random() % uint32_t(rate)),
                                   jumps[i].second))
            << name << " at " << jumps[i].first;
    std::vector<uint8_t> read;
    ASSERT_TRUE(movie->ReadPcm(0, tbx::TimeValue(duration), read)) << name;
    const std::string whole(read.begin(), read.end());
    EXPECT_EQ(int64_t(whole.size() / 2), duration) << name << ": the length is what reads";
    for (const auto& [at, piece] : jumps)
        EXPECT_TRUE(std::string(piece.begin(), piece.end()) ==
                    whole.substr(std::size_t(at) * 2, piece.size()))
            << name << ": " << piece.size() / 2 << " samples at " << at << " after a jump"
            << (std::all_of(piece.begin(), piece.end(), [](uint8_t b) { return b == 0; })
                    ? ", all silent"
                    : "");

    // ffmpeg's samples, in order, with silence only where the row allows it (for a movie, from
    // the same run of ffmpeg as its pictures).
    const auto sound = dir / (row.File() + ".pcm");
    const std::vector<DecodedPicture> decoded =
        row.movie ? DecodedPictures(file, kWidth / 2, kHeight / 2, row.codecs->decoding, sound)
                  : std::vector<DecodedPicture>();
    const std::string reference =
        row.movie ? ReadFileBytes(sound) : Converted(file, 0, 1, row.codecs->decoding);
    std::vector<Span> silence = row.silence;
    if (!row.steps.empty()) {
        const std::vector<double> steps = SoundSteps(file);
        EXPECT_EQ(steps.size(), row.steps.size()) << name << ": steps of the sound's times";
        for (std::size_t i = 0; i < std::min(steps.size(), row.steps.size()); ++i)
            EXPECT_NEAR(steps[i], row.steps[i], 0.6) << name << ": step " << i;
        silence = ClosedOrKept(steps);
    }
    const bool exact = !row.held && silence.size() == 1 && silence[0].high == 0;
    // Found up to two seconds further than the row allows, to say how far off it is.
    const Holding held =
        HoldsInOrder(whole, reference, 2, 4096, int64_t((silence.back().high + 2) * rate), exact);
    EXPECT_EQ(held.fault, "") << name << ": " << held.inserted << " samples put in";
    // Where the file's times put the end of ffmpeg's last decoded picture (ffmpeg's command line
    // moves its timeline where a program stream's times step back).
    auto ffmpegPictureEnd = [&] {
        return Probed(file, "frame=best_effort_timestamp_time,duration_time", "v:0");
    };
    int64_t cut = 0;
    if (row.endsWithPicture) { // what ffmpeg's samples, from their first, have past it
        cut = std::max<int64_t>(0, std::llround((SoundStart(file) - ffmpegPictureEnd()) * rate) +
                                       int64_t(reference.size() / 2)) +
              rate / 1000;
    }
    EXPECT_LE(held.cut, cut) << name << ": the read ends " << held.cut
                             << " frames before ffmpeg's sound";
    const double lead = double(held.lead) / rate, inserted = double(held.inserted) / rate;
    // A movie's sound may start after its picture (where its first packets decode to nothing).
    EXPECT_LE(lead, row.movie ? 0.1 : 0.0) << name << ": silence before the sound";
    if (row.lost) { // to within the packet or two that the damage breaks
        const double lost =
            double(Converted(dir / ("intact-" + row.File()), 0, 1, row.codecs->decoding).size() -
                   reference.size()) /
            2 / rate;
        silence = {{lost - 0.1, lost + 0.1}};
    }
    EXPECT_TRUE(std::any_of(silence.begin(), silence.end(),
                            [&](const Span& s) { return s.Holds(inserted); }))
        << name << ": " << inserted << " s of silence put in at " << held.places << " places, for "
        << silence.back().high << " s at most";
    const double tail = double(held.tail) / rate;
    if (!row.movie) {
        EXPECT_LE(tail, row.held ? 0.05 : 0.0) << name << ": silence after the sound";
        return;
    }

    // Pictures in order, twice in each frame's time wherever the frames fall, and after jumps.
    const int64_t frames = duration * 2 * kFps / rate;
    auto frameTime = [&](int64_t k) { return k * rate / (2 * kFps); };
    std::vector<int> inOrder;
    for (int64_t k = 0; k < frames; ++k)
        inOrder.push_back(Shown(*movie, frameTime(k)));
    for (int i = 0; i < 30; ++i) {
        const int64_t k = int64_t(random() % uint64_t(frames));
        const int shown = Shown(*movie, frameTime(k));
        EXPECT_LE(std::abs(shown - inOrder[std::size_t(k)]), 1)
            << name << ": frame " << shown << " after a jump to " << frameTime(k) << ", "
            << inOrder[std::size_t(k)] << " in order";
    }
    auto lies = [&](int frame) {
        return std::any_of(row.lying.begin(), row.lying.end(),
                           [&](const Span& s) { return s.Holds(double(frame) / kFps); });
    };
    // The pictures that ffmpeg decodes, each shown that ffmpeg's timeline shows for a while, in
    // order, and no other.
    std::set<int> ffmpeg, shownByFfmpeg, ours(inOrder.begin(), inOrder.end());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const int frame = FrameOfColour(decoded[i].rgb);
        ffmpeg.insert(frame);
        if (i + 1 == decoded.size() || decoded[i + 1].time != decoded[i].time)
            shownByFfmpeg.insert(frame);
    }
    ffmpeg.erase(-1), shownByFfmpeg.erase(-1), ours.erase(-1);
    std::vector<int> missing, foreign;
    std::set_difference(shownByFfmpeg.begin(), shownByFfmpeg.end(), ours.begin(), ours.end(),
                        std::back_inserter(missing));
    std::set_difference(ours.begin(), ours.end(), ffmpeg.begin(), ffmpeg.end(),
                        std::back_inserter(foreign));
    std::erase_if(missing, lies);
    // Damage may break a picture or two next to it, differently in each decoding.
    EXPECT_TRUE(missing.size() <= (row.held ? 2u : 0u) && foreign.size() <= (row.held ? 2u : 0u))
        << name << ": " << missing.size() << " of ffmpeg's pictures not shown (the first "
        << (missing.empty() ? -1 : missing[0]) << "), " << foreign.size() << " not ffmpeg's";
    int last = -1;
    for (int64_t k = 0; k < frames; ++k) {
        const int shown = inOrder[std::size_t(k)];
        if (shown < 0 || lies(shown))
            continue;
        EXPECT_GE(shown, last) << name << ": back to frame " << shown << " at "
                               << double(frameTime(k)) / rate << " s";
        if (shown < last)
            break;
        last = shown;
    }

    // Each beep heard where the picture of its instant shows, within 40 ms (but for those heard
    // after the last picture, where the sound lasts longer); all the beeps that the movie's
    // length holds heard.
    std::size_t lastFrame = inOrder.size();
    while (lastFrame > 0 && inOrder[lastFrame - 1] == inOrder.back())
        --lastFrame;
    const double pictureEnd = double(lastFrame) / (2 * kFps) + 1.0 / kFps;
    int64_t expected = 0, together = 0, apart = 0;
    const double seconds = std::min(row.Seconds(), row.begins + double(duration) / rate);
    for (int64_t slot = 0; BeepAt(slot) < seconds; ++slot)
        if (BeepAt(slot) >= row.begins && !lies(int(std::floor(BeepAt(slot) * kFps))))
            expected += std::any_of(row.parts.begin(), row.parts.end(),
                                    [&](const Part& p) { return p.Beeps(BeepAt(slot)); });
    std::string first;
    // Where damage leaves a picture that cannot decode, the last one stays until a key picture.
    auto frozen = [&](int frame) {
        return row.held && std::count(inOrder.begin(), inOrder.end(), frame) > 3;
    };
    for (int64_t at : Beeps(whole, rate)) {
        const int frame = Shown(*movie, at);
        if ((frame >= 0 && lies(frame)) || frozen(frame) ||
            (frame == inOrder.back() && double(at) / rate > pictureEnd))
            continue;
        const double from = double(frame) / kFps, to = from + 1.0 / kFps;
        const int64_t slot = int64_t(std::floor((from + 0.5 / kFps) / kSlot));
        double beep = BeepAt(slot);
        for (int64_t s : {slot - 1, slot + 1})
            if (std::abs(BeepAt(s) - from) < std::abs(beep - from))
                beep = BeepAt(s);
        // How much later the beep is than the picture of its instant.
        const double late = beep < from ? from - beep : beep > to ? to - beep : 0;
        if (frame >= 0 && late <= kTogether + kDecoderDelay && late >= -kTogether) {
            ++together;
        } else if (apart++ == 0) {
            first = "a beep heard at " + std::to_string(double(at) / rate) + " s beside frame " +
                    std::to_string(frame) + ", " + std::to_string(late) + " s from its own";
        }
    }
    // Damage may leave the pictures next to it out of place until the next key picture.
    EXPECT_LE(apart, row.held ? 1 : 0)
        << name << ": " << apart << " beeps apart from their pictures, " << first;
    EXPECT_GE(together * 10, expected * (row.held ? 5 : 9))
        << name << ": of " << expected << " beeps";

    // Picture and sound end together, as their recordings do; where a file is cut short, its
    // sound ends where ffmpeg's decoding of it ends the sound from its last picture (a muxer may
    // interleave the sound well ahead of the picture, so a cut takes more of one).
    const auto* samples = reinterpret_cast<const int16_t*>(whole.data());
    std::size_t soundEnd = whole.size() / 2;
    while (soundEnd > 0 && std::abs(int(samples[soundEnd - 1])) < 200)
        --soundEnd;
    const double after = double(soundEnd) / rate - pictureEnd;
    double recorded = row.parts.back().Sound() - row.parts.back().seconds;
    if (row.held && !row.lost)
        recorded = Probed(file, "frame=pts_time,duration_time", "a:0") - ffmpegPictureEnd();
    // Damage may break a picture or two next to it, differently in each decoding.
    EXPECT_NEAR(after, recorded, 0.1 + (row.held ? 2.0 / kFps : 0))
        << name << ": the sound ends " << after << " s after the picture, " << recorded
        << " s in the recordings or ffmpeg's decoding";
    EXPECT_NEAR(double(duration) / rate, std::max(pictureEnd, double(soundEnd) / rate), 0.1)
        << name << ": the movie's length";
}

class TimelineShapes : public ::testing::TestWithParam<std::string> {};

TEST_P(TimelineShapes, ReadAsFfmpegDecodesThemWithPictureAndSoundTogether) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    std::map<std::string, std::string> made;
    for (const Row& row : Table())
        if (row.Group() == GetParam())
            CheckRow(dir, row, made);
}

INSTANTIATE_TEST_SUITE_P(Containers, TimelineShapes, ::testing::ValuesIn(Groups()),
                         [](const auto& info) { return info.param; });

} // namespace
