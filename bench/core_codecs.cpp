// Throughput of the small codecs: CRC-32, base64 and the zlib buffer wrappers.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>
#include <zlib.h>

#include "core/codec/base64.h"
#include "core/codec/crc32.h"
#include "core/codec/zlib_buffer.h"

namespace {

constexpr std::size_t kSize = 1 << 20;

// Half random bytes, half repeated words: neither the best nor the worst case for deflate.
const std::vector<unsigned char>& Sample() {
    static const std::vector<unsigned char> sample = [] {
        std::mt19937 random(42);
        std::vector<unsigned char> bytes;
        static const char kWords[] = "frame sound movie tag shape ";
        while (bytes.size() < kSize) {
            if (random() % 2) {
                for (int i = 0; i < 64; ++i)
                    bytes.push_back(static_cast<unsigned char>(random()));
            } else {
                bytes.insert(bytes.end(), kWords, kWords + sizeof kWords - 1);
            }
        }
        bytes.resize(kSize);
        return bytes;
    }();
    return sample;
}

void BM_Crc32(benchmark::State& state) {
    const auto& data = Sample();
    uint32_t crc = 0;
    for (auto _ : state) {
        BK_ComputeCrc32(data.data(), data.size(), crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Crc32);

void BM_Base64Encode(benchmark::State& state) {
    const auto& data = Sample();
    CBK_Base64 codec;
    for (auto _ : state) {
        codec.Encode(data.data(), data.size());
        benchmark::DoNotOptimize(codec.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Base64Encode);

// Bytes counted are the decoded bytes.
void BM_Base64Decode(benchmark::State& state) {
    const auto& data = Sample();
    CBK_Base64 text;
    text.Encode(data.data(), data.size());
    const std::vector<unsigned char> encoded(text.GetData(), text.GetData() + text.GetSize());
    CBK_Base64 codec;
    for (auto _ : state) {
        codec.Decode(encoded.data(), encoded.size());
        benchmark::DoNotOptimize(codec.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Base64Decode);

// Noise: what video, sound and JPEG data look like to deflate.
const std::vector<unsigned char>& Noise() {
    static const std::vector<unsigned char> noise = [] {
        std::mt19937 random(43);
        std::vector<unsigned char> bytes(kSize);
        for (auto& b : bytes)
            b = static_cast<unsigned char>(random());
        return bytes;
    }();
    return noise;
}

const std::vector<unsigned char>& Input(int64_t which) {
    return which == 0 ? Sample() : Noise();
}

// The wrapper, against one compress2 at the same level into a buffer of compressBound
// (BM_Compress2, same argument): compare their MiB/s. Argument 0: the mixed sample; 1: noise.
void BM_ZlibCompress(benchmark::State& state) {
    const auto& data = Input(state.range(0));
    for (auto _ : state) {
        std::size_t length = 0;
        std::unique_ptr<unsigned char[]> out(BK_ZlibCompress(data.data(), data.size(), length));
        benchmark::DoNotOptimize(out.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_ZlibCompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Compress2(benchmark::State& state) {
    const auto& data = Input(state.range(0));
    for (auto _ : state) {
        uLongf length = compressBound(data.size());
        std::unique_ptr<unsigned char[]> out(new unsigned char[length]);
        compress2(out.get(), &length, data.data(), data.size(), Z_DEFAULT_COMPRESSION);
        benchmark::DoNotOptimize(out.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Compress2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Bytes counted are the uncompressed bytes.
void BM_ZlibUncompress(benchmark::State& state) {
    const auto& data = Sample();
    std::size_t packedLength = 0;
    std::unique_ptr<unsigned char[]> packed(
        BK_ZlibCompress(data.data(), data.size(), packedLength));
    for (auto _ : state) {
        std::size_t length = 0;
        std::unique_ptr<unsigned char[]> out(BK_ZlibUncompress(packed.get(), packedLength, length));
        benchmark::DoNotOptimize(out.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond);

// Flat data: the output grows far beyond the first guess of eight times the input.
void BM_ZlibUncompressZeros(benchmark::State& state) {
    const std::vector<unsigned char> zeros(16 * kSize, 0);
    std::size_t packedLength = 0;
    std::unique_ptr<unsigned char[]> packed(
        BK_ZlibCompress(zeros.data(), zeros.size(), packedLength));
    for (auto _ : state) {
        std::size_t length = 0;
        std::unique_ptr<unsigned char[]> out(BK_ZlibUncompress(packed.get(), packedLength, length));
        benchmark::DoNotOptimize(out.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(zeros.size()));
}
BENCHMARK(BM_ZlibUncompressZeros)->Unit(benchmark::kMillisecond);

} // namespace
