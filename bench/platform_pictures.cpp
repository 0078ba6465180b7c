// Drawing pictures: 40 one-degree wedges of a 4096 x 4096 frame's oval (an arc, then the same
// arc 40 times) beside 40 rectangles filling the same frame, the cheapest shape per pixel.
// Each round decodes both pictures (bench/side_by_side.h); the budget refuses the rectangles
// after a dozen, so the peer's time is the most drawing a picture of that frame may ask for.
// Then JPEG images: a photograph placed at an eighth of its size beside the same placed whole;
// twelve arithmetic-coded images of 99 scans beside their Huffman-coded twins, both refused
// before decoding; under Motion-JPEG A in a 1 x 1 frame, the Huffman-coded image with its frame
// header hidden from all but FFmpeg's reading beside its visible twin, both refused; and a
// progressive field whose AC scan is coded 2,001 times, each copy after the first opened by a
// next-field marker, in a picture twice its height (every pass decoded, refused) beside the
// same as a picture of its own height (one pass, drawn). Last, an 8 x 8 photograph under
// Motion-JPEG A after EXIF directories that FFmpeg would read without end (400 or 800 entries
// on each of three levels, each entry leading to the next level; 1,000 tags of 1,300 values
// each, in one segment or two) beside the same photograph without them, all drawn. And the
// codec gate's cost: ordinary 1920 x 1080 pictures (PNG, TIFF with a software tag, a progressive
// JPEG under Motion-JPEG A, the same with a camera's few EXIF entries) gated and then decoded by
// FFmpeg, beside FFmpeg decoding the same bytes as they are.
#include <benchmark/benchmark.h>

#include <cstdio> // before jpeglib.h, which uses FILE
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

#include "bench/side_by_side.h"
#include "platform/pict/pict_codecs.h"
#include "platform/pict/pict_decode.h"
#include "tests/platform/pict/exif_segment.h"
#include "tests/platform/pict/metadata_bombs.h"

