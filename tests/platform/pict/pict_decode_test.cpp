// Pictures checked against ImageMagick's reading of the same bytes (or of the same pixels in
// another format) where ImageMagick reads them, and shapes against ImageMagick's drawing or
// against other shapes that must cover the same pixels.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/codec_gate/jpeg_markers.h"
#include "platform/codec_gate/jpeg_work.h"
#include "platform/jpeg/jpeg_decode.h"
#include "platform/pict/pict_decode.h"
#include "tests/platform/pict/exif_segment.h"
#include "tests/platform/pict/metadata_bombs.h"
#include "tests/platform/pict/repaint_bombs.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;
using picturetest::ExifSegment;
using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

// A picture under construction: the header, then operations (word-aligned in version 2).
struct Pict {
    std::string b;
    bool v2 = true;
    Pict() = default; // bare bytes
    Pict(int width, int height, bool version2 = true) : v2(version2) {
        W(0).R(0, 0, height, width);
        if (v2)
            W(0x0011).W(0x02FF).W(0x0C00).b += std::string(24, '\0');
        else
            B(0x11).B(0x01);
    }
    Pict& B(int v) {
        b += char(v);
        return *this;
    }
    Pict& W(int v) { return B(v >> 8).B(v); }
    Pict& L(uint32_t v) { return W(int(v >> 16)).W(int(v & 0xFFFF)); }
    Pict& R(int t, int l, int bottom, int r) { return W(t).W(l).W(bottom).W(r); }
    Pict& Op(int op) {
        if (!v2)
            return B(op);
        if (b.size() % 2)
            B(0);
        return W(op);
    }
    Pict& Data(const std::string& bytes) {
        b += bytes;
        return *this;
    }
    // A compressed image: its matrix, no matte or mask, its image description and data.
    Pict& Compressed(const std::vector<int32_t>& matrix, const std::string& description,
                     const std::string& data) {
        Op(0x8200);
        const std::size_t at = b.size();
        L(0).W(0);
        for (int32_t m : matrix)
            L(uint32_t(m));
        L(0).R(0, 0, 0, 0).W(0).R(0, 0, 0, 0).L(0).L(0).Data(description).Data(data);
        for (int i = 0; i < 4; ++i)
            b[at + std::size_t(i)] = char((b.size() - at - 4) >> (24 - 8 * i));
        return *this;
    }
    std::string End() { return Op(0xFF).b; }
};

const std::vector<int32_t> kIdentity{0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};

// An image description of 86 bytes: its size, the codec, and the image's width and height.
std::string Description(const std::string& codec, int width, int height) {
    std::string d(86, '\0');
    d.replace(0, 8, std::string("\0\0\0\x56", 4) + codec);
    d.replace(32, 4, {char(width >> 8), char(width), char(height >> 8), char(height)});
    return d;
}

DecodedPicture Decode(const std::string& bytes) {
    DecodedPicture picture;
    EXPECT_TRUE(
        DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), picture));
    return picture;
}

// ARGB pixels of a binary PPM.
std::vector<uint32_t> PpmPixels(const std::string& ppm) {
    std::size_t at = 0;
    for (int newlines = 0; newlines < 3 && at < ppm.size(); ++at)
        newlines += ppm[at] == '\n';
    std::vector<uint32_t> out;
    for (; at + 2 < ppm.size(); at += 3)
        out.push_back(0xFF000000u | uint32_t(uint8_t(ppm[at])) << 16 |
                      uint32_t(uint8_t(ppm[at + 1])) << 8 | uint8_t(ppm[at + 2]));
    return out;
}

std::vector<uint32_t> Magick(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"convert"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    argv.insert(argv.end(), {"-depth", "8", "ppm:-"});
    const auto result = RunTool(argv);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return PpmPixels(result.out);
}

// ImageMagick's reading of a picture (given without the file's preamble).
std::vector<uint32_t> MagickReading(const TempDir& dir, const std::string& picture) {
    WriteFileBytes(dir / "x.pict", std::string(512, '\0') + picture);
    return Magick({"PICT:" + (dir / "x.pict").string()});
}

TEST(PictDecode, JpegPicturesMatchImageMagick) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    ASSERT_EQ(RunTool({"convert", "-size", "40x30", "plasma:fractal", "-compress", "JPEG",
                       "PICT:" + (dir / "j.pict").string()})
                  .exitCode,
              0);
    const std::string picture = ReadFileBytes(dir / "j.pict").substr(512);
    // The plain image after the compressed one, black here, is for readers without a codec.
    EXPECT_EQ(Decode(picture).pixels, Magick({"PICT:" + (dir / "j.pict").string()}));
    DecodedPicture cut;
    for (std::size_t n = 0; n + 2 < picture.size(); n += 7)
        EXPECT_FALSE(DecodePicture(reinterpret_cast<const uint8_t*>(picture.data()), n, cut)) << n;
    // Placed by its matrix (a b u, c d v, tx ty w; x' = a x + c y + tx, y' = b x + d y + ty):
    // sheared, turned, mirrored and scaled, against ImageMagick's affine projection.
    const std::size_t op = picture.find(std::string("\x82\x00", 2));
    ASSERT_NE(op, std::string::npos);
    auto placed = [&](const std::vector<int32_t>& m) {
        std::string bytes = picture;
        for (std::size_t i = 0; i < m.size(); ++i)
            for (int k = 0; k < 4; ++k)
                bytes[op + 8 + 4 * i + std::size_t(k)] = char(uint32_t(m[i]) >> (24 - 8 * k));
        return bytes;
    };
    // x' = a x + c y + tx, y' = b x + d y + ty.
    const std::pair<std::vector<int32_t>, std::string> matrices[] = {
        {{2 << 16, 0, 0, 1 << 16, 2 << 16, 0, -(7 << 16), 0}, "2,0,1,2,-7,0"},
        {{0, 2 << 16, 0, -(1 << 16), 0, 0, 30 << 16, -(5 << 16)}, "0,2,-1,0,30,-5"},
        {{-(3 << 15), 1 << 15, 0, 1 << 15, 3 << 15, 0, 133 << 14, 1 << 16},
         "-1.5,0.5,0.5,1.5,33.25,1"}};
    for (const auto& [m, affine] : matrices)
        EXPECT_EQ(Decode(placed(m)).pixels,
                  Magick({"PICT:" + (dir / "j.pict").string(), "-filter", "point", "-interpolate",
                          "nearest", "-virtual-pixel", "white", "-define",
                          "distort:viewport=40x30+0+0", "-distort", "AffineProjection", affine}))
            << affine;
    const std::string perspective = placed({1 << 16, 0, 1 << 10});
    EXPECT_FALSE(DecodePicture(reinterpret_cast<const uint8_t*>(perspective.data()),
                               perspective.size(), cut));
}

