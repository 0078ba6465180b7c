// The codec gate hands FFmpeg's decoders copies that decode to the pixels ffmpeg decodes from
// the untouched data (EXIF hidden only where FFmpeg's own walk of the markers reads it), and
// refuses or charges what it cannot hide.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/codec_gate/codec_gate.h"
#include "platform/codec_gate/inflate.h"
#include "tests/platform/pict/exif_segment.h"
#include "tests/platform/pict/metadata_bombs.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;
using Verdict = tbx::gate::Gated::Verdict;

tbx::gate::Gated GateOf(AVCodecID codec, const std::string& bytes, int width = 8, int height = 8) {
    return tbx::gate::Gate(codec, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                   width, height, uint64_t(1) << 27});
}

// A RIFF file's chunks after its form type, its size field made anew.
std::string Riff(const std::string& form, const std::string& chunks) {
    return "RIFF" + picturetest::TiffMaker::Le(uint32_t(4 + chunks.size()), 4) + form + chunks;
}

// An OpenEXR file with attributes put before its own, its offsets moved on to match.
std::string WithAttributes(const std::string& exr, const std::string& attributes) {
    std::size_t at = 8; // after the magic number and version
    while (at < exr.size() && exr[at] != '\0') {
        at = exr.find('\0', at) + 1; // name
        at = exr.find('\0', at) + 1; // type
        uint32_t size = 0;
        std::memcpy(&size, exr.data() + at, 4);
        at += 4 + size;
    }
    std::string out = exr.substr(0, 8) + attributes + exr.substr(8, at + 1 - 8);
    // One offset a block of 16 rows (zip) or one row (none), up to the first block.
    uint64_t first = 0;
    std::memcpy(&first, exr.data() + at + 1, 8);
    for (std::size_t o = at + 1; o < first; o += 8) {
        uint64_t offset = 0;
        std::memcpy(&offset, exr.data() + o, 8);
        offset += attributes.size();
        out.append(reinterpret_cast<const char*>(&offset), 8);
    }
    return out + exr.substr(std::size_t(first));
}