namespace {

using picturetest::ExifSegment;

constexpr int kSide = 4096;

// A version 2 picture of the frame with `op` and its operands repeated.
struct Picture {
    std::string b;
    explicit Picture(int width = kSide, int height = kSide) {
        W(0).W(0).W(0).W(height).W(width).W(0x0011).W(0x02FF).W(0x0C00);
        b += std::string(24, '\0');
    }
    Picture& W(int v) {
        b += char(v >> 8);
        b += char(v);
        return *this;
    }
    Picture& L(uint32_t v) { return W(int(v >> 16)).W(int(v & 0xFFFF)); }
    // `count` compressed images, each of `width` x `height` scaled by `scale` (16.16).
    Picture& Images(const std::string& jpeg, int width, int height, int32_t scale, int count,
                    const char* codec = "jpeg") {
        for (int i = 0; i < count; ++i) {
            if (b.size() % 2)
                b += '\0';
            W(0x8200).L(uint32_t(2 + 36 + 4 + 8 + 2 + 8 + 8 + 86 + jpeg.size())).W(0);
            for (int32_t m : {scale, 0, 0, 0, scale, 0, 0, 0, 0x40000000})
                L(uint32_t(m));
            L(0).W(0).W(0).W(0).W(0).W(0).W(0).W(0).W(0).W(0).L(0).L(0);
            std::string description(86, '\0');
            description.replace(0, 8, std::string("\0\0\0\x56", 4) + codec);
            description.replace(32, 4,
                                {char(width >> 8), char(width), char(height >> 8), char(height)});
            b += description + jpeg;
        }
        return *this;
    }
    std::string End() {
        if (b.size() % 2) // operations start on even offsets
            b += '\0';
        return W(0xFF).b;
    }
};

// A JPEG of `width` x `height`, a colour pattern or flat grey, by libjpeg: progressive by its
// own script or by `scans`, arithmetic- or Huffman-coded.
std::string Jpeg(int width, int height, bool colour, const std::vector<jpeg_scan_info>& scans,
                 bool arithmetic) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = colour ? 3 : 1;
    cinfo.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    if (scans.empty()) {
        jpeg_simple_progression(&cinfo);
    } else {
        cinfo.scan_info = scans.data();
        cinfo.num_scans = int(scans.size());
    }
    cinfo.arith_code = arithmetic;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * std::size_t(cinfo.input_components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const unsigned y = cinfo.next_scanline;
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = colour ? JSAMPLE((i / 3 * 7 + y * 3) ^ (i % 3 * 85 + y / 8)) : 0x80;
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string jpeg(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return jpeg;
}

bool Decode(const std::string& bytes) {
    tbx::DecodedPicture picture;
    return tbx::DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                              picture);
}

// Both pictures decoded in turn, each expected to be drawn or refused.
void Rounds(benchmark::State& state, const std::string& ours, bool oursDrawn,
            const std::string& peer, bool peerDrawn, std::string peerName) {
    if (Decode(ours) != oursDrawn || Decode(peer) != peerDrawn)
        return state.SkipWithError("a picture is drawn or refused against expectation");
    bench::SideBySide rounds(state, std::move(peerName), "ms");
    for (auto _ : state) {
        rounds.Ours([&] { benchmark::DoNotOptimize(Decode(ours)); });
        rounds.Peer([&] { benchmark::DoNotOptimize(Decode(peer)); });
    }
    rounds.Report();
}

void BM_ThinWedgesBesideRectangles(benchmark::State& state) {
    Picture wedges, rectangles;
    wedges.W(0x61).W(0).W(0).W(kSide).W(kSide).W(0).W(1);
    for (int i = 0; i < 40; ++i) {
        wedges.W(0x69).W(0).W(1);
        rectangles.W(0x31).W(0).W(0).W(kSide).W(kSide);
    }
    Rounds(state, wedges.End(), true, rectangles.End(), false, "rectangles");
}

void BM_PhotographPlacedSmallBesideWhole(benchmark::State& state) {
    const std::string photo = Jpeg(3000, 3000, true, {}, false);
    const std::string ours = Picture(375, 375).Images(photo, 3000, 3000, 0x2000, 1).End();
    const std::string peer = Picture(3000, 3000).Images(photo, 3000, 3000, 0x10000, 1).End();
    Rounds(state, ours, true, peer, true, "whole");
}

// 99 scans: a DC scan and its refinement, then each coefficient's first scan and 34 refinements.
std::vector<jpeg_scan_info> RefiningScans() {
    std::vector<jpeg_scan_info> scans{{1, {0}, 0, 0, 0, 1}, {1, {0}, 0, 0, 1, 0}};
    for (int k = 1; k <= 63; ++k)
        scans.push_back({1, {0}, k, k, 0, 1});
    for (int k = 1; k <= 34; ++k)
        scans.push_back({1, {0}, k, k, 1, 0});
    return scans;
}

void BM_ArithmeticScansBesideHuffmanTwins(benchmark::State& state) {
    const std::vector<jpeg_scan_info> scans = RefiningScans();
    auto twelve = [&](bool arithmetic) {
        return Picture()
            .Images(Jpeg(kSide, kSide, false, scans, arithmetic), 1, 1, 0x10000, 12)
            .End();
    };
    Rounds(state, twelve(true), false, twelve(false), false, "huffman");
}

void BM_HiddenFrameBesideVisibleTwin(benchmark::State& state) {
    const std::string visible = Jpeg(kSide, kSide, false, RefiningScans(), false);
    // An application segment of 22 bytes whose last is the frame marker's 0xFF.
    const std::size_t frame = visible.find("\xFF\xC2");
    const std::string hidden = visible.substr(0, frame) + std::string("\xFF\xE0\x00\x16", 4) +
                               "an application note" + visible.substr(frame);
    auto picture = [](const std::string& jpeg) {
        return Picture(1, 1).Images(jpeg, 1, 1, 0x10000, 1, "mjpa").End();
    };
    Rounds(state, picture(hidden), false, picture(visible), false, "visible");
}

void BM_FieldPassesBesideOneField(benchmark::State& state) {
    const std::string jpeg =
        Jpeg(kSide, kSide / 2, false, {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}}, false);
    const std::size_t scan = jpeg.rfind("\xFF\xDA"), end = jpeg.rfind("\xFF\xD9");
    const auto byte = [&](std::size_t at) { return std::size_t(uint8_t(jpeg[at])); };
    const std::size_t data = scan + 2 + (byte(scan + 2) << 8) + byte(scan + 3); // after its header
    std::string passes = jpeg.substr(0, end);
    for (int i = 0; i < 2000; ++i)
        passes += "\xFF\xD1" + jpeg.substr(data, end - data);
    passes += "\xFF\xD9";
    auto picture = [&](int height) {
        return Picture(1, 1).Images(passes, kSide, height, 0x10000, 1, "mjpa").End();
    };
    Rounds(state, picture(kSide), false, picture(kSide / 2), true, "one_pass");
}

void BM_ExifBesidePlainPicture(benchmark::State& state) {
    const std::string photo = Jpeg(8, 8, true, {}, false);
    std::string exif;
    switch (state.range(0)) {
    case 0:
        exif = ExifSegment(400, 3);
        break;
    case 1:
        exif = ExifSegment(800, 3);
        break;
    default:
        exif = ExifSegment(1000, 1, 1300);
        if (state.range(0) == 3)
            exif += exif;
    }
    auto picture = [](const std::string& jpeg) {
        return Picture(8, 8).Images(jpeg, 8, 8, 0x10000, 1, "mjpa").End();
    };
    Rounds(state, picture(photo.substr(0, 2) + exif + photo.substr(2)), true, picture(photo), true,
           "plain");
}