TEST(PictDecode, DirectPixelsInEveryPackingMatchImageMagick) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    const int w = 37, h = 5;
    // 16 bits: random pixels with word runs (the default packing), then raw rows with padding.
    std::mt19937 random(28);
    std::vector<uint16_t> pixels(w * h);
    for (auto& p : pixels)
        p = uint16_t(random() & 0x7FFF);
    for (int x = 10; x < 20; ++x)
        pixels[std::size_t(w + x)] = 0x7C1F; // a run
    auto header16 = [&](Pict& p, int packType, int rowBytes) {
        p.Op(0x9A).L(0xFF).W(0x8000 | rowBytes).R(0, 0, h, w).W(0).W(packType).L(0);
        p.L(0x480000).L(0x480000).W(16).W(16).W(3).W(5).L(0).L(0).L(0);
        p.R(0, 0, h, w).R(0, 0, h, w).W(0);
    };
    Pict packed(w, h), raw(w, h);
    header16(packed, 0, 2 * w);
    header16(raw, 1, 2 * w + 2);
    for (int y = 0; y < h; ++y) {
        std::string row;
        for (int x = 0; x < w;) {
            const uint16_t* p = &pixels[std::size_t(y * w + x)];
            int n = 1;
            while (x + n < w && n < 128 && p[n] == p[0])
                ++n;
            if (n > 1) {
                row += char(257 - n), row += char(p[0] >> 8), row += char(p[0]);
            } else {
                row += char(0), row += char(p[0] >> 8), row += char(p[0]);
            }
            x += n;
        }
        packed.B(int(row.size())).Data(row);
        for (int x = 0; x < w; ++x)
            raw.W(pixels[std::size_t(y * w + x)]);
        raw.W(0xFFFF);
    }
    const std::vector<uint32_t> magick = MagickReading(dir, packed.End());
    ASSERT_EQ(magick.size(), std::size_t(w * h));
    std::vector<uint32_t> widened(magick); // five bits a channel, high bits repeated
    for (uint32_t& p : widened)
        p |= (p >> 5) & 0x070707;
    EXPECT_EQ(Decode(packed.b).pixels, widened);
    EXPECT_EQ(Decode(raw.End()).pixels, widened);

    // 32 bits: ImageMagick's own picture (component planes) against raw and 3-byte rows.
    ASSERT_EQ(RunTool({"convert", "-size", "37x5", "plasma:fractal", "-depth", "8",
                       "PICT:" + (dir / "d.pict").string()})
                  .exitCode,
              0);
    const std::vector<uint32_t> expected = Magick({"PICT:" + (dir / "d.pict").string()});
    EXPECT_EQ(Decode(ReadFileBytes(dir / "d.pict").substr(512)).pixels, expected);
    for (int packType : {1, 2}) {
        Pict p(w, h);
        const int rowBytes = packType == 1 ? 4 * w : 3 * w;
        p.Op(0x9A).L(0xFF).W(0x8000 | rowBytes).R(0, 0, h, w).W(0).W(packType).L(0);
        p.L(0x480000).L(0x480000).W(16).W(32).W(3).W(8).L(0).L(0).L(0);
        p.R(0, 0, h, w).R(0, 0, h, w).W(0);
        for (uint32_t argb : expected) {
            if (packType == 1)
                p.B(0);
            p.B(int(argb >> 16)).B(int(argb >> 8)).B(int(argb));
        }
        EXPECT_EQ(Decode(p.End()).pixels, expected) << packType;
    }
}

TEST(PictDecode, VersionOneBitmapsMatchTheirPortableBitmap) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    const int w = 70, h = 9, rowBytes = 9;
    ASSERT_EQ(RunTool({"convert", "-size", "70x9", "xc:gray", "+noise", "Random", "-threshold",
                       "50%", (dir / "b.pbm").string()})
                  .exitCode,
              0);
    const std::string pbm = ReadFileBytes(dir / "b.pbm");
    const std::string bits = pbm.substr(pbm.size() - std::size_t(rowBytes * h));
    const std::vector<uint32_t> expected = Magick({(dir / "b.pbm").string()});
    Pict plain(w, h, false), packed(w, h, false);
    plain.Op(0x90).W(rowBytes).R(0, 0, h, w).R(0, 0, h, w).R(0, 0, h, w).W(0).Data(bits);
    packed.Op(0x98).W(rowBytes).R(0, 0, h, w).R(0, 0, h, w).R(0, 0, h, w).W(0);
    for (int y = 0; y < h; ++y)
        packed.B(rowBytes + 1)
            .B(rowBytes - 1)
            .Data(bits.substr(std::size_t(y * rowBytes), rowBytes));
    EXPECT_EQ(Decode(plain.End()).pixels, expected);
    EXPECT_EQ(Decode(packed.End()).pixels, expected);
}

// One picture of each drawing operation against ImageMagick drawing the same shape without
// anti-aliasing, or against another picture that must cover the same pixels.
TEST(PictDecode, ShapesAgreeWithImageMagickAndWithEachOther) {
    STRAVEL_REQUIRE_TOOL("convert");
    const int w = 24, h = 16;
    auto picture = [&](auto&& ops, bool v2 = true) {
        Pict p(w, h, v2);
        ops(p);
        return Decode(p.End()).pixels;
    };
    auto magick = [&](const std::string& draw) {
        return Magick(
            {"-size", "24x16", "xc:white", "+antialias", "-stroke", "none", "-draw", draw});
    };
    const auto rect = [](Pict& p) { p.Op(0x1A).W(0xFFFF).W(0x8080).W(0).Op(0x31).R(2, 3, 11, 10); };
    EXPECT_EQ(picture(rect), magick("fill #FF8000 rectangle 3,2 9,10"));
    EXPECT_EQ(picture([](Pict& p) { p.Op(0x07).W(3).W(2).Op(0x30).R(2, 3, 11, 10); }),
              magick("fill black rectangle 3,2 9,10 fill white rectangle 5,5 7,7"));
    EXPECT_EQ(picture([&](Pict& p) {
                  rect(p);
                  p.Op(0x32).R(4, 4, 6, 6).Op(0x33).R(0, 0, 1, 2);
              }),
              magick("fill #FF8000 rectangle 3,2 9,10 fill white rectangle 4,4 5,5 "
                     "fill black rectangle 0,0 1,0"));
    EXPECT_EQ(picture([](Pict& p) { p.Op(0x0E).L(205).Op(0x31).R(2, 3, 11, 10); }, false),
              magick("fill red rectangle 3,2 9,10"));

    // Other forms of the same pixels.
    const auto box = picture([](Pict& p) { p.Op(0x31).R(2, 3, 11, 10); });
    const auto frame = picture([](Pict& p) { p.Op(0x30).R(2, 3, 11, 10); });
    EXPECT_EQ(picture([](Pict& p) { p.Op(0x41).R(2, 3, 11, 10); }), box); // corners of size 0
    EXPECT_EQ(picture([](Pict& p) {
                  p.Op(0x71).W(26).R(2, 3, 11, 10).W(2).W(3).W(2).W(10).W(11).W(10).W(11).W(3);
              }),
              box);
    EXPECT_EQ(picture([](Pict& p) { p.Op(0x81).W(10).R(2, 3, 11, 10); }), box);
    EXPECT_EQ(picture([](Pict& p) { p.Op(0x80).W(10).R(2, 3, 11, 10); }), frame);
    EXPECT_EQ(picture([](Pict& p) { p.Op(0x22).W(5).W(1).B(8).B(0); }),
              picture([](Pict& p) { p.Op(0x31).R(5, 1, 6, 10); }));
    // An L: rows 2-5 from x 3 to 10, rows 5-11 from x 3 to 6.
    EXPECT_EQ(picture([](Pict& p) {
                  p.Op(0x81).W(10 + 26).R(2, 3, 11, 10);
                  p.W(2).W(3).W(10).W(0x7FFF).W(5).W(6).W(10).W(0x7FFF).W(11).W(3).W(6).W(0x7FFF);
                  p.W(0x7FFF);
              }),
              picture([](Pict& p) { p.Op(0x31).R(2, 3, 5, 10).Op(0x31).R(5, 3, 11, 6); }));
    EXPECT_EQ(picture([](Pict& p) { p.Op(0x0B).W(9).W(7).Op(0x41).R(2, 3, 11, 10); }),
              picture([](Pict& p) { p.Op(0x51).R(2, 3, 11, 10); }));
    const auto pattern = picture([](Pict& p) {
        p.Op(0x0A).Data("\xAA\x55\xAA\x55\xAA\x55\xAA\x55").Op(0x34).R(0, 0, 16, 24);
    });
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(pattern[std::size_t(y * w + x)], (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u);

    // An oval: inside its rectangle, touching each side, symmetric, of the oval's area.
    const auto oval = picture([](Pict& p) { p.Op(0x51).R(1, 2, 15, 21); });
    int area = 0, left = w, right = 0, top = h, bottom = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool in = oval[std::size_t(y * w + x)] == 0xFF000000u;
            if (x <= 22) { // about x = 11.5
                ASSERT_EQ(in, oval[std::size_t(y * w + (22 - x))] == 0xFF000000u);
            }
            ASSERT_EQ(in, oval[std::size_t((15 - y) * w + x)] == 0xFF000000u); // about y = 8
            if (!in)
                continue;
            ++area;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    EXPECT_EQ(left, 2);
    EXPECT_EQ(right, 20);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(bottom, 14);
    EXPECT_NEAR(area, M_PI / 4 * 19 * 14, 8);

    // A line of the 1-pixel pen: one pixel a column, both ends drawn.
    const auto line = picture([](Pict& p) { p.Op(0x20).W(3).W(2).W(7).W(12); });
    int drawn = 0;
    for (uint32_t pixel : line)
        drawn += pixel == 0xFF000000u;
    EXPECT_EQ(drawn, 11);
    EXPECT_EQ(line[std::size_t(3 * w + 2)], 0xFF000000u);
    EXPECT_EQ(line[std::size_t(7 * w + 12)], 0xFF000000u);

    // Text in the foreground colour, right of its origin and about its baseline.
    const auto text = picture([](Pict& p) {
        p.Op(0x1A).W(0xFFFF).W(0).W(0).Op(0x0D).W(14).Op(0x28).W(12).W(2).B(2).Data("HI");
    });
    int red = 0, strayed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t pixel = text[std::size_t(y * w + x)];
            red += pixel == 0xFFFF0000u;
            strayed += pixel != 0xFFFFFFFFu && (x < 2 || y > 12);
        }
    EXPECT_GT(red, 10);
    EXPECT_EQ(strayed, 0);
}

