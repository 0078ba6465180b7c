// What ffmpeg makes of a sound file, and what reading it costs, for the sound reader's tests.
#pragma once

#include <algorithm>
#include <charconv>
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

// A number that ffprobe states of the file: `entries` as -show_entries takes them, of the
// streams `streams` selects (empty: all), the largest where it states several.
inline double Probed(const std::filesystem::path& file, const std::string& entries,
                     const std::string& streams = {}) {
    std::vector<std::string> argv = {"ffprobe", "-v", "error"};
    if (!streams.empty())
        argv.insert(argv.end(), {"-select_streams", streams});
    argv.insert(argv.end(), {"-show_entries", entries, "-of", "csv=p=0", file.string()});
    std::istringstream lines(stravel::testing::RunTool(argv).out);
    double largest = 0;
    for (std::string line; std::getline(lines, line);) {
        // A line of several values sums them: a frame's time and its duration.
        double sum = 0;
        std::istringstream values(line);
        for (std::string value; std::getline(values, value, ',');) {
            double v = 0;
            std::from_chars(value.data(), value.data() + value.size(), v);
            sum += v;
        }
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

} // namespace soundtest
