#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "media/codecs/jpeg_image.h"
#include "media/codecs/jpeg_library.h"
#include "tests/media/media_test_support.h"
#include "tests/support/tools.h"

namespace {

using namespace stravel::testing;
using namespace mediatest;

std::vector<uint8_t> Compress(int w, int h, const std::vector<uint8_t>& rgb, int quality) {
    CBK_ImageJpg jpg;
    jpg.SetQuality(quality);
    EXPECT_TRUE(jpg.CreateFromBuffer(w, h, 24, rgb.data()));
    return std::vector<uint8_t>(jpg.GetData(), jpg.GetData() + jpg.GetCompressedSize());
}

double MeanError(const uint8_t* a, const uint8_t* b, size_t n) {
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += std::abs(int(a[i]) - int(b[i]));
    return sum / double(n);
}

TEST(JpegCodecTest, QualityIsHeldToItsRange) {
    CBK_ImageJpg jpg;
    EXPECT_EQ(jpg.GetQuality(), 80);
    jpg.SetQuality(150);
    EXPECT_EQ(jpg.GetQuality(), 100);
    EXPECT_EQ(gBK_JpegQuality, 100);
    jpg.SetQuality(-5);
    EXPECT_EQ(jpg.GetQuality(), 0);
    EXPECT_EQ(gBK_JpegQuality, 0);
    jpg.SetQuality(80);
}

TEST(JpegCodecTest, CompressesAndDecodesBack) {
    const int w = 61, h = 37;
    auto rgb = Smooth(w, h, 3);
    auto bytes = Compress(w, h, rgb, 95);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    CBK_ImageJpg back;
    ASSERT_TRUE(back.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(back.GetWidth(), w);
    EXPECT_EQ(back.GetHeight(), h);
    EXPECT_EQ(back.GetBitsPerPixel(), 24);
    EXPECT_EQ(back.GetSize(), size_t(w * h * 3));
    EXPECT_LT(MeanError(back.GetData(), rgb.data(), rgb.size()), 6.0);
}

TEST(JpegCodecTest, OutputThatOutgrowsItsBufferIsKeptWhole) {
    const int w = 64, h = 64;
    auto noise = Noise(w, h, 3, 5);
    CBK_ImageJpg whole;
    whole.SetQuality(100);
    ASSERT_TRUE(whole.CreateFromBuffer(w, h, 24, noise.data()));
    // The same compression from a 16-byte buffer that has to grow many times.
    bk_jpeg::test::SetFirstBufferSize(16);
    CBK_ImageJpg grown;
    grown.SetQuality(100);
    const bool ok = grown.CreateFromBuffer(w, h, 24, noise.data());
    bk_jpeg::test::SetFirstBufferSize(0);
    gBK_JpegQuality = 80;
    ASSERT_TRUE(ok);
    ASSERT_EQ(grown.GetCompressedSize(), whole.GetCompressedSize());
    EXPECT_GE(grown.GetSize(), grown.GetCompressedSize());
    EXPECT_EQ(std::memcmp(grown.GetData(), whole.GetData(), whole.GetCompressedSize()), 0);
    CBK_ImageJpg back;
    ASSERT_TRUE(back.Read(grown.GetData(), grown.GetCompressedSize()));
    EXPECT_EQ(back.GetWidth(), w);
}

TEST(JpegCodecTest, CompressRefusesMissingOrImpossiblePictures) {
    CBK_ImageJpg jpg;
    auto rgb = Smooth(4, 4, 3);
    EXPECT_FALSE(jpg.CreateFromBuffer(4, 4, 24, nullptr));
    EXPECT_FALSE(jpg.CreateFromBuffer(0, 4, 24, rgb.data()));
    EXPECT_EQ(jpg.GetData(), nullptr);
    // Wider than JPEG can say (65500 at most); libjpeg's error comes back as false.
    std::vector<uint8_t> row(70000 * 3, 128);
    EXPECT_FALSE(jpg.CreateFromBuffer(70000, 1, 24, row.data()));
    EXPECT_EQ(jpg.GetCompressedSize(), 0u);
}

TEST(JpegCodecTest, WrittenFilesPassJpeginfoAndDecodeLikeDjpeg) {
    STRAVEL_REQUIRE_TOOL("jpeginfo");
    STRAVEL_REQUIRE_TOOL("djpeg");
    TempDir dir;
    const int w = 40, h = 30;
    auto rgb = Smooth(w, h, 3, 9);
    CBK_Path path = PathOf(dir / "out.jpg");
    gBK_JpegQuality = 90;
    ASSERT_TRUE(CBK_ImageJpg::WriteFromBuffer(w, h, 24, rgb.data(), path, nullptr, 0));
    gBK_JpegQuality = 80;
    auto check = RunTool({"jpeginfo", "-c", (dir / "out.jpg").string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_NE(check.out.find(" OK"), std::string::npos) << check.out;

    CBK_ImageJpg ours;
    ASSERT_TRUE(ours.Read(path));
    auto djpeg = RunTool({"djpeg", "-ppm", (dir / "out.jpg").string()});
    ASSERT_EQ(djpeg.exitCode, 0);
    int dw, dh;
    std::vector<uint8_t> theirs;
    ASSERT_TRUE(ParsePnm(djpeg.out, dw, dh, theirs));
    ASSERT_EQ(dw, w);
    ASSERT_EQ(dh, h);
    EXPECT_EQ(std::memcmp(ours.GetData(), theirs.data(), theirs.size()), 0);
}

TEST(JpegCodecTest, WriteReplacesOnlyCompleteFiles) {
    TempDir dir;
    auto rgb = Smooth(8, 8, 3);
    CBK_Path missingFolder = PathOf(dir / "no" / "such" / "x.jpg");
    EXPECT_FALSE(CBK_ImageJpg::WriteFromBuffer(8, 8, 24, rgb.data(), missingFolder, nullptr, 0));
    CBK_Path path = PathOf(dir / "keep.jpg");
    WriteFileBytes(dir / "keep.jpg", "old");
    EXPECT_FALSE(CBK_ImageJpg::WriteFromBuffer(0, 8, 24, rgb.data(), path, nullptr, 0));
    EXPECT_EQ(ReadFileBytes(dir / "keep.jpg"), "old");
    ASSERT_TRUE(CBK_ImageJpg::WriteFromBuffer(8, 8, 24, rgb.data(), path, nullptr, 0));
    EXPECT_NE(ReadFileBytes(dir / "keep.jpg"), "old");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
    // A folder where the file should go: refused.
    std::filesystem::create_directory(dir / "folder.jpg");
    CBK_Path folder = PathOf(dir / "folder.jpg");
    EXPECT_FALSE(CBK_ImageJpg::WriteFromBuffer(8, 8, 24, rgb.data(), folder, nullptr, 0));
}

TEST(JpegCodecTest, GreyPicturesDecodeToThreeEqualChannels) {
    STRAVEL_REQUIRE_TOOL("cjpeg");
    STRAVEL_REQUIRE_TOOL("djpeg");
    TempDir dir;
    std::string pgm = "P5\n9 7\n255\n";
    for (int i = 0; i < 63; ++i)
        pgm.push_back(char(i * 4));
    WriteFileBytes(dir / "g.pgm", pgm);
    auto made = RunTool(
        {"cjpeg", "-grayscale", "-outfile", (dir / "g.jpg").string(), (dir / "g.pgm").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    CBK_ImageJpg grey;
    CBK_Path path = PathOf(dir / "g.jpg");
    ASSERT_TRUE(grey.Read(path));
    EXPECT_EQ(grey.GetBitsPerPixel(), 24);
    ASSERT_EQ(grey.GetSize(), size_t(9 * 7 * 3));
    auto djpeg = RunTool({"djpeg", "-pnm", (dir / "g.jpg").string()});
    int w, h;
    std::vector<uint8_t> expected;
    ASSERT_TRUE(ParsePnm(djpeg.out, w, h, expected));
    EXPECT_EQ(std::memcmp(grey.GetData(), expected.data(), expected.size()), 0);
}

// Inks stored as libjpeg stores them (CMYK or YCCK, with the Adobe marker that says they are
// inverted), written with libjpeg itself.
std::string EncodeInks(int w, int h, const std::vector<uint8_t>& inks, J_COLOR_SPACE space) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&inks[std::size_t(cinfo.next_scanline * w * 4)]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(out), size);
    free(out);
    return bytes;
}

TEST(JpegCodecTest, FourComponentPicturesConvertLikeDjpeg) {
    STRAVEL_REQUIRE_TOOL("convert");
    STRAVEL_REQUIRE_TOOL("djpeg");
    TempDir dir;
    auto made = RunTool({"convert", "-size", "8x8", "gradient:red-blue", "-colorspace", "CMYK",
                         (dir / "magick.jpg").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const auto inks = Noise(13, 11, 4, 7);
    WriteFileBytes(dir / "cmyk.jpg", EncodeInks(13, 11, inks, JCS_CMYK));
    WriteFileBytes(dir / "ycck.jpg", EncodeInks(13, 11, inks, JCS_YCCK));
    for (const char* name : {"magick.jpg", "cmyk.jpg", "ycck.jpg"}) {
        CBK_ImageJpg image;
        CBK_Path path = PathOf(dir / name);
        ASSERT_TRUE(image.Read(path)) << name;
        EXPECT_EQ(image.GetBitsPerPixel(), 24);
        auto djpeg = RunTool({"djpeg", "-pnm", (dir / name).string()});
        int w, h;
        std::vector<uint8_t> expected;
        ASSERT_TRUE(ParsePnm(djpeg.out, w, h, expected)) << name << djpeg.err;
        ASSERT_EQ(image.GetSize(), expected.size()) << name;
        EXPECT_EQ(std::memcmp(image.GetData(), expected.data(), expected.size()), 0) << name;
    }
}

TEST(JpegCodecTest, EveryTruncationFails) {
    auto bytes = Compress(23, 17, Smooth(23, 17, 3), 75);
    for (size_t n = 0; n < bytes.size(); ++n) {
        CBK_ImageJpg image;
        ASSERT_FALSE(image.Read(bytes.data(), n)) << "length " << n;
        EXPECT_EQ(image.GetData(), nullptr);
    }
    CBK_ImageJpg whole;
    EXPECT_TRUE(whole.Read(bytes.data(), bytes.size()));
    CBK_Path missing(L"/nonexistent/x.jpg");
    EXPECT_FALSE(whole.Read(missing));
    EXPECT_FALSE(whole.Read(nullptr, 10));
}

// Pictures of one size read one after another into one image decode as djpeg does, and a read
// that fails halfway (cut short, or a marker in the middle of the scan) keeps the last one.
TEST(JpegCodecTest, ReadsIntoOneImageKeepTheLastPictureWhenOneFails) {
    STRAVEL_REQUIRE_TOOL("djpeg");
    TempDir dir;
    const int w = 48, h = 40;
    const std::vector<uint8_t> files[2] = {Compress(w, h, Smooth(w, h, 3), 85),
                                           Compress(w, h, Noise(w, h, 3, 2), 85)};
    std::vector<uint8_t> expected[2];
    for (int i = 0; i < 2; ++i) {
        const auto path = dir / (std::to_string(i) + ".jpg");
        WriteFileBytes(path, std::string(files[i].begin(), files[i].end()));
        auto djpeg = RunTool({"djpeg", "-ppm", path.string()});
        int dw, dh;
        ASSERT_TRUE(ParsePnm(djpeg.out, dw, dh, expected[i])) << djpeg.err;
    }
    CBK_ImageJpg image;
    for (int round = 0; round < 6; ++round) {
        const int i = round % 2;
        ASSERT_TRUE(image.Read(files[i].data(), files[i].size())) << round;
        ASSERT_EQ(image.GetSize(), expected[i].size());
        EXPECT_EQ(std::memcmp(image.GetData(), expected[i].data(), expected[i].size()), 0);
        auto broken = files[1 - i];
        if (round % 4 < 2) {
            broken.resize(broken.size() * 2 / 3);
        } else {
            broken[broken.size() * 2 / 3] = 0xFF;
            broken[broken.size() * 2 / 3 + 1] = 0xD9;
        }
        EXPECT_FALSE(image.Read(broken.data(), broken.size())) << round;
        ASSERT_EQ(image.GetWidth(), w);
        ASSERT_EQ(image.GetHeight(), h);
        ASSERT_EQ(image.GetSize(), expected[i].size());
        EXPECT_EQ(std::memcmp(image.GetData(), expected[i].data(), expected[i].size()), 0) << round;
    }
}

TEST(JpegCodecTest, MutatedFilesNeverEndTheProcess) {
    std::vector<std::vector<uint8_t>> samples = {Compress(23, 17, Smooth(23, 17, 3), 75),
                                                 Compress(16, 16, Noise(16, 16, 3, 2), 50)};
    std::mt19937 rng(12345);
    int refused = 0;
    for (int round = 0; round < 1000; ++round) {
        auto bytes = samples[size_t(round) % samples.size()];
        const int changes = 1 + int(rng() % 4);
        for (int k = 0; k < changes; ++k)
            bytes[rng() % bytes.size()] = uint8_t(rng());
        CBK_ImageJpg image;
        if (!image.Read(bytes.data(), bytes.size())) {
            ++refused;
            continue;
        }
        ASSERT_EQ(image.GetSize(), size_t(image.GetWidth()) * size_t(image.GetHeight()) * 3);
    }
    EXPECT_GT(refused, 100);
}

// A header that claims a huge picture over a few bytes of data: refused without building it.
TEST(JpegCodecTest, HugeClaimedSizesAreRefused) {
    auto bytes = Compress(8, 8, Smooth(8, 8, 3), 75);
    // Patch the frame header's height and width to 65000 × 65000.
    for (size_t i = 2; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = 0xFD;
            bytes[i + 6] = 0xE8;
            bytes[i + 7] = 0xFD;
            bytes[i + 8] = 0xE8;
            break;
        }
    CBK_ImageJpg image;
    EXPECT_FALSE(image.Read(bytes.data(), bytes.size()));
}

std::vector<uint8_t> Wrap(const std::vector<uint8_t>& before, const std::vector<uint8_t>& jpeg,
                          const std::vector<uint8_t>& after) {
    std::vector<uint8_t> all(before);
    all.insert(all.end(), jpeg.begin(), jpeg.end());
    all.insert(all.end(), after.begin(), after.end());
    return all;
}

TEST(JpegValidityTest, FindsTheStreamBetweenOtherBytes) {
    auto jpeg = Compress(8, 8, Smooth(8, 8, 3), 75);
    auto all = Wrap({0x12, 0x34}, jpeg, {0x56});
    size_t length = 0;
    const uint8_t* start = CBK_ImageJpg::IsValidJpeg(all.data(), all.size(), &length);
    EXPECT_EQ(start, all.data() + 2);
    EXPECT_EQ(length, jpeg.size());
    EXPECT_EQ(CBK_ImageJpg::IsValidJpeg(all.data(), all.size(), nullptr), all.data() + 2);

    // Junk that looks like a start marker is passed over.
    auto junk = Wrap({0xFF, 0xD8, 0x00, 0xFF, 0xD8, 0xFF}, jpeg, {});
    EXPECT_EQ(CBK_ImageJpg::IsValidJpeg(junk.data(), junk.size(), &length), junk.data() + 6);
    EXPECT_EQ(length, jpeg.size());

    // Without its end marker, or cut inside a segment, there is no stream.
    EXPECT_EQ(CBK_ImageJpg::IsValidJpeg(jpeg.data(), jpeg.size() - 2, &length), nullptr);
    EXPECT_EQ(CBK_ImageJpg::IsValidJpeg(jpeg.data(), 30, &length), nullptr);
    EXPECT_EQ(CBK_ImageJpg::IsValidJpeg(nullptr, 0, &length), nullptr);
    const uint8_t bare[] = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_EQ(CBK_ImageJpg::IsValidJpeg(bare, sizeof bare, &length), nullptr);
}

TEST(JpegValidityTest, StartMarkersInsideSegmentsCostOneWalk) {
    // A start marker, then application segments each holding a start marker and a segment
    // header that leads back into the chain: every decoy start walks the rest of the buffer,
    // which took time growing with the square of its size. The real picture comes last.
    const uint8_t segment[18] = {0xFF, 0xE0, 0x00, 0x10, 0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x0A};
    std::vector<uint8_t> all = {0xFF, 0xD8};
    while (all.size() < (size_t(4) << 20))
        all.insert(all.end(), segment, segment + sizeof segment);
    auto jpeg = Compress(8, 8, Smooth(8, 8, 3), 75);
    const size_t at = all.size();
    all.insert(all.end(), jpeg.begin(), jpeg.end());
    size_t length = 0;
    EXPECT_EQ(CBK_ImageJpg::IsValidJpeg(all.data(), all.size(), &length), all.data() + at);
    EXPECT_EQ(length, jpeg.size());
}

TEST(JpegValidityTest, CameraFileGivesTheMainPictureNotItsThumbnail) {
    STRAVEL_REQUIRE_TOOL("exiftool");
    TempDir dir;
    auto main = Compress(64, 48, Smooth(64, 48, 3), 80);
    auto thumb = Compress(16, 12, Smooth(16, 12, 3, 4), 60);
    WriteFileBytes(dir / "main.jpg", std::string(main.begin(), main.end()));
    WriteFileBytes(dir / "thumb.jpg", std::string(thumb.begin(), thumb.end()));
    auto tool =
        RunTool({"exiftool", "-q", "-overwrite_original",
                 "-ThumbnailImage<=" + (dir / "thumb.jpg").string(), (dir / "main.jpg").string()});
    ASSERT_EQ(tool.exitCode, 0) << tool.err;
    auto camera = ToBytes(ReadFileBytes(dir / "main.jpg"));
    ASSERT_GT(camera.size(), main.size() + thumb.size() / 2);
    size_t length = 0;
    const uint8_t* start = CBK_ImageJpg::IsValidJpeg(camera.data(), camera.size(), &length);
    ASSERT_EQ(start, camera.data());
    EXPECT_EQ(length, camera.size());
    CBK_ImageJpg image;
    ASSERT_TRUE(image.Read(start, length));
    EXPECT_EQ(image.GetWidth(), 64);
}

} // namespace