TEST(PictDecode, DamagedPicturesAreRefused) {
    DecodedPicture out;
    auto refused = [&](const std::string& bytes) {
        return !DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
    };
    const std::string shapes = Pict(24, 16)
                                   .Op(0x07)
                                   .W(2)
                                   .W(2)
                                   .Op(0x50)
                                   .R(1, 2, 15, 21)
                                   .Op(0x28)
                                   .W(12)
                                   .W(2)
                                   .B(2)
                                   .Data("HI")
                                   .End();
    ASSERT_FALSE(refused(shapes));
    for (std::size_t n = 0; n < shapes.size(); ++n)
        EXPECT_TRUE(refused(shapes.substr(0, n))) << n;
    // A region whose points go backwards, a pattern of no known kind.
    EXPECT_TRUE(
        refused(Pict(8, 8).Op(0x81).W(22).R(0, 0, 8, 8).W(1).W(5).W(2).W(0x7FFF).W(0x7FFF).End()));
    EXPECT_TRUE(refused(Pict(8, 8).Op(0x13).W(3).Data(std::string(8, '\0')).End()));
    // Drawing that asks for far more work than its frame warrants.
    Pict busy(2048, 2048);
    for (int i = 0; i < 400; ++i)
        busy.Op(0x33).R(0, 0, 2048, 2048);
    EXPECT_TRUE(refused(busy.End()));
}

// A JPEG marker segment: its marker, length and body.
std::string Segment(int marker, const std::string& body) {
    const std::size_t n = body.size() + 2;
    return std::string{'\xFF', char(marker), char(n >> 8), char(n)} + body;
}

// A baseline JPEG as Motion-JPEG B: a header of offsets to its tables, frame header and scan
// header, each with its length, then its scan without the zero bytes stuffed after 0xFF.
std::string MotionJpegB(const std::string& jpeg) {
    std::string parts[4], scan; // quantisation, Huffman tables, frame, scan header
    for (std::size_t at = 2; at + 4 <= jpeg.size();) {
        const int marker = uint8_t(jpeg[at + 1]);
        const std::size_t n = std::size_t(uint8_t(jpeg[at + 2])) << 8 | uint8_t(jpeg[at + 3]);
        const std::string body = jpeg.substr(at + 4, n - 2);
        at += 2 + n;
        const int part = marker == 0xDB ? 0 : marker == 0xC4 ? 1 : marker == 0xC0 ? 2 : 3;
        if (marker != 0xDA && part == 3)
            continue;
        parts[part] += body;
        for (; marker == 0xDA && at + 1 < jpeg.size() && (jpeg[at] != '\xFF' || !jpeg[at + 1]);
             ++at)
            at += (scan += jpeg[at], jpeg[at] == '\xFF');
    }
    std::string out(40, '\0');
    out.replace(4, 4, "mjpg");
    auto put = [&](std::size_t at, std::size_t v) {
        for (int k = 0; k < 4; ++k)
            out[at + std::size_t(k)] = char(v >> (24 - 8 * k));
    };
    for (int i = 0; i < 4; ++i) {
        put(20 + 4 * std::size_t(i), out.size());
        out += Segment(0, parts[i]).substr(2);
    }
    put(36, out.size());
    out += scan;
    put(8, out.size());
    put(12, out.size());
    return out;
}

// Images compressed by other codecs, taken from one-frame QuickTime movies that ffmpeg writes
// (their sample description is the image description), against ffmpeg's decoding of them, at
// sizes whose rows end inside a group of the converter's pixels too. Each is decoded twice, so
// that what a decoding leaves unwritten shows.
TEST(PictDecode, OtherCodecsMatchFfmpeg) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    // Motion-JPEG B is made from the A form, which ffmpeg writes; so is A of two fields, from
    // the frame's fields coded apart and put together under the frame's height.
    const struct {
        const char *codec, *format, *tag;
        int width, height;
    } codecs[] = {{"qtrle", "rgb24", "", 24, 16},
                  {"rpza", "rgb555le", "", 24, 16},
                  {"smc", "pal8", "", 24, 16},
                  {"png", "rgb24", "", 24, 16},
                  {"tiff", "rgb24", "", 24, 16},
                  {"rawvideo", "rgb24", "", 24, 16},
                  {"mjpeg", "yuvj444p", "mjpa", 24, 16},
                  {"mjpeg", "yuvj444p", "mjpb", 24, 16},
                  {"mjpeg", "yuvj444p", "fields", 24, 16},
                  {"mjpeg", "yuvj420p", "mjpa", 59, 40},
                  {"mjpeg", "yuvj422p", "mjpa", 75, 100},
                  {"mjpeg", "yuvj420p", "mjpa", 18, 10}};
    for (const auto& [codec, format, tag, width, height] : codecs) {
        const std::string frame = std::to_string(width) + "x" + std::to_string(height);
        const std::string movie =
            (dir / (std::string(codec) + format + tag + frame + ".mov")).string();
        std::vector<std::string> make{
            "ffmpeg",    "-v", "error",    "-f",   "lavfi", "-i", "testsrc=s=" + frame,
            "-frames:v", "1",  "-pix_fmt", format, "-c:v",  codec};
        if (*tag)
            make.insert(make.end(), {"-tag:v", "mjpa"});
        if (std::string(tag) == "fields") {
            const std::string fields = (dir / "fields.jpg").string();
            make[8] = "2";
            make.insert(make.begin() + 7, {"-vf", "separatefields"});
            make.insert(make.end(), {"-f", "image2pipe", fields});
            ASSERT_EQ(RunTool(make).exitCode, 0);
            make = {"ffmpeg", "-v",   "error", "-video_size", frame,    "-f",  "image2",
                    "-i",     fields, "-c:v",  "copy",        "-tag:v", "mjpa"};
        }
        make.push_back(movie);
        ASSERT_EQ(RunTool(make).exitCode, 0);
        const std::string rgb = RunTool({"ffmpeg", "-v", "error", "-i", movie, "-f", "rawvideo",
                                         "-pix_fmt", "rgb24", "-"})
                                    .out;
        const std::string bytes = ReadFileBytes(movie);
        auto size = [&](std::size_t at) { // the 16 bits below a small atom's size
            return std::size_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
        };
        const std::size_t entry = bytes.find("stsd") + 12, mdat = bytes.find("mdat");
        std::string description = bytes.substr(entry, size(entry));
        std::string data = bytes.substr(mdat + 4, size(mdat - 4) - 8);
        if (std::string(tag) == "mjpb") {
            description.replace(4, 4, tag);
            data = MotionJpegB(data);
        }
        Pict p(width, height);
        p.Compressed(kIdentity, description, data);
        const std::string picture = p.End();
        for (int run = 0; run < 2; ++run) {
            std::string ours;
            for (uint32_t pixel : Decode(picture).pixels)
                ours += {char(pixel >> 16), char(pixel >> 8), char(pixel)};
            EXPECT_TRUE(!rgb.empty() && ours == rgb) << codec << format << tag << frame;
        }
    }
}

