// Test media made with ffmpeg from its own generators, and what ffprobe says about them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "media/image/image.h"
#include "media/movie/quicktime_movie.h"
#include "tests/support/tools.h"

namespace movietest {

using stravel::testing::Make;
using stravel::testing::RunTool;

// The samples of a sound request, which hands them over; `bytes` is read once the request has
// set it.
inline std::string Take(uint8_t* samples, const uint32_t& bytes) {
    std::unique_ptr<uint8_t[]> owned(samples);
    return owned ? std::string(reinterpret_cast<char*>(owned.get()), bytes) : std::string();
}

// A clip whose frame N is coloured red 16 × (M mod 16), green 16 × (M / 16), blue 128, where
// M = N + first.
inline std::string IndexedColours(int fps, double seconds, const std::string& size = "64x48",
                                  int first = 0) {
    std::ostringstream s;
    s << "color=c=black:s=" << size << ":r=" << fps << ":d=" << seconds
      << ",format=rgb24,geq=r='16*mod(N+" << first << ",16)':g='16*trunc((N+" << first
      << ")/16)':b=128";
    return s.str();
}

// The frame index that a decoded colour encodes, or -1.
inline int IndexOfColour(const uint8_t* rgb) {
    const int low = (rgb[0] + 8) / 16, high = (rgb[1] + 8) / 16;
    if (std::abs(rgb[0] - low * 16) > 6 || std::abs(rgb[1] - high * 16) > 6)
        return -1;
    return high * 16 + low;
}

// A number that ffprobe reports for the whole file ("duration", "start_time"), or -1.
inline double ProbeFormat(const std::filesystem::path& file, const std::string& key) {
    auto result = RunTool({"ffprobe", "-v", "error", "-show_entries", "format=" + key, "-of",
                           "csv=p=0", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.exitCode == 0 && !result.out.empty() ? std::stod(result.out) : -1;
}

struct StreamTimes {
    int64_t num = 1, den = 1; // time base
    int64_t start = 0;
    int64_t origin = 0;       // movie time 0: the earliest start of any stream
    std::vector<int64_t> pts; // presentation times of the frames, in display order
};

// The first video stream's time base, start and frame times, as ffprobe decodes them.
inline StreamTimes ProbeFrameTimes(const std::filesystem::path& file) {
    StreamTimes times;
    auto result = RunTool({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                           "stream=time_base,start_pts:frame=best_effort_timestamp", "-of", "flat",
                           file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key.ends_with(".time_base"))
            std::sscanf(value.c_str(), "\"%ld/%ld\"", &times.num, &times.den);
        else if (key.ends_with(".start_pts"))
            times.start = std::stoll(value);
        else if (key.ends_with(".best_effort_timestamp"))
            times.pts.push_back(std::stoll(value));
    }
    std::sort(times.pts.begin(), times.pts.end());
    // The file's start has microseconds: within a unit of the stream's own it is the same.
    times.origin = std::llround(ProbeFormat(file, "start_time") * double(times.den) / times.num);
    if (std::abs(times.origin - times.start) <= 1)
        times.origin = times.start;
    return times;
}

// The times of the first video stream's frames as ffmpeg decodes the file in order beside its
// first sound stream: its own timeline, from the earlier stream's start, which goes on across
// times that restart (recordings joined end to end), in the order of the frames. ffmpeg takes
// an FLV file's times to restart only where it is told the file is live (the same reader).
inline StreamTimes DecodedFrameTimes(const std::filesystem::path& file) {
    StreamTimes times;
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-nostats"};
    if (file.extension() == ".flv")
        argv.insert(argv.end(), {"-f", "live_flv"});
    argv.insert(argv.end(), {"-i", file.string(), "-map", "0:v:0", "-map", "0:a:0?", "-vf",
                             "showinfo", "-f", "null", "-"});
    auto result = RunTool(argv);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.err);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Parsed_showinfo") == std::string::npos)
            continue;
        if (const std::size_t base = line.find("config in time_base: "); base != std::string::npos)
            std::sscanf(line.c_str() + base + 21, "%ld/%ld", &times.num, &times.den);
        else if (const std::size_t pts = line.find(" pts:"); pts != std::string::npos)
            times.pts.push_back(std::stoll(line.substr(pts + 5)));
    }
    return times;
}

// Opens a movie made by ffmpeg.
inline bool OpenMade(CBK_QuicktimeMovie& movie, const std::filesystem::path& file) {
    CBK_Path path(file.wstring());
    return movie.Open(path);
}

// Every time k × 600 / fps must show the last frame whose time on ffmpeg's timeline is at or
// before it (before the first frame the first). Each rate starts again from time 0, so every
// pass after the first seeks back; a last pass jumps both ways in a random order. The frames
// are told by their colours, M from `first` on (IndexedColours).
inline void ExpectFrameExact(const std::filesystem::path& file, int first = 0) {
    const StreamTimes times = DecodedFrameTimes(file);
    ASSERT_FALSE(times.pts.empty());
    CBK_QuicktimeMovie movie;
    ASSERT_TRUE(OpenMade(movie, file));
    ASSERT_EQ(movie.GetTimeScale(), 600);
    const int64_t duration = movie.GetTotalSamples();
    ASSERT_GT(duration, 0);
    // The movie lasts until its last frame has been shown for as long as it is shown.
    const int64_t last = times.pts.back() * times.num * 600 / times.den;
    EXPECT_GT(duration, last) << file.filename();
    EXPECT_LT(duration, last + 600 / 2) << file.filename();
    CBK_Image image;
    // False, after a failure, where the frame is not the one expected.
    auto expect = [&](int64_t t, const std::string& pass) {
        const int64_t stamp = t * times.den / (600 * times.num);
        int expected = 0;
        for (std::size_t i = 0; i < times.pts.size(); ++i)
            if (times.pts[i] <= stamp)
                expected = int(i);
        const bool drawn = movie.GetRgbFrameImage(uint32_t(t), image, nullptr, 24);
        const int shown =
            drawn ? IndexOfColour(image.GetDataAt(image.GetWidth() / 2, image.GetHeight() / 2))
                  : -1;
        EXPECT_EQ(shown, expected + first)
            << file.filename() << " at " << t << "/600 (" << pass << ")";
        return shown == expected + first;
    };
    for (int fps : {12, 15, 25, 30})
        for (int64_t k = 0; k * 600 / fps <= duration + 600 / fps; ++k)
            if (!expect(k * 600 / fps, std::to_string(fps) + " fps"))
                return;
    std::mt19937 random(3);
    for (int i = 0; i < 60; ++i)
        if (!expect(int64_t(random() % uint32_t(duration)), "jumps"))
            return;
}

} // namespace movietest