TEST(CodecGate, CopiesDecodeToWhatFfmpegDecodesFromTheData) {
    for (const char* tool : {"ffmpeg", "exiftool"})
        STRAVEL_REQUIRE_TOOL(tool);
    TempDir dir;
    auto frame = [&](const std::string& name, const std::vector<std::string>& codec) {
        std::vector<std::string> argv{"-f", "lavfi", "-i", "testsrc=s=8x8", "-frames:v", "1"};
        argv.insert(argv.end(), codec.begin(), codec.end());
        EXPECT_TRUE(stravel::testing::Make(argv, dir / name));
        return ReadFileBytes(dir / name);
    };
    const std::string png = frame("x.png", {"-pix_fmt", "rgb24"});
    const std::string tiff = frame("x.tif", {"-pix_fmt", "rgb24"});
    const std::string webp = frame("x.webp", {"-c:v", "libwebp", "-lossless", "1"});
    const std::string exr = frame("x.exr", {"-pix_fmt", "gbrpf32le", "-compression", "none"});
    frame("camera.jpg", {"-pix_fmt", "yuvj444p"});
    ASSERT_EQ(
        RunTool({"exiftool", "-q", "-overwrite_original", "-Make=Canon", "-Orientation#=6",
                 "-GPSLatitude=48.85", "-UserComment=at the river", (dir / "camera.jpg").string()})
            .exitCode,
        0);
    const std::string jpeg = frame("x.jpg", {"-pix_fmt", "yuvj444p"});
    // PNG chunks that the decoder reads into metadata, short enough for ffmpeg to read.
    const std::string text = picturetest::PngChunk("tEXt", std::string("Title\0a river", 13)) +
                             picturetest::CompressedTextChunk(1000) +
                             picturetest::ProfileChunk(300);
    picturetest::TiffMaker geo; // an 8 x 8 grey picture with GeoTIFF keys and a description
    geo.Short(0x100, 8), geo.Short(0x101, 8), geo.Short(0x102, 8), geo.Short(0x103, 1);
    geo.Short(0x106, 1), geo.Add(0x10E, 2, 8, std::string("a river\0", 8)), geo.Long(0x111, 0);
    geo.Short(0x115, 1), geo.Short(0x116, 8), geo.Long(0x117, 64);
    geo.Add(0x87AF, 3, 8,
            picturetest::TiffMaker::Le(1, 2) + picturetest::TiffMaker::Le(1, 2) +
                picturetest::TiffMaker::Le(0, 2) + picturetest::TiffMaker::Le(1, 2) +
                picturetest::TiffMaker::Le(2049, 2) + picturetest::TiffMaker::Le(34736, 2) +
                picturetest::TiffMaker::Le(2, 2) + picturetest::TiffMaker::Le(0, 2));
    geo.Add(0x87B0, 12, 2, std::string(16, '\x3F'));
    geo.Long(0x111, uint32_t(geo.DataAt()));
    std::string grey;
    for (int i = 0; i < 64; ++i)
        grey += char(i * 4);
    // EXIF that FFmpeg's walk of the markers meets only as it reads: a directory whose
    // next-directory offset ends the segment with 0xFF, then "DB" and a table of a tenth of the
    // picture's values; and a legal table whose values spell an EXIF segment.
    const std::size_t scan = jpeg.find("\xFF\xDA");
    const std::string dqt =
        std::string("\xFF\xDB\x00\x43\x00", 5) + jpeg.substr(jpeg.find("\xFF\xDB") + 5, 64);
    const std::string toItsEnd(
        "\xFF\xE1\x00\x22"
        "Exif\0\0II*\0\x08\0\0\0\x01\0\x0F\x01\x02\0\x04\0\0\0abc\0\0\0\0\xFF",
        36);
    std::string table = dqt.substr(1);
    for (std::size_t i = 4; i < table.size(); ++i)
        table[i] = char(std::max(1, uint8_t(table[i]) / 10));
    std::string spelled = dqt;
    spelled.replace(5 + 8, 8,
                    std::string("\xFF\xE1\x00\x10"
                                "Exif",
                                8));
    const std::string riffChunks = webp.substr(12);
    const std::string nested = picturetest::ExifSegment(3, 2).substr(10);
    const struct {
        const char* what;
        AVCodecID codec;
        std::string data;
        std::string extension;
        Verdict verdict;
    } cases[] = {
        {"a plain photograph", AV_CODEC_ID_MJPEG, jpeg, "jpg", Verdict::kAsIs},
        {"a camera's EXIF", AV_CODEC_ID_MJPEG, ReadFileBytes(dir / "camera.jpg"), "jpg",
         Verdict::kCopy},
        {"a directory read to its last byte", AV_CODEC_ID_MJPEG,
         jpeg.substr(0, scan) + toItsEnd + table + jpeg.substr(scan), "jpg", Verdict::kCopy},
        {"a table spelling an EXIF segment", AV_CODEC_ID_MJPEG,
         jpeg.substr(0, scan) + spelled + jpeg.substr(scan), "jpg", Verdict::kAsIs},
        {"plain PNG", AV_CODEC_ID_PNG, png, "png", Verdict::kAsIs},
        {"PNG text and profile", AV_CODEC_ID_PNG, picturetest::WithChunks(png, text), "png",
         Verdict::kCopy},
        {"ffmpeg's TIFF", AV_CODEC_ID_TIFF, tiff, "tif", Verdict::kCopy},
        {"GeoTIFF keys", AV_CODEC_ID_TIFF, geo.Make(grey), "tif", Verdict::kCopy},
        {"plain WebP", AV_CODEC_ID_WEBP, webp, "webp", Verdict::kAsIs},
        {"WebP with EXIF", AV_CODEC_ID_WEBP,
         Riff("WEBP", riffChunks + "EXIF" + picturetest::TiffMaker::Le(uint32_t(nested.size()), 4) +
                          nested + std::string(nested.size() % 2, '\0')),
         "webp", Verdict::kCopy},
        {"plain OpenEXR", AV_CODEC_ID_EXR, exr, "exr", Verdict::kAsIs},
    };
    for (const auto& c : cases) {
        const tbx::gate::Gated gated = GateOf(c.codec, c.data);
        EXPECT_EQ(gated.verdict, c.verdict) << c.what;
        const std::string copy = gated.verdict == Verdict::kCopy
                                     ? std::string(gated.copy.begin(), gated.copy.end())
                                     : c.data;
        std::string decoded[2];
        for (int i = 0; i < 2; ++i) {
            const auto file = dir / ("d" + std::to_string(i) + "." + c.extension);
            WriteFileBytes(file, i ? copy : c.data);
            decoded[i] = RunTool({"ffmpeg", "-v", "error", "-noautorotate", "-i", file.string(),
                                  "-f", "rawvideo", "-pix_fmt", "rgb24", "-"})
                             .out;
        }
        EXPECT_TRUE(decoded[0].size() == 8u * 8 * 3 && decoded[0] == decoded[1]) << c.what;
    }
    // Many string attributes in an OpenEXR header are charged as the searches they take.
    std::string attributes;
    for (int i = 0; i < 12000; ++i)
        attributes += "note" + std::to_string(i) + std::string("\0string\0\x02\0\0\0ab", 14);
    EXPECT_GT(GateOf(AV_CODEC_ID_EXR, WithAttributes(exr, attributes)).work, uint64_t(1) << 30);
}