// Arcs, the clip region and the origin on an 8 x 8 frame against pixels drawn by hand ('#'
// black). The circle in (0, 0, 8, 8) covers columns 2-5, 1-6, then 0-7 down to its middle.
TEST(PictDecode, ArcsClipsAndOriginMatchHandDrawnPixels) {
    const std::pair<std::function<void(Pict&)>, std::string> cases[] = {
        // From 12 o'clock a quarter clockwise; then the bottom half (from 3 o'clock).
        {[](Pict& p) { p.Op(0x61).R(0, 0, 8, 8).W(0).W(90); },
         "....##..\n....###.\n....####\n....####\n........\n........\n........\n........\n"},
        {[](Pict& p) { p.Op(0x61).R(0, 0, 8, 8).W(90).W(180); },
         "........\n........\n........\n........\n########\n########\n.######.\n..####..\n"},
        // A "same" form running anticlockwise; the outline of a quarter with a 1-pixel pen.
        {[](Pict& p) { p.Op(0x61).R(0, 0, 8, 8).W(0).W(90).Op(0x6B).W(270).W(-90); },
         "....##..\n....###.\n....####\n....####\n####....\n####....\n.###....\n..##....\n"},
        {[](Pict& p) { p.Op(0x60).R(0, 0, 8, 8).W(0).W(90); },
         "....##..\n......#.\n.......#\n.......#\n........\n........\n........\n........\n"},
        // 45 to 135 degrees of a wide oval: between its rectangle's diagonals, not true angles.
        {[](Pict& p) { p.Op(0x61).R(2, 0, 6, 8).W(45).W(90); },
         "........\n........\n........\n.....###\n.....###\n........\n........\n........\n"},
        // Clipped to an L-shaped region.
        {[](Pict& p) {
             p.Op(0x01).W(10 + 26).R(1, 1, 7, 7).W(1).W(1).W(6).W(0x7FFF).W(4).W(3).W(6);
             p.W(0x7FFF).W(7).W(1).W(3).W(0x7FFF).W(0x7FFF).Op(0x31).R(0, 0, 8, 8);
         },
         "........\n.#####..\n.#####..\n.#####..\n.##.....\n.##.....\n.##.....\n........\n"},
        // A line clipped to the top half, then a bitmap to the bottom-left quarter.
        {[](Pict& p) {
             p.Op(0x01).W(10).R(0, 0, 4, 8).Op(0x20).W(0).W(0).W(7).W(7);
             p.Op(0x01).W(10).R(4, 0, 8, 4).Op(0x90).W(1).R(0, 0, 8, 8).R(0, 0, 8, 8);
             p.R(0, 0, 8, 8).W(0).Data(std::string(8, '\xFF'));
         },
         "#.......\n.#......\n..#.....\n...#....\n####....\n####....\n####....\n####....\n"},
        // Coordinates moved by the origin, and back for a "same" form.
        {[](Pict& p) { p.Op(0x0C).W(2).W(1).Op(0x31).R(1, 2, 3, 5).Op(0x0C).W(-2).W(-1).Op(0x39); },
         "###.....\n#####...\n..###...\n........\n........\n........\n........\n........\n"},
    };
    for (const auto& [ops, expected] : cases) {
        Pict p(8, 8);
        ops(p);
        const std::vector<uint32_t> pixels = Decode(p.End()).pixels;
        std::string drawn;
        for (std::size_t i = 0; i < 64; ++i)
            drawn +=
                std::string(pixels.at(i) == 0xFF000000u ? "#" : ".") + (i % 8 == 7 ? "\n" : "");
        EXPECT_EQ(drawn, expected);
    }
}

// A progressive grey JPEG: one DC scan, then the same AC scan `repeats` times (libjpeg takes a
// repeated first AC scan without a warning).
std::string RepeatedScans(const TempDir& dir, int repeats) {
    WriteFileBytes(dir / "scans", "0: 0 0 0 0;\n0: 1 63 0 0;\n");
    EXPECT_EQ(RunTool({"convert", "-size", "512x512", "plasma:fractal", "-type", "Grayscale",
                       (dir / "g.jpg").string()})
                  .exitCode,
              0);
    const auto made =
        RunTool({"jpegtran", "-scans", (dir / "scans").string(), (dir / "g.jpg").string()});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    const std::string& jpeg = made.out;
    const std::size_t ac = jpeg.find("\xFF\xDA", jpeg.find("\xFF\xDA") + 2);
    const std::size_t end = jpeg.rfind("\xFF\xD9");
    std::string out = jpeg.substr(0, end);
    for (int i = 1; i < repeats; ++i)
        out += jpeg.substr(ac, end - ac);
    return out + "\xFF\xD9";
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A grey progressive JPEG, side x side (or `rows` high), whose scans code nothing: `frames` frame
// headers, a DC scan, then `acScans` AC scans in which every block ends its band, each coded
// `passes` times, the copies after the first each opened by a next-field marker. Each table
// has one code, '0': no DC difference, and an end of band for the next 2^14 blocks (the last
// run may pass the end, which decoders allow). FFmpeg wants a byte for each four blocks: a
// comment pads.
std::string EmptyProgressiveJpeg(int side, int acScans, int frames = 1, int rows = 0,
                                 int passes = 1) {
    rows = rows ? rows : side;
    const std::size_t blocks = std::size_t((side + 7) / 8) * std::size_t((rows + 7) / 8);
    const std::string size{char(rows >> 8), char(rows), char(side >> 8), char(side)};
    std::string body = Segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));
    for (int i = 0; i < frames; ++i)
        body += Segment(0xC2, "\x08" + size + std::string("\x01\x01\x11\x00", 4));
    const std::string oneCode = '\x01' + std::string(15, '\0');
    body += Segment(0xC4, std::string(1, '\0') + oneCode + '\0' + '\x10' + oneCode + '\xE0');
    body += Segment(0xDA, std::string("\x01\x01\x00\x00\x00\x00", 6)) +
            std::string((blocks + 7) / 8, '\0');
    const std::string bands(((blocks + 16383) / 16384 * 15 + 7) / 8, '\0');
    std::string ac = Segment(0xDA, std::string("\x01\x01\x00\x01\x3F\x00", 6)) + bands;
    for (int i = 1; i < passes; ++i)
        ac += "\xFF\xD1" + bands;
    for (int i = 0; i < acScans; ++i)
        body += ac;
    std::string pad;
    for (std::size_t n = blocks / 4 + 8; n > body.size() + pad.size();)
        pad += Segment(
            0xFE, std::string(std::min<std::size_t>(n - body.size() - pad.size(), 60000), 'x'));
    return "\xFF\xD8" + pad + body + "\xFF\xD9";
}

