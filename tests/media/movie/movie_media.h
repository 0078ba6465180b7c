// Test media made with ffmpeg from its own generators, and what ffprobe says about them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/tools.h"

namespace movietest {

using stravel::testing::RunTool;

// Runs ffmpeg with the arguments, writing `out`; fails the test when ffmpeg fails.
inline bool Make(const std::vector<std::string>& args, const std::filesystem::path& out) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(out.string());
    auto result = RunTool(argv);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.exitCode == 0;
}

// A clip whose frame N is coloured red 16 × (N mod 16), green 16 × (N / 16), blue 128.
inline std::string IndexedColours(int fps, double seconds, const std::string& size = "64x48") {
    std::ostringstream s;
    s << "color=c=black:s=" << size << ":r=" << fps << ":d=" << seconds
      << ",format=rgb24,geq=r='16*mod(N,16)':g='16*trunc(N/16)':b=128";
    return s.str();
}

// The frame index that a decoded colour encodes, or -1.
inline int IndexOfColour(const uint8_t* rgb) {
    const int low = (rgb[0] + 8) / 16, high = (rgb[1] + 8) / 16;
    if (std::abs(rgb[0] - low * 16) > 6 || std::abs(rgb[1] - high * 16) > 6)
        return -1;
    return high * 16 + low;
}

struct StreamTimes {
    int64_t num = 1, den = 1; // time base
    int64_t start = 0;
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
    return times;
}

} // namespace movietest
