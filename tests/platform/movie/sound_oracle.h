// What ffmpeg makes of a sound or movie file, how a read holds it, and what reading it costs, for
// the movie and sound readers' tests.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/tools.h"

namespace soundtest {

// The samples per channel of every frame that ffmpeg decodes.
inline int64_t DecodedSamples(const std::filesystem::path& file) {
    std::istringstream frames(
        stravel::testing::RunTool({"ffprobe", "-v", "error", "-select_streams", "a:0",
                                   "-show_entries", "frame=nb_samples", "-of", "csv=p=0",
                                   file.string()})
            .out);
    int64_t total = 0;
    for (int64_t n = 0; frames >> n;)
        total += n;
    return total;
}

// The values that ffprobe gives of `entries` (as "packet=pts_time,duration_time") for each packet
// or frame, or for the stream or the format, of `streams`, a line each, with `options` (as
// "-read_intervals") before them: NaN where one is not a number.
inline std::vector<std::vector<double>> ProbedLines(const std::filesystem::path& file,
                                                    const std::string& entries,
                                                    const std::string& streams = {},
                                                    const std::vector<std::string>& options = {}) {
    std::vector<std::string> argv = {"ffprobe", "-v", "error"};
    if (!streams.empty())
        argv.insert(argv.end(), {"-select_streams", streams});
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"-show_entries", entries, "-of", "csv=p=0", file.string()});
    std::istringstream lines(stravel::testing::RunTool(argv).out);
    std::vector<std::vector<double>> values;
    for (std::string line; std::getline(lines, line);) {
        std::vector<double>& row = values.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) {
            double v = std::nan("");
            std::from_chars(field.data(), field.data() + field.size(), v);
            row.push_back(v);
        }
    }
    return values;
}

// A number that ffprobe states of the file: `entries` as -show_entries takes them, of the
// streams `streams` selects (empty: all), the largest where it states several.
inline double Probed(const std::filesystem::path& file, const std::string& entries,
                     const std::string& streams = {}) {
    double largest = 0;
    for (const std::vector<double>& line : ProbedLines(file, entries, streams)) {
        // A line of several values sums them: a frame's time and its duration.
        double sum = 0;
        for (double v : line)
            sum += std::isnan(v) ? 0 : v;
        largest = std::max(largest, sum);
    }
    return largest;
}

// What ffmpeg makes of the whole sound as 16-bit PCM at `rate` (0: its own) and `channels`,
// decoding with `decoding` (input options).
inline std::string Converted(const std::filesystem::path& file, int rate, int channels,
                             const std::vector<std::string>& decoding = {}) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error"};
    argv.insert(argv.end(), decoding.begin(), decoding.end());
    argv.insert(argv.end(), {"-i", file.string(), "-map", "0:a"});
    if (rate > 0)
        argv.insert(argv.end(), {"-ar", std::to_string(rate)});
    argv.insert(argv.end(), {"-ac", std::to_string(channels), "-f", "s16le", "-"});
    return stravel::testing::RunTool(argv).out;
}

// Where the times of the file's sound step ahead by more than a second between one packet's end
// and the next packet, in seconds, in order: what a muxer's own start leaves of a step it was
// asked to write.
inline std::vector<double> SoundSteps(const std::filesystem::path& file) {
    std::vector<double> steps;
    double end = std::nan("");
    for (const std::vector<double>& line :
         ProbedLines(file, "packet=pts_time,duration_time", "a:0")) {
        const double at = line.empty() ? std::nan("") : line[0];
        const double lasts = line.size() > 1 && !std::isnan(line[1]) ? line[1] : 0;
        if (std::isnan(at))
            continue;
        if (at - end > 1)
            steps.push_back(at - end);
        end = at + lasts;
    }
    return steps;
}

// A picture that ffmpeg decodes: its time on ffmpeg's timeline (NaN where its packet's time was
// none ffmpeg could use; ffmpeg shows it all the same, in its place in the order) and the colour
// of one pixel.
struct DecodedPicture {
    double time;
    uint8_t rgb[3];
};