// Small pictures built to make the decoder work far beyond their size are refused, or decoded
// in memory bounded by their frame.
TEST(PictDecode, HostilePicturesStayWithinTheirBudget) {
    STRAVEL_REQUIRE_TOOL("convert");
    STRAVEL_REQUIRE_TOOL("jpegtran");
    STRAVEL_REQUIRE_TOOL("djpeg");
    STRAVEL_REQUIRE_TOOL("cjpeg");
    TempDir dir;
    DecodedPicture out;
    auto decodes = [&](const std::string& bytes) {
        return DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
    };
    // A 64 KB region below a 1 x 1 frame, painted again 1,000 times.
    Pict region(1, 1);
    region.Op(0x81).W(10 + 8000 * 8 + 2).R(10, 0, 8010, 2);
    for (int y = 10; y < 8010; ++y)
        region.W(y).W(0).W(2).W(0x7FFF);
    region.W(0x7FFF);
    for (int i = 0; i < 1000; ++i)
        region.Op(0x89);
    EXPECT_FALSE(decodes(region.End()));
    // A polygon of 8,000 points above the frame, painted again 5,000 times.
    Pict polygon(1, 1);
    polygon.Op(0x71).W(10 + 8000 * 4).R(-200, 0, -100, 8000);
    for (int i = 0; i < 8000; ++i)
        polygon.W(-200 + (i % 2) * 100).W(i);
    for (int i = 0; i < 5000; ++i)
        polygon.Op(0x79);
    EXPECT_FALSE(decodes(polygon.End()));
    // 40,000 font names, each a look through the font catalogue.
    Pict fonts(1, 1);
    for (int i = 0; i < 40000; ++i)
        fonts.Op(0x2C).W(7).W(3).B(4).Data("Sans");
    EXPECT_FALSE(decodes(fonts.End()));
    // Text moved on by 255 pixels 8.5 million times.
    Pict text(1, 1, false);
    for (int i = 0; i < 8500000; ++i)
        text.B(0x29).B(255).B(0);
    EXPECT_TRUE(decodes(text.End()));
    // A zigzag of 5,000 points across 5,000 rows, almost all of it off the frame's sides.
    Pict zigzag(512, 5000);
    zigzag.Op(0x71).W(10 + 5000 * 4).R(0, -30000, 5000, 32000);
    for (int i = 0; i < 5000; ++i)
        zigzag.W(i % 2 ? 5000 : 0).W((i % 2 ? 30000 : -30000) + i);
    const long before = PeakKilobytes();
    EXPECT_TRUE(decodes(zigzag.End()));
    EXPECT_LT(PeakKilobytes() - before, 64 * 1024);
    // A JPEG of 1,000 scans is refused, alone and in a picture; one of 100 is decoded as djpeg
    // decodes it.
    const std::string busy = RepeatedScans(dir, 1000);
    const std::string description = Description("jpeg", 512, 512);
    jpeg::RgbPixels rgb;
    EXPECT_FALSE(jpeg::DecodeToRgb(reinterpret_cast<const uint8_t*>(busy.data()), busy.size(),
                                   std::size_t(1) << 30, rgb));
    EXPECT_FALSE(decodes(Pict(512, 512).Compressed(kIdentity, description, busy).End()));
    const std::string fine = RepeatedScans(dir, 100);
    WriteFileBytes(dir / "fine.jpg", fine);
    const std::string grey = RunTool({"djpeg", "-pnm", (dir / "fine.jpg").string()}).out;
    ASSERT_TRUE(jpeg::DecodeToRgb(reinterpret_cast<const uint8_t*>(fine.data()), fine.size(),
                                  std::size_t(1) << 30, rgb));
    EXPECT_TRUE(decodes(Pict(512, 512).Compressed(kIdentity, description, fine).End()));
    ASSERT_EQ(grey.size(), 15 + 512u * 512);
    for (std::size_t i = 0; i < 512u * 512; i += 997)
        EXPECT_EQ(rgb.pixels[3 * i], uint8_t(grey[15 + i])) << i;
    // An image wider than picture coordinates reach.
    const auto wide = RunTool({"cjpeg"}, "P6\n32768 2\n255\n" + std::string(32768 * 2 * 3, '\x40'));
    ASSERT_EQ(wide.exitCode, 0);
    EXPECT_FALSE(decodes(Pict(16, 2).Compressed(kIdentity, description, wide.out).End()));
}

