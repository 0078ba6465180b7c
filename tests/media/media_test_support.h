// Pictures and file helpers shared by the media tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/paths/path.h"

namespace mediatest {

inline CBK_Path PathOf(const std::filesystem::path& p) {
    return CBK_Path(p.wstring());
}

inline std::vector<uint8_t> Noise(int w, int h, int channels, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(size_t(w) * h * channels);
    for (auto& b : v)
        b = uint8_t(rng());
    return v;
}

// Gradients in each channel with a little noise: compresses like a photograph.
inline std::vector<uint8_t> Smooth(int w, int h, int channels, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(size_t(w) * h * channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c)
                v[(size_t(y) * w + x) * channels + c] =
                    uint8_t((x * 255 / (w > 1 ? w - 1 : 1)) * (c == 0) +
                            (y * 255 / (h > 1 ? h - 1 : 1)) * (c == 1) + (x + y) * 3 * (c >= 2) +
                            (rng() & 3));
    return v;
}

inline std::vector<uint8_t> ToBytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

// A binary PNM (P5 grey or P6 colour, maximum 255) as red-green-blue pixels.
inline bool ParsePnm(const std::string& data, int& w, int& h, std::vector<uint8_t>& rgb) {
    std::istringstream in(data);
    std::string magic;
    int maxval = 0;
    in >> magic >> w >> h >> maxval;
    if ((magic != "P6" && magic != "P5") || maxval != 255 || w <= 0 || h <= 0)
        return false;
    in.get();
    const size_t channels = magic == "P6" ? 3 : 1;
    std::string body(size_t(w) * h * channels, '\0');
    if (!in.read(body.data(), std::streamsize(body.size())))
        return false;
    rgb.clear();
    for (size_t i = 0; i < size_t(w) * h; ++i)
        for (int c = 0; c < 3; ++c)
            rgb.push_back(uint8_t(body[i * channels + (channels == 3 ? c : 0)]));
    return true;
}

} // namespace mediatest
