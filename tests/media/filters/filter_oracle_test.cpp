// Filters against tools no one here wrote, and behaviour that needs a large picture.
#include <gtest/gtest.h>

#include <pthread.h>

#include <random>
#include <string>
#include <vector>

#include "media/filters/convolution_filters.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::FindTool;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

// The Debian interpreter, which has python3-scipy, before whatever else is on the path.
std::string Python() {
    return FindTool("/usr/bin/python3").empty() ? "python3" : "/usr/bin/python3";
}

bool HaveScipy() {
    return !FindTool(Python()).empty() &&
           RunTool({Python(), "-c", "import scipy.ndimage"}).exitCode == 0;
}

// Each channel through scipy.ndimage with edges repeated: "median n" or "edge n".
std::string Scipy(const std::filesystem::path& raw, int w, int h, const std::string& what, int n) {
    const std::string script = R"(
import sys, numpy as np
from scipy import ndimage
path, w, h, what, n = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], int(sys.argv[5])
a = np.fromfile(path, dtype=np.uint8).reshape(h, w, 3).astype(np.float64)
out = np.empty_like(a)
k = -np.ones((n, n)); k[n // 2, n // 2] = n * n - 1
for c in range(3):
    if what == 'median':
        out[:, :, c] = ndimage.median_filter(a[:, :, c], size=n, mode='nearest')
    else:
        out[:, :, c] = ndimage.convolve(a[:, :, c], k, mode='nearest')
sys.stdout.buffer.write(np.clip(out, 0, 255).astype(np.uint8).tobytes())
)";
    return RunTool({Python(), "-c", script, raw.string(), std::to_string(w), std::to_string(h),
                    what, std::to_string(n)})
        .out;
}

CBK_Image Photo(int w, int h, std::vector<uint8_t>& bytes) {
    std::mt19937 rng(5);
    bytes.resize(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                bytes[(size_t(y) * w + x) * 3 + c] =
                    uint8_t((x * 4 + y * (c + 1) * 3) % 256 ^ (rng() % 32));
    CBK_Image image;
    image.Create(uint32_t(w), uint32_t(h), 24, bytes.data(), true);
    return image;
}

TEST(FilterOracleTest, MedianAndEdgeAgreeWithScipy) {
    STRAVEL_REQUIRE(HaveScipy(), "python3 with python3-scipy is not installed");
    TempDir dir;
    const int w = 61, h = 47;
    std::vector<uint8_t> bytes;
    Photo(w, h, bytes);
    WriteFileBytes(dir / "in.raw", std::string(bytes.begin(), bytes.end()));
    struct Row {
        int setting;
        int n;
    };
    for (Row row : {Row{0, 3}, Row{20, 5}, Row{50, 11}}) {
        CBK_Image image = Photo(w, h, bytes);
        CBK_ImageFilterMedian median;
        median.SetThreshold(row.setting);
        ASSERT_TRUE(median.Filter(image));
        const std::string expected = Scipy(dir / "in.raw", w, h, "median", row.n);
        ASSERT_EQ(expected.size(), bytes.size());
        // Away from the borders, where our window is shifted inwards instead of padded.
        int compared = 0;
        for (int y = row.n / 2; y < h - row.n / 2; ++y)
            for (int x = row.n / 2; x < w - row.n / 2; ++x)
                for (int c = 0; c < 3; ++c, ++compared)
                    ASSERT_EQ(image.GetDataAt(x, y)[c],
                              uint8_t(expected[(size_t(y) * w + x) * 3 + c]))
                        << "median " << row.n << " at " << x << "," << y;
        EXPECT_GT(compared, 1000);
    }
    for (Row row : {Row{1, 3}, Row{2, 5}}) {
        CBK_Image image = Photo(w, h, bytes);
        CBK_ImageFilterEdge edge;
        edge.SetRadius(row.setting);
        ASSERT_TRUE(edge.Filter(image));
        const std::string expected = Scipy(dir / "in.raw", w, h, "edge", row.n);
        // Edges repeat the border pixels just as mode='nearest' does, so every pixel agrees.
        ASSERT_EQ(std::string(image.GetData(), image.GetData() + bytes.size()), expected)
            << "edge " << row.n;
    }
}

void* DespeckleSerpentine(void* result) {
    // A one-pixel path winding down and up through 2000 × 2000 pixels: one region of about
    // two million row runs, each linked only to the runs above and below it.
    const int w = 2000, h = 2000;
    CBK_Image image;
    image.Create(w, h, 24, nullptr, false);
    image.Fill(0x000000);
    for (int x = 0; x < w; x += 2) {
        for (int y = 0; y < h; ++y)
            image.GetDataAt(x, y)[0] = 255;
        if (x + 1 < w)
            image.GetDataAt(x + 1, (x / 2) % 2 ? 0 : h - 1)[0] = 255;
    }
    const uint8_t before = image.GetDataAt(10, 10)[0];
    CBK_ImageFilterDespeckle despeckle;
    *static_cast<bool*>(result) = despeckle.Filter(image) && image.GetDataAt(10, 10)[0] == before;
    return nullptr;
}

TEST(FilterOracleTest, DespeckleOfAHugeRegionRunsOnASmallStack) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1024 * 1024);
    pthread_t thread;
    bool done = false;
    ASSERT_EQ(pthread_create(&thread, &attributes, DespeckleSerpentine, &done), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_TRUE(done);
}

TEST(FilterOracleTest, AddNoiseIsReproducibleFromItsSeed) {
    std::vector<uint8_t> bytes;
    CBK_Image a = Photo(32, 24, bytes), b = Photo(32, 24, bytes), c = Photo(32, 24, bytes);
    imagemagick::SeededRandomSource first(9), second(9), third(10);
    CBK_ImageFilterAddNoise noise;
    noise.SetRandomSource(&first);
    noise.Filter(a);
    noise.SetRandomSource(&second);
    noise.Filter(b);
    noise.SetRandomSource(&third);
    noise.Filter(c);
    const auto bytesOf = [&](CBK_Image& i) {
        return std::vector<uint8_t>(i.GetData(), i.GetData() + bytes.size());
    };
    EXPECT_EQ(bytesOf(a), bytesOf(b));
    EXPECT_NE(bytesOf(a), bytesOf(c));
    EXPECT_NE(bytesOf(a), bytes);
}

} // namespace