// JPEG data is charged by the frames and scans its own headers give, whatever the picture says
// of it (each image here claims to be 1 x 1, or as high as its frames' fields make it), and
// thin wedges by their rows: each picture is decoded in a child held to two seconds of
// processor time and 256 MB.
TEST(PictDecode, JpegDataAndThinWedgesAreChargedTheirWork) {
    STRAVEL_REQUIRE_TOOL("cjpeg");
    auto image = [](const std::string& codec, const std::string& data, int frame = 1, int count = 1,
                    int described = 1) {
        Pict p(frame, frame);
        for (int i = 0; i < count; ++i)
            p.Compressed(kIdentity, Description(codec, 1, described), data);
        return p.End();
    };
    const std::string pgm = "P5\n4096 4096\n255\n" + std::string(4096 * 4096, '\x80');
    const auto flat = RunTool({"cjpeg", "-grayscale"}, pgm);
    const auto field =
        RunTool({"cjpeg", "-grayscale"}, "P5\n4096 2048\n255\n" + std::string(4096 * 2048, '\x80'));
    ASSERT_EQ(flat.exitCode, 0);
    ASSERT_EQ(field.exitCode, 0);
    // A large frame's header whose first byte ends an application segment, where only FFmpeg's
    // reading of that segment finds it.
    const std::string visible = EmptyProgressiveJpeg(4096, 298);
    const std::size_t frameAt = visible.find("\xFF\xC2");
    const std::string hidden = visible.substr(0, frameAt) +
                               Segment(0xE0, "an application note\xFF") +
                               visible.substr(frameAt + 1);
    // 99 progressive scans of the whole frame in a few kilobytes when arithmetic-coded; the
    // same script coded by Huffman tables takes 70 KB.
    TempDir dir;
    std::string script = "0: 0 0 0 1;\n0: 0 0 1 0;\n";
    for (int k = 1; k <= 63; ++k)
        script += "0: " + std::to_string(k) + " " + std::to_string(k) + " 0 1;\n";
    for (int k = 1; k <= 34; ++k)
        script += "0: " + std::to_string(k) + " " + std::to_string(k) + " 1 0;\n";
    WriteFileBytes(dir / "scans", script);
    std::string twins[2];
    for (int arithmetic = 0; arithmetic < 2; ++arithmetic) {
        std::vector<std::string> argv{"cjpeg", "-grayscale", "-scans", (dir / "scans").string()};
        if (arithmetic)
            argv.push_back("-arithmetic");
        const auto made = RunTool(argv, pgm);
        ASSERT_EQ(made.exitCode, 0) << made.err;
        twins[arithmetic] = made.out;
    }
    ASSERT_LT(twins[1].size(), 4096u);
    Pict wedges(4096, 4096);
    wedges.Op(0x61).R(0, 0, 4096, 4096).W(0).W(1);
    for (int i = 0; i < 40; ++i)
        wedges.Op(0x69).W(0).W(1);
    // What each gives: refused (0), or drawn, with its first pixel: white where nothing covers
    // it, grey where the image is drawn.
    const uint32_t refused = 0, white = 0xFFFFFFFFu, grey = 0xFF808080u;
    const struct {
        const char* what;
        std::string picture;
        uint32_t first;
    } cases[] = {
        {"400 scans", image("mjpa", EmptyProgressiveJpeg(4096, 400)), refused},
        {"a frame header in an application segment's last byte", image("mjpa", hidden), refused},
        {"2,000 next-field markers",
         image("mjpa", EmptyProgressiveJpeg(4096, 1, 1, 2048, 2001), 1, 1, 4096), refused},
        {"two fields of a large picture", image("mjpa", field.out + field.out, 1, 1, 4096), grey},
        {"100 scans of a large frame", image("mjpa", EmptyProgressiveJpeg(4096, 100)), refused},
        {"300 frame headers", image("mjpa", EmptyProgressiveJpeg(4096, 0, 300)), refused},
        {"a large Motion-JPEG B frame", image("mjpb", MotionJpegB(flat.out)), grey},
        {"99 arithmetic-coded scans", image("jpeg", twins[1]), refused},
        {"twelve of them on a large frame", image("jpeg", twins[1], 4096, 12), refused},
        {"their Huffman-coded twins", image("jpeg", twins[0], 4096, 12), refused},
        {"10 scans, FFmpeg", image("mjpa", EmptyProgressiveJpeg(512, 9), 512), grey},
        {"10 scans, libjpeg", image("jpeg", EmptyProgressiveJpeg(512, 9), 512), grey},
        {"40 wedges of one degree", wedges.End(), white},
    };
    for (const auto& [what, picture, first] : cases)
        EXPECT_TRUE(stravel::testing::FinishesWithin(2, 256u << 20, [&, first = first] {
            DecodedPicture out;
            return (DecodePicture(reinterpret_cast<const uint8_t*>(picture.data()), picture.size(),
                                  out)
                        ? out.pixels.at(0)
                        : refused) == first;
        })) << what;
}

// A photograph of ffmpeg's test pattern, `size` as "WxH", coded by cjpeg with `options`.
std::string Photo(const std::string& size, std::vector<std::string> options) {
    const auto ppm = RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc2=s=" + size,
                              "-frames:v", "1", "-f", "image2pipe", "-vcodec", "ppm", "-"});
    options.insert(options.begin(), "cjpeg");
    const auto jpeg = RunTool(options, ppm.out);
    EXPECT_EQ(jpeg.exitCode, 0) << jpeg.err;
    return jpeg.out;
}

// Photographs placed smaller than their own size draw whole, as their decoder (libjpeg for
// 'jpeg', FFmpeg for 'mjpa') decodes them and ImageMagick places them: what their application
// and comment segments hold is not charged as the image.
TEST(PictDecode, PhotographsPlacedSmallDrawWhole) {
    for (const char* tool : {"ffmpeg", "cjpeg", "exiftool", "convert"})
        STRAVEL_REQUIRE_TOOL(tool);
    TempDir dir;
    WriteFileBytes(dir / "thumbnail.jpg", Photo("160x120", {}));
    WriteFileBytes(dir / "exif.jpg", Photo("4000x3000", {"-sample", "1x1"}));
    ASSERT_EQ(RunTool({"exiftool", "-q", "-overwrite_original",
                       "-ThumbnailImage<=" + (dir / "thumbnail.jpg").string(),
                       (dir / "exif.jpg").string()})
                  .exitCode,
              0);
    // A camera's account of the shot, turned a quarter: the picture draws the pixels as stored.
    WriteFileBytes(dir / "camera.jpg", Photo("640x480", {"-sample", "1x1"}));
    ASSERT_EQ(RunTool({"exiftool", "-q", "-overwrite_original", "-Make=Canon", "-Model=EOS 5D",
                       "-Orientation#=6", "-DateTimeOriginal=2024:05:01 10:00:00",
                       "-ExposureTime=1/125", "-FNumber=5.6", "-ISO=400", "-FocalLength=50",
                       "-GPSLatitude=48.85", "-GPSLatitudeRef=N", "-GPSLongitude=2.35",
                       "-GPSLongitudeRef=E", "-UserComment=at the river",
                       "-ThumbnailImage<=" + (dir / "thumbnail.jpg").string(),
                       (dir / "camera.jpg").string()})
                  .exitCode,
              0);
    const std::string small = Photo("512x512", {"-sample", "1x1"});
    auto commented = [&](const std::string& comment) {
        return small.substr(0, 2) + Segment(0xFE, comment) + small.substr(2);
    };
    std::string scans;
    for (int i = 0; i < 301; ++i)
        scans += "\xFF\xDA";
    const std::string frame(
        "\xFF\xC0\x00\x11\x08\x0F\xA0\x0F\xA0\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00",
        19); // 4000 x 4000
    const struct {
        const char* what;
        std::string jpeg;
        const char* codec;
        int width, height, eighths; // placed at eighths / 8 of its size
    } cases[] = {
        {"10 progressive scans", Photo("3000x3000", {"-progressive"}), "jpeg", 3000, 3000, 1},
        {"an EXIF thumbnail", ReadFileBytes(dir / "exif.jpg"), "jpeg", 4000, 3000, 1},
        {"an EXIF thumbnail, FFmpeg", ReadFileBytes(dir / "exif.jpg"), "mjpa", 4000, 3000, 1},
        {"a camera's EXIF, FFmpeg", ReadFileBytes(dir / "camera.jpg"), "mjpa", 640, 480, 4},
        {"a comment of 301 scan markers", commented(scans), "jpeg", 512, 512, 8},
        {"a comment holding a large frame header", commented(frame), "mjpa", 512, 512, 8},
    };
    for (const auto& c : cases) {
        const int w = c.width * c.eighths / 8, h = c.height * c.eighths / 8;
        Pict p(w, h);
        p.Compressed({0x2000 * c.eighths, 0, 0, 0, 0x2000 * c.eighths, 0, 0, 0, 0x40000000},
                     Description(c.codec, c.width, c.height), c.jpeg);
        WriteFileBytes(dir / "x.jpg", c.jpeg);
        std::string decoded = (dir / "x.jpg").string();
        if (std::string(c.codec) == "mjpa") {
            decoded = (dir / "x.ppm").string();
            ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-y", "-noautorotate", "-i",
                               (dir / "x.jpg").string(), "-pix_fmt", "rgb24", decoded})
                          .exitCode,
                      0);
        }
        const std::string scale = std::to_string(c.eighths / 8.0);
        EXPECT_EQ(
            Decode(p.End()).pixels,
            Magick({decoded, "-strip", "-filter", "point", "-interpolate", "nearest", "-define",
                    "distort:viewport=" + std::to_string(w) + "x" + std::to_string(h), "-distort",
                    "AffineProjection", scale + ",0,0," + scale + ",0,0"}))
            << c.what;
    }
}