// An ordinary picture of 1920 x 1080 with a little colour noise, as the codec with `tag` codes it.
std::string Ordinary(const char* tag) {
    constexpr int kWidth = 1920, kHeight = 1080;
    std::string rgb;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth * 3; ++x)
            rgb += char((x / 3 * 255 / kWidth + y / 5 + (x % 3) * 60) ^ ((x * 7 + y * 13) % 11));
    const std::string tagName(tag);
    if (tagName == "png ") {
        std::string rows;
        for (int y = 0; y < kHeight; ++y)
            rows += '\0' + rgb.substr(std::size_t(y) * kWidth * 3, kWidth * 3);
        uLongf size = compressBound(uLong(rows.size()));
        std::string packed(size, '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()), 6);
        packed.resize(size);
        const std::string header("\0\0\x07\x80\0\0\x04\x38\x08\x02\0\0\0", 13);
        return std::string("\x89PNG\r\n\x1A\n", 8) + picturetest::PngChunk("IHDR", header) +
               picturetest::PngChunk("IDAT", packed) + picturetest::PngChunk("IEND", "");
    }
    if (tagName == "tiff") {
        picturetest::TiffMaker t;
        t.Short(0x100, kWidth), t.Short(0x101, kHeight);
        t.Add(0x102, 3, 3, std::string("\x08\0\x08\0\x08\0", 6));
        t.Short(0x103, 1), t.Short(0x106, 2), t.Long(0x111, 0), t.Short(0x115, 3);
        t.Short(0x116, kHeight), t.Long(0x117, uint32_t(rgb.size()));
        t.Add(0x131, 2, 10, std::string("Lavf59.27\0", 10));
        t.Long(0x111, uint32_t(t.DataAt()));
        return t.Make(rgb);
    }
    const std::string photo = Jpeg(kWidth, kHeight, true, {}, false);
    return tagName == "exif" ? photo.substr(0, 2) + ExifSegment(12, 2) + photo.substr(2) : photo;
}

// Gated, then decoded by FFmpeg, beside FFmpeg decoding the same bytes as they are.
void BM_GateBesideFfmpegAlone(benchmark::State& state) {
    const char* tags[] = {"png ", "tiff", "mjpa", "exif"};
    const std::string tag = tags[state.range(0)];
    const std::string data = Ordinary(tag.c_str());
    const uint32_t codec = tag == "exif"
                               ? 0x6D6A7061
                               : uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 |
                                     uint32_t(uint8_t(tag[2])) << 8 | uint8_t(tag[3]);
    std::string description(86, '\0');
    description.replace(0, 4, std::string("\0\0\0\x56", 4));
    for (int i = 0; i < 4; ++i)
        description[std::size_t(4 + i)] = char(codec >> (24 - 8 * i));
    description.replace(32, 4, std::string("\x07\x80\x04\x38", 4));
    description[83] = 24;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    const auto* told = reinterpret_cast<const uint8_t*>(description.data());
    constexpr std::size_t kPixels = std::size_t(1) << 24;
    auto decode = [&](const uint8_t* from) {
        tbx::pict::DecodedImage image;
        return tbx::pict::DecodeWithCodec(told, description.size(), from, data.size(), kPixels,
                                          image);
    };
    auto gated = [&] {
        const tbx::gate::Packet packet{bytes, data.size(), 1920, 1080, kPixels};
        const tbx::gate::Gated g = tbx::pict::GateCodecData(codec, packet);
        return g.verdict != tbx::gate::Gated::Verdict::kRefuse && decode(g.Bytes(packet));
    };
    if (!gated() || !decode(bytes))
        return state.SkipWithError("the picture does not decode");
    bench::SideBySide rounds(state, "ffmpeg_alone", "ms");
    for (auto _ : state) {
        rounds.Ours([&] { benchmark::DoNotOptimize(gated()); });
        rounds.Peer([&] { benchmark::DoNotOptimize(decode(bytes)); });
    }
    rounds.Report();
}

} // namespace

BENCHMARK(BM_ThinWedgesBesideRectangles)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhotographPlacedSmallBesideWhole)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArithmeticScansBesideHuffmanTwins)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HiddenFrameBesideVisibleTwin)->UseManualTime()->Unit(benchmark::kMillisecond);
// Ours is refused in a small fraction of the peer's time: a fixed count of rounds bounds the run.
BENCHMARK(BM_FieldPassesBesideOneField)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);
// Argument: 400 or 800 entries a level (0, 1), long values in one segment or two (2, 3).
BENCHMARK(BM_ExifBesidePlainPicture)
    ->DenseRange(0, 3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
// Argument: PNG, TIFF, JPEG, JPEG with EXIF (0 to 3).
BENCHMARK(BM_GateBesideFfmpegAlone)
    ->DenseRange(0, 3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
