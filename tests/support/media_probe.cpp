#include "tests/support/media_probe.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/tools.h"

namespace stravel::testing {

bool MakeTestClip(const std::filesystem::path& file) {
    const ToolResult result = RunTool(
        {"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=s=97x61:r=25:d=2", "-f", "lavfi",
         "-i", "sine=f=440:r=22050:d=2", "-c:v", "png", "-c:a", "pcm_s16le", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.exitCode == 0;
}

std::map<std::string, std::string> ProbeStreams(const std::filesystem::path& file) {
    const ToolResult result =
        RunTool({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                 "stream=codec_type,codec_name,width,height,avg_frame_rate,sample_rate,"
                 "nb_read_frames:format=duration",
                 "-of", "flat", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> values;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t eq = line.find('='); eq != std::string::npos) {
            std::string value = line.substr(eq + 1);
            if (value.size() >= 2 && value.front() == '"')
                value = value.substr(1, value.size() - 2);
            values[line.substr(0, eq)] = value;
        }
    return values;
}

} // namespace stravel::testing