// What FFmpeg's decoders read beyond the pixels costs them nothing: EXIF directories however
// their entries multiply or whatever they print, before the scan or after it; compressed text
// and profiles; GeoTIFF keys that each print one long array; a DNG-style TIFF whose JPEG strip
// holds EXIF. Each picture draws what its twin without them draws, or is refused where its data
// would be decoded many times over (tiles that share their bytes, OpenEXR blocks that all name
// one chunk of channels nothing draws, FLIC chunks that each clear the frame) or inflates far
// past its rows; each in a child held to a second of processor time and 20 MB.
TEST(PictDecode, WhatFfmpegReadsBeyondPixelsCostsItNothing) {
    for (const char* tool : {"ffmpeg", "cjpeg"})
        STRAVEL_REQUIRE_TOOL(tool);
    using picturetest::TiffMaker;
    const std::string photo = Photo("8x8", {});
    const std::size_t end = photo.rfind("\xFF\xD9");
    ASSERT_NE(end, std::string::npos);
    const std::string nested = ExifSegment(400, 3), longValues = ExifSegment(1000, 1, 1300);
    const std::string png =
        RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=s=8x8", "-frames:v", "1",
                 "-f", "image2pipe", "-c:v", "png", "-pix_fmt", "rgb24", "-"})
            .out;
    const std::string text = picturetest::CompressedTextChunk(std::size_t(64) << 20);
    const std::string grey = picturetest::GreyJpeg(8);
    // An 8 x 8 grey TIFF, and the same with 4,000 GeoTIFF keys, each printing all of 8,192
    // doubles.
    auto keyed = [](bool keys) {
        TiffMaker t;
        t.Short(0x100, 8), t.Short(0x101, 8), t.Short(0x102, 8), t.Short(0x103, 1);
        t.Short(0x106, 1), t.Long(0x111, 0), t.Short(0x115, 1), t.Short(0x116, 8);
        t.Long(0x117, 64);
        if (keys) {
            std::string directory = TiffMaker::Le(1, 2) + TiffMaker::Le(1, 2) +
                                    TiffMaker::Le(0, 2) + TiffMaker::Le(4000, 2);
            for (int i = 0; i < 4000; ++i)
                directory += TiffMaker::Le(3072, 2) + TiffMaker::Le(34736, 2) +
                             TiffMaker::Le(8192, 2) + TiffMaker::Le(0, 2);
            t.Add(0x87AF, 3, uint32_t(directory.size() / 2), directory);
            t.Add(0x87B0, 12, 8192, std::string(8192 * 8, '\x3F'));
        }
        t.Long(0x111, uint32_t(t.DataAt()));
        std::string pixels;
        for (int i = 0; i < 64; ++i)
            pixels += char(i * 4);
        return t.Make(pixels);
    };
    const std::string refused = "refused", any = "drawn";
    const struct {
        const char* what;
        const char* codec;
        int size;
        std::string data, plain; // plain: its twin's data, or refused, or any drawing
    } cases[] = {
        {"400 EXIF entries on each of three levels", "mjpa", 8,
         photo.substr(0, 2) + nested + photo.substr(2), photo},
        {"800 a level", "mjpa", 8, photo.substr(0, 2) + ExifSegment(800, 3) + photo.substr(2),
         photo},
        {"1,000 tags of 1,300 values", "mjpa", 8, photo.substr(0, 2) + longValues + photo.substr(2),
         photo},
        {"two such segments", "dmb1", 8,
         photo.substr(0, 2) + longValues + longValues + photo.substr(2), photo},
        {"400 a level after the scan", "dmb1", 8, photo.substr(0, end) + nested + photo.substr(end),
         photo},
        {"a PNG with text inflating to 64 MB", "png ", 8, picturetest::WithChunks(png, text), png},
        {"four of them", "png ", 8, picturetest::WithChunks(png, text + text + text + text), png},
        {"a profile inflating to 64 MB", "png ", 8,
         picturetest::WithChunks(png, picturetest::ProfileChunk(std::size_t(64) << 20)), png},
        {"an image stream inflating 256 MB past its rows", "png ", 8,
         picturetest::BlackPng((std::size_t(256) << 20) + 72), refused},
        {"its rows alone", "png ", 8, picturetest::BlackPng(72), any},
        {"GeoTIFF keys printing one long array", "tiff", 8, keyed(true), keyed(false)},
        {"a DNG strip with EXIF", "tiff", 8,
         picturetest::DngWithStrip(grey.substr(0, 2) + nested + grey.substr(2)),
         picturetest::DngWithStrip(grey)},
        {"1,024 tiles sharing 60 kB of Huffman tables", "tiff", 512,
         picturetest::DngWithSharedTiles(
             picturetest::WithHuffmanTables(picturetest::GreyJpeg(16), 60000), 512, 16),
         refused},
        {"a FLIC frame cleared 10,000 times", "flic", 1024, picturetest::FlicClears(10000),
         refused},
        {"cleared once", "flic", 1024, picturetest::FlicClears(1), any},
        {"4,000 channels that nothing draws in 1,024 blocks naming one chunk", "exr ", 64,
         picturetest::ExrBlocks(4000, 1024, true), refused},
        {"their red, green and blue alone, a chunk a block", "exr ", 64,
         picturetest::ExrBlocks(0, 1024, false), any},
    };
    auto picture = [](const char* codec, int size, const std::string& data) {
        return Pict(8, 8).Compressed(kIdentity, Description(codec, size, size), data).End();
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> plain;
        if (c.plain != refused && c.plain != any) {
            plain = Decode(picture(c.codec, c.size, c.plain)).pixels;
            ASSERT_EQ(plain.size(), 64u) << c.what;
        }
        const std::string bytes = picture(c.codec, c.size, c.data);
        EXPECT_TRUE(stravel::testing::FinishesWithin(
            1, 20u << 20,
            [&] {
                DecodedPicture out;
                const bool drawn = DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                 bytes.size(), out);
                return c.plain == refused ? !drawn
                                          : drawn && (plain.empty() || out.pixels == plain);
            }))
            << c.codec << ": " << c.what;
    }
}

