// Test clips made by ffmpeg, and what ffprobe reports of a file.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace stravel::testing {

// Two seconds of 97 × 61 lossless frames at 25 a second with a 440 Hz tone at 22,050 Hz.
bool MakeTestClip(const std::filesystem::path& file);

// ffprobe's flat report of the streams (frames counted) and the format, quotes removed:
// "streams.stream.0.codec_name" → "h264", "format.duration" → "2.000000".
std::map<std::string, std::string> ProbeStreams(const std::filesystem::path& file);

} // namespace stravel::testing