// The gate's inflating of a whole stream, which grows its room with what the stream gives,
// answers as zlib's uncompress into the whole room does: streams that fit, fill the room
// exactly, need more, are cut short, damaged, or followed by more bytes.
TEST(CodecGate, InflatesAWholeStreamAsZlibDoes) {
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += char(i * 7 % 251);
    const std::string stream = picturetest::Deflated(100000, 'x');
    std::string mixed(compressBound(uLong(bytes.size())), '\0');
    uLongf mixedSize = uLongf(mixed.size());
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(mixed.data()), &mixedSize,
                        reinterpret_cast<const Bytef*>(bytes.data()), uLong(bytes.size()), 9),
              Z_OK);
    mixed.resize(mixedSize);
    std::string damaged = mixed;
    damaged[damaged.size() / 2] ^= 0x55;
    const struct {
        const char* what;
        std::string data;
        uint64_t room;
    } cases[] = {
        {"fits", mixed, 1 << 20},
        {"fills the room exactly", mixed, 100000},
        {"needs one byte more", mixed, 99999},
        {"needs far more", stream, 4096},
        {"cut short", mixed.substr(0, mixed.size() / 2), 1 << 20},
        {"cut before its check", mixed.substr(0, mixed.size() - 2), 1 << 20},
        {"damaged", damaged, 1 << 20},
        {"followed by more bytes", mixed + "tail", 1 << 20},
        {"empty", "", 1 << 20},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> zlib(std::size_t(c.room));
        uLongf size = uLongf(c.room);
        const bool whole =
            uncompress(zlib.data(), &size, reinterpret_cast<const Bytef*>(c.data.data()),
                       uLong(c.data.size())) == Z_OK;
        std::vector<uint8_t> ours;
        EXPECT_EQ(tbx::gate::InflateWhole(reinterpret_cast<const uint8_t*>(c.data.data()),
                                          c.data.size(), c.room, ours),
                  whole)
            << c.what;
        if (whole) {
            EXPECT_TRUE(ours.size() == size && std::equal(ours.begin(), ours.end(), zlib.begin()))
                << c.what;
        }
    }
}

} // namespace