// The charge follows the segments as each decoder reads them: what lies in an application or
// comment segment is passed over where the decoder passes over it, and counted where a damaged
// length or the decoder's search could bring it to light. Frames of every kind are charged.
TEST(PictDecode, JpegChargeReadsSegmentsAsTheirDecoders) {
    STRAVEL_REQUIRE_TOOL("cjpeg");
    using gate::MarkerReading;
    std::string rgb = "P6\n64 48\n255\n";
    for (int i = 0; i < 64 * 48 * 3; ++i)
        rgb += char(i * 7 % 251);
    const std::string plain = RunTool({"cjpeg", "-progressive", "-restart", "1"}, rgb).out;
    const std::string arithmetic =
        RunTool({"cjpeg", "-progressive", "-restart", "1", "-arithmetic"}, rgb).out;
    const std::string baseline = RunTool({"cjpeg"}, rgb).out;
    ASSERT_FALSE(plain.empty() || arithmetic.empty() || baseline.empty());
    const std::size_t scan = plain.find("\xFF\xDA"), second = plain.find("\xFF\xC4", scan);
    std::string hidden; // scan headers, as a comment or application segment may hold them
    for (int i = 0; i < 301; ++i)
        hidden += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    auto at = [&](std::size_t where, const std::string& segment) {
        return plain.substr(0, where) + segment + plain.substr(where);
    };
    std::string damaged = Segment(0xFE, hidden);
    damaged[2] = '\xFF'; // its length runs past the data
    // FFmpeg stops the thumbnail's size and a byte short of its end, inside the first scan.
    const std::string jfif =
        Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\x28\x19", 14) + hidden);
    const struct {
        const char* what;
        std::string data, same; // same: data charged as this is; else more scans are
        MarkerReading reading;
    } cases[] = {
        {"a comment running past the end", at(2, damaged), "", MarkerReading::ByLength},
        {"a header FFmpeg reads past", at(2, Segment(0xE0, "AVI1") + Segment(0xFE, hidden)), "",
         MarkerReading::BySearch},
        {"the same, for libjpeg", at(2, Segment(0xE0, "AVI1") + Segment(0xFE, hidden)), plain,
         MarkerReading::ByLength},
        {"a JFIF header longer than its thumbnail", at(2, jfif), "", MarkerReading::BySearch},
        {"scans in a segment after a scan", at(second, Segment(0xE1, hidden)), "",
         MarkerReading::BySearch},
        {"the same, for libjpeg", at(second, Segment(0xE1, hidden)), plain,
         MarkerReading::ByLength},
        {"arithmetic coding", arithmetic, plain, MarkerReading::ByLength},
    };
    auto work = [](const std::string& data, MarkerReading reading) {
        return gate::MarkedJpegWork(reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                                    kMaxPicturePixels, reading);
    };
    for (const auto& c : cases) {
        const gate::JpegWork got = work(c.data, c.reading);
        if (c.same.empty()) {
            EXPECT_GT(got.scans, 300u) << c.what;
            continue;
        }
        const gate::JpegWork want = work(c.same, c.reading);
        EXPECT_TRUE(got.work == want.work && got.scans == want.scans && want.scans >= 6) << c.what;
    }
    // Where FFmpeg's reading of a segment leaves it, against its own account of the markers it
    // reads: a large progressive frame's header, hidden where each segment may bring it to
    // light, is charged where ffmpeg reads it, and only there where the bytes tell.
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const std::string frame("\xFF\xC2\x00\x0B\x08\x08\x00\x08\x00\x01\x01\x11\x00", 13);
    const std::string after = frame.substr(1); // its marker's 0xFF ends the segment before
    const struct {
        const char* what;
        std::string segments;
        bool told;           // else it depends on what an EXIF directory holds
        bool hidden = false; // its EXIF directories hidden from FFmpeg, as pictures hand it
    } hiding[] = {
        {"an application segment's last byte", Segment(0xE0, "an application note\xFF") + after,
         true},
        {"an AVI1 header's last byte", Segment(0xE0, "AVI1\xFF") + after, true},
        {"an Adobe header's last byte",
         Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0\xFF", 12)) + after, true},
        {"a comment's last byte", Segment(0xFE, "note\xFF") + after, true},
        {"a comment a byte into which AVI1 is read", Segment(0xE0, "AVI1") + Segment(0xFE, frame),
         true},
        {"a comment that LJIF is read past", Segment(0xE0, "LJIF") + Segment(0xFE, "12345" + frame),
         true},
        {"a JFIF header short of its thumbnail",
         Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\1\1", 14) + std::string(10, 'x') +
                           frame.substr(0, 4)) +
             frame.substr(4),
         true},
        {"quantisation tables' leftover", Segment(0xDB, '\0' + std::string(64, '\1') + frame),
         true},
        {"a segment left unread", Segment(0xF0, "12" + frame), true},
        {"an EXIF directory's last byte",
         Segment(0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\0\0\0\0\0\0\xFF", 21)) + after, false},
        {"an EXIF directory read to its end, hidden",
         Segment(0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\0\0\0\0\0\xFF", 20)) + after, true,
         true},
    };
    for (const auto& c : hiding) {
        std::string data = "\xFF\xD8" + c.segments + baseline.substr(2);
        if (c.hidden) {
            const std::vector<uint8_t> hidden =
                gate::HideExifFromFfmpeg(reinterpret_cast<const uint8_t*>(data.data()), data.size())
                    .copy;
            ASSERT_FALSE(hidden.empty());
            data.assign(hidden.begin(), hidden.end());
        }
        WriteFileBytes(dir / "x.jpg", data);
        const auto log = RunTool({"ffmpeg", "-v", "debug", "-debug", "startcode", "-f", "image2",
                                  "-i", (dir / "x.jpg").string(), "-f", "null", "-"});
        // The decoder's account, after that of the one that probed the file (which passes over
        // more), each from the start of the data.
        const std::size_t decoder = log.err.rfind("startcode: D8");
        const bool reads = decoder != std::string::npos &&
                           log.err.find("picture: 2048x2048", decoder) != std::string::npos;
        const bool charged = work(data, MarkerReading::BySearch).work >= 2048u * 2048;
        EXPECT_TRUE(charged == reads || (charged && !c.told)) << c.what << ": " << reads;
    }
    // FFmpeg decodes a field's scan again for each next-field marker in what it takes for the
    // scan, after its fill bytes and stuffed zeros are dropped; JPEG-LS data is repacked first.
    const struct {
        std::string tail;
        bool jpegLs;
        std::size_t markers;
    } passes[] = {
        {"\xFF\xD1", false, 1},
        {"\xFF\xFF\xD1", false, 1},
        {std::string("\xFF\x00\xD1", 3), false, 1},
        {"\xFF\xD0\xFF\xD1", false, 1},
        {"\xFF\xD9\xFF\xD1", false, 0},
        {"\xFF\x68\x80", false, 0},
        {"\xFF\x68\x80", true, 1},
        {"\xFF\xD1", true, 0},
    };
    for (const auto& p : passes) {
        const std::string scan = "\x12\x34" + p.tail + "\x56\x78";
        EXPECT_EQ(gate::NextFieldMarkers(reinterpret_cast<const uint8_t*>(scan.data()), scan.size(),
                                         p.jpegLs),
                  p.markers)
            << p.jpegLs << " " << p.tail.size();
    }
    // Motion-JPEG B is charged as the interchange data it was made from, and a next-field marker
    // in a field less than three quarters of the picture's height as another pass.
    std::string b = MotionJpegB(baseline);
    const gate::JpegWork fields = gate::MotionJpegBWork(reinterpret_cast<const uint8_t*>(b.data()),
                                                        b.size(), kMaxPicturePixels);
    const gate::JpegWork markers = work(baseline, MarkerReading::ByLength);
    EXPECT_TRUE(fields.work == markers.work && fields.scans == 1 && markers.scans == 1);
    b.replace(b.size() - 2, 2, "\xFF\xD1");
    auto bWork = [&](int height) {
        return gate::MotionJpegBWork(reinterpret_cast<const uint8_t*>(b.data()), b.size(),
                                     kMaxPicturePixels, height)
            .work;
    };
    EXPECT_TRUE(bWork(65) == fields.work && bWork(66) > fields.work);
    // Cut anywhere, either data is walked within its bytes (the sanitizers watch), its frames
    // taken as fields.
    const std::string every =
        at(2, Segment(0xE0, "AVI1") + Segment(0xE1, "Exif") + Segment(0xFE, "a note"));
    for (std::size_t n = 0; n < every.size(); ++n) {
        const std::vector<uint8_t> cut(every.begin(), every.begin() + std::ptrdiff_t(n));
        for (MarkerReading reading : {MarkerReading::ByLength, MarkerReading::BySearch})
            gate::MarkedJpegWork(cut.data(), n, kMaxPicturePixels, reading, 1000);
        EXPECT_EQ(gate::HideExifFromFfmpeg(cut.data(), n).copy.empty(), n < every.find("Exif") + 4);
        if (n < b.size()) {
            const std::vector<uint8_t> field(b.begin(), b.begin() + std::ptrdiff_t(n));
            gate::MotionJpegBWork(field.data(), n, kMaxPicturePixels, 1000);
        }
    }
}

} // namespace