// Every picture that ffmpeg decodes of the file's first picture stream, in the order decoded and
// none made up or dropped for a frame rate, with the colour at (x, y), both even. Where `sound`
// is given, what Converted(file, 0, 1, decoding) gives is written there in the same run.
inline std::vector<DecodedPicture> DecodedPictures(const std::filesystem::path& file, int x, int y,
                                                   const std::vector<std::string>& decoding = {},
                                                   const std::filesystem::path& sound = {}) {
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-nostats", "-y"};
    argv.insert(argv.end(), decoding.begin(), decoding.end());
    argv.insert(argv.end(),
                {"-i", file.string(), "-map", "0:v:0", "-fps_mode", "passthrough", "-vf",
                 "crop=2:2:" + std::to_string(x) + ":" + std::to_string(y) + ",showinfo", "-f",
                 "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (!sound.empty())
        argv.insert(argv.end(), {"-map", "0:a", "-ac", "1", "-f", "s16le", sound.string()});
    const stravel::testing::ToolResult result = stravel::testing::RunTool(argv);
    std::vector<DecodedPicture> pictures;
    std::istringstream lines(result.err);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find(" pts_time:");
        if (line.find("Parsed_showinfo") == std::string::npos || at == std::string::npos)
            continue;
        const std::size_t data = pictures.size() * 12;
        if (data + 3 > result.out.size())
            break;
        DecodedPicture picture{std::nan(""), {}};
        const char* time = line.c_str() + at + 10;
        std::from_chars(time, line.c_str() + line.size(), picture.time);
        std::copy_n(result.out.begin() + std::ptrdiff_t(data), 3, picture.rgb);
        pictures.push_back(picture);
    }
    return pictures;
}

// How a read holds ffmpeg's decoding of the same sound: frames of silence before the first of
// ffmpeg's samples, put in between them (where the reader keeps time that ffmpeg's decoding
// closes: a loss, a step of the times) and after the last; frames of ffmpeg's that the read ends
// before; or what is wrong.
struct Holding {
    int64_t lead = 0, inserted = 0, tail = 0, places = 0;
    int64_t cut = 0; // frames of ffmpeg's sound after the read's end
    std::string
        fault; // empty where every sample of ffmpeg's up to the read's end is in it, in order
};

// Where the two differ other than by silence put in, ffmpeg's samples must go on in the read
// within `settle` frames (a decoder that starts again after a gap), and no later than `most`
// frames of silence on; where `exact`, the read must be ffmpeg's samples after a lead of silence,
// and what it holds instead is measured all the same.
inline Holding HoldsInOrder(const std::string& read, const std::string& reference,
                            std::size_t frame, int64_t settle, int64_t most, bool exact) {
    Holding held;
    std::size_t i = 0, j = 0; // bytes of the read and of ffmpeg's decoding matched so far
    auto zeros = [](const std::string& bytes, std::size_t from, std::size_t length) {
        return std::all_of(bytes.begin() + std::ptrdiff_t(from),
                           bytes.begin() + std::ptrdiff_t(from + length),
                           [](char c) { return c == 0; });
    };
    for (;;) {
        const std::size_t limit = std::min(read.size() - i, reference.size() - j);
        std::size_t same = std::size_t(std::mismatch(read.begin() + std::ptrdiff_t(i),
                                                     read.begin() + std::ptrdiff_t(i + limit),
                                                     reference.begin() + std::ptrdiff_t(j))
                                           .first -
                                       (read.begin() + std::ptrdiff_t(i)));
        same -= same % frame;
        i += same, j += same;
        if (j == reference.size())
            break;
        const std::string at = " (ffmpeg's frame " + std::to_string(j / frame) + ", the read's " +
                               std::to_string(i / frame) + ")";
        if (i == read.size()) {
            held.cut = int64_t((reference.size() - j) / frame);
            return held;
        }
        if (exact && j > 0 && held.fault.empty())
            held.fault = "the read differs from ffmpeg's sound" + at;
        // The rest of ffmpeg's sound is found where the decoder has settled, unless what is left
        // is too short or silent to be found: then the read must last as long.
        const std::size_t from = j + std::size_t(j > 0 ? settle : 0) * frame;
        const std::size_t probe = std::min<std::size_t>(2048 * frame, reference.size() - from);
        if (from >= reference.size() || zeros(reference, from, probe)) {
            if (read.size() - i < reference.size() - j)
                held.fault += "; the read ends before ffmpeg's sound" + at;
            i += reference.size() - j, j = reference.size();
            break;
        }
        const std::size_t found = read.find(reference.substr(from, probe), i);
        if (found == std::string::npos || found > i + (from - j) + std::size_t(most) * frame) {
            held.fault += "; ffmpeg's sound is not found in the read after a change" + at;
            return held;
        }
        const int64_t put = (int64_t(found - i) - int64_t(from - j)) / int64_t(frame);
        if (put < 0) {
            held.fault +=
                "; the read leaves out " + std::to_string(-put) + " frames of ffmpeg's" + at;
            return held;
        }
        (j == 0 ? held.lead : held.inserted) += put;
        held.places += j > 0 && put > 0;
        i = found, j = from;
    }
    held.tail = int64_t((read.size() - i) / frame);
    return held;
}

// Bytes that this process has read from files so far, or -1 where the kernel does not count.
inline int64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

// The sound that the reader's tests are made from: pink noise on each channel, a tone on the
// left, `seconds` long at `rate`; where `gain` (an expression of the time t) is given, its
// frames are multiplied by it, so that a gain of 0 makes digital silence.
inline std::vector<std::string> TestSound(double seconds, int rate, const char* gain = nullptr) {
    const std::string d = std::to_string(seconds), r = std::to_string(rate);
    const std::string noise = "anoisesrc=d=" + d + ":c=pink:r=" + r + ":a=0.25:seed=";
    const std::string gated = gain ? std::string(",volume='") + gain + "':eval=frame" : "";
    return {"-filter_complex",
            noise + "11[a];" + noise + "12[b];sine=f=300:r=" + r + ":d=" + d +
                "[s];[a][s]amix=inputs=2:normalize=0[l];[b][l]amerge=inputs=2" + gated + "[o]",
            "-map", "[o]"};
}

// Where ffmpeg's decoding puts the first sample of a file's sound, in seconds: the earliest that
// its first decoded frames' times put it, each reckoned back by the samples of the frames before
// it (so that frames of a first packet whose time lies ahead do not put it).
inline double SoundStart(const std::filesystem::path& file) {
    const double rate = Probed(file, "stream=sample_rate", "a:0");
    double start = 1e18, before = 0;
    if (rate <= 0)
        return start;
    for (const std::vector<double>& line :
         ProbedLines(file, "frame=pts_time,nb_samples", "a:0", {"-read_intervals", "%+#16"})) {
        if (line.size() < 2 || std::isnan(line[0]) || std::isnan(line[1]))
            continue;
        start = std::min(start, line[0] - before / rate);
        before += line[1];
    }
    return start;
}

// Samples at `rate` from a movie's start (its earliest stream's) to where ffmpeg's timeline puts
// the first sample of its sound, its first decoded frame (after packets that only prime the
// decoder, as WMA's first two), or 0 where that is before the start.
inline int64_t SoundLead(const std::filesystem::path& file, int rate) {
    const std::vector<std::vector<double>> first =
        ProbedLines(file, "frame=pts_time", "a:0", {"-read_intervals", "%+#16"});
    const double at =
        !first.empty() && !first[0].empty() && !std::isnan(first[0][0]) ? first[0][0] : 0;
    return std::max<int64_t>(0, std::llround((at - Probed(file, "format=start_time")) * rate));
}

// Where the read of a movie's sound (`read`, frames of `frame` bytes at `rate`) starts ffmpeg's
// decoding of it (`reference`): at its start, or within a millisecond and a sample, either way, of
// where ffmpeg's timeline puts it (SoundLead), which keeps times to the millisecond; there where
// neither starts it.
inline int64_t FoundLead(const std::filesystem::path& file, const std::string& read,
                         const std::string& reference, std::size_t frame, int rate) {
    // Compared from ffmpeg's first sample that is not silent.
    std::size_t sound = reference.find_first_not_of('\0');
    sound = sound == std::string::npos ? 0 : sound / frame * frame;
    const std::size_t probe = std::min<std::size_t>(reference.size() - sound, 1024 * frame);
    auto starts = [&](int64_t at) {
        return read.compare(std::size_t(at) * frame + sound, probe, reference, sound, probe) == 0;
    };
    const int64_t lead = SoundLead(file, rate), slack = rate / 1000 + 1;
    if (starts(0))
        return 0;
    for (int64_t at = std::max<int64_t>(1, lead - slack); at <= lead + slack; ++at)
        if (starts(at))
            return at;
    return lead;
}

} // namespace soundtest
