// JPEG and PNG coding and colour quantisation of a 640 × 480 frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <vector>

// jpeglib.h after cstdio, which declares the FILE it uses.
#include <jpeglib.h>

#include "bench/side_by_side.h"
#include "media/codecs/codec_files.h"
#include "media/codecs/jpeg_image.h"
#include "media/codecs/png_image.h"
#include "media/quantize/octree_quantizer.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

// Gradients with mild noise, like a video frame.
const std::vector<uint8_t>& Frame() {
    static const std::vector<uint8_t> pixels = [] {
        std::vector<uint8_t> p(size_t(kWidth) * kHeight * 3);
        std::mt19937 rng(3);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                uint8_t* q = &p[(size_t(y) * kWidth + x) * 3];
                q[0] = uint8_t(x * 255 / kWidth + (rng() & 7));
                q[1] = uint8_t(y * 255 / kHeight + (rng() & 7));
                q[2] = uint8_t((x + y) / 5 + (rng() & 7));
            }
        return p;
    }();
    return pixels;
}

// Files go to memory-backed storage where there is some, so that the disk is not measured.
std::filesystem::path Scratch(const char* name) {
    std::filesystem::path folder = std::filesystem::exists("/dev/shm")
                                       ? std::filesystem::path("/dev/shm")
                                       : std::filesystem::temp_directory_path();
    return folder / (std::string("stravel-bench-") + std::to_string(getpid()) + "-" + name);
}

void BM_JpegEncode(benchmark::State& state) {
    const auto& frame = Frame();
    CBK_ImageJpg jpg;
    for (auto _ : state) {
        jpg.CreateFromBuffer(kWidth, kHeight, 24, frame.data());
        benchmark::DoNotOptimize(jpg.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}

// The peer of decoding: a plain libjpeg loop into one buffer that it keeps, row by row.
void PlainJpegDecode(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& rgb) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const std::size_t rowBytes = std::size_t(cinfo.output_width) * 3;
    rgb.resize(rowBytes * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb.data() + cinfo.output_scanline * rowBytes;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

// A picture after picture into the same image, beside the plain loop, round by round.
void BM_JpegDecode(benchmark::State& state) {
    CBK_ImageJpg jpg;
    jpg.CreateFromBuffer(kWidth, kHeight, 24, Frame().data());
    std::vector<uint8_t> bytes(jpg.GetData(), jpg.GetData() + jpg.GetCompressedSize());
    CBK_ImageJpg image;
    std::vector<uint8_t> rgb;
    bench::SideBySide rounds(state, "libjpeg", "us");
    for (auto _ : state) {
        rounds.Ours([&] {
            image.Read(bytes.data(), bytes.size());
            benchmark::DoNotOptimize(image.GetData());
        });
        rounds.Peer([&] {
            PlainJpegDecode(bytes, rgb);
            benchmark::DoNotOptimize(rgb.data());
        });
    }
    rounds.Report();
    if (image.GetSize() != rgb.size() || !std::equal(rgb.begin(), rgb.end(), image.GetData()))
        state.SkipWithError("the two decoders differ");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Frame().size()));
}

void BM_PngWrite(benchmark::State& state) {
    const auto& frame = Frame();
    const auto file = Scratch("w.png");
    CBK_Path path(file.wstring());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            CBK_ImagePng::WriteFromBuffer(kWidth, kHeight, 24, frame.data(), path, nullptr, 0));
    std::filesystem::remove(file);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}

void BM_PngRead(benchmark::State& state) {
    const auto file = Scratch("r.png");
    CBK_Path path(file.wstring());
    CBK_ImagePng::WriteFromBuffer(kWidth, kHeight, 24, Frame().data(), path, nullptr, 0);
    std::vector<uint8_t> bytes;
    BK_ReadWholeFile(path, bytes, size_t(1) << 28);
    std::filesystem::remove(file);
    CBK_ImagePng image;
    for (auto _ : state) {
        image.Read(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(image.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Frame().size()));
}

void BM_Quantize(benchmark::State& state) {
    const auto& frame = Frame();
    BK_RGBQUAD palette[256];
    int32_t count = 0;
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> indexes(
            BK_QuantizeImage(frame.data(), kWidth, kHeight, 24, 256, palette, &count));
        benchmark::DoNotOptimize(indexes.get());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

} // namespace

BENCHMARK(BM_JpegEncode);
BENCHMARK(BM_JpegDecode)->UseManualTime();
BENCHMARK(BM_PngWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRead);
BENCHMARK(BM_Quantize)->Unit(benchmark::kMillisecond);
