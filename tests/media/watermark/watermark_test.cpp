#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "core/xml/xml_reader.h"
#include "media/watermark/image_watermark.h"
#include "tests/media/media_test_support.h"
#include "tests/support/tools.h"

namespace {

using mediatest::PathOf;
using stravel::testing::HaveTool;
using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

CBK_Image Noisy(int w, int h, unsigned seed) {
    auto bytes = mediatest::Noise(w, h, 3, seed);
    CBK_Image image;
    EXPECT_TRUE(image.Create(uint32_t(w), uint32_t(h), 24, bytes.data(), true));
    return image;
}

// Noise with the rectangle [x0, x1) × [y0, y1) in the colour 0x00BBGGRR.
CBK_Image NoisyWithBlock(int w, int h, unsigned seed, int x0, int y0, int x1, int y1,
                         uint32_t colour) {
    CBK_Image image = Noisy(w, h, seed);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint8_t* p = image.GetDataAt(x, y);
            p[0] = uint8_t(colour), p[1] = uint8_t(colour >> 8), p[2] = uint8_t(colour >> 16);
        }
    return image;
}

// The blend as the design writes it, one division per term.
uint8_t Blend(uint8_t mark, uint8_t frame, int a) {
    return uint8_t(mark * a / 255.0 + frame * (255.0 - a) / 255.0);
}

// Draws a W × 20 watermark at (x, y) into a 100 × 60 frame and checks every frame byte
// against the formula: inside the clipped area blended, elsewhere untouched.
void CheckDraw(CBK_ImageWatermark& mark, int x, int y, bool useMap) {
    CBK_Image frame = Noisy(100, 60, 7), before;
    before.Copy(frame);
    mark.SetPos(x, y);
    mark.Draw(frame);
    const int w = mark.GetWidth(), h = mark.GetHeight();
    int drawn = 0;
    for (int fy = 0; fy < 60; ++fy)
        for (int fx = 0; fx < 100; ++fx) {
            const int mx = fx - x, my = fy - y;
            const uint8_t* old = before.GetDataAt(fx, fy);
            const uint8_t* now = frame.GetDataAt(fx, fy);
            const bool inside = mx >= 0 && mx < w && my >= 0 && my < h;
            int a = mark.GetAlpha();
            if (inside && useMap)
                a = std::max(0, mark.GetAlphaMap()[std::size_t(my) * w + mx] + a - 255);
            for (int c = 0; c < 3; ++c) {
                const uint8_t want = inside ? Blend(mark.GetDataAt(mx, my)[c], old[c], a) : old[c];
                ASSERT_EQ(now[c], want) << "x " << x << " at " << fx << "," << fy;
            }
            drawn += inside;
        }
    EXPECT_GT(drawn + (x >= 100 || x <= -w), 0);
}

TEST(WatermarkTest, DrawClipsAndBlendsEveryByte) {
    CBK_ImageWatermark mark;
    // Sizes given to Init are the working picture's at once.
    ASSERT_TRUE(mark.Init(Noisy(30, 20, 3), 15, 10, 0));
    EXPECT_EQ(mark.GetWidth(), 15);
    EXPECT_EQ(mark.GetAlphaMap().size(), 150u);
    ASSERT_TRUE(mark.Init(Noisy(30, 20, 3), 0, 0, 0));
    EXPECT_EQ(mark.GetWidth(), 30);
    mark.SetAlpha(100);
    for (int x : {-10, 0, 35, 90, 99, 100, 250, -29, -30})
        CheckDraw(mark, x, 5, false);
    CheckDraw(mark, 40, -15, false);
    CheckDraw(mark, 40, 50, false);
    // Out-of-range alphas blend as their nearest bound, never beyond a byte.
    mark.SetAlpha(300);
    CBK_Image frame = Noisy(100, 60, 9);
    mark.SetPos(0, 0);
    mark.Draw(frame);
    EXPECT_EQ(0, std::memcmp(frame.GetData(), mark.GetData(), 90));
}

TEST(WatermarkTest, TransparentColourAndItsMap) {
    // Left half the transparent colour (blue), right half noise.
    CBK_Image picture = NoisyWithBlock(40, 20, 4, 0, 0, 20, 20, 0xFF0000);
    CBK_ImageWatermark mark;
    ASSERT_TRUE(mark.Init(picture, 0, 0, 0xFF0000));
    mark.SetUseTransparentColor(true);
    mark.SetAlpha(200);
    EXPECT_EQ(mark.GetAlphaMap()[0], 0);
    EXPECT_EQ(mark.GetAlphaMap()[39], 255);
    CheckDraw(mark, 10, 10, true);
    // Resampled, the edge of the transparent area gets values between.
    mark.SetKeepAspectRatio(false);
    mark.SetDimensions(30, 20);
    ASSERT_EQ(mark.GetAlphaMap().size(), 600u);
    EXPECT_GT(mark.GetAlphaMap()[15], 0);
    EXPECT_LT(mark.GetAlphaMap()[15], 255);
    CheckDraw(mark, -5, 10, true);

    // A picture all of the transparent colour draws nothing with the colour in use.
    CBK_Image blue;
    ASSERT_TRUE(blue.Create(10, 10, 24, nullptr, false));
    blue.Fill(0xFF0000);
    ASSERT_TRUE(mark.Init(blue, 0, 0, 0xFF0000));
    mark.SetPos(0, 0);
    CBK_Image frame = Noisy(20, 20, 5), before;
    before.Copy(frame);
    mark.Draw(frame);
    EXPECT_EQ(0, std::memcmp(frame.GetData(), before.GetData(), frame.GetSize()));
    mark.SetUseTransparentColor(false);
    mark.Draw(frame);
    EXPECT_EQ(frame.GetDataAt(0, 0)[2], Blend(255, before.GetDataAt(0, 0)[2], 200));
}

TEST(WatermarkTest, SizesAndAlignment) {
    CBK_Image picture = Noisy(400, 300, 1);
    CBK_ImageWatermark mark;
    ASSERT_TRUE(mark.Init(picture, 0, 0, 0));
    mark.SetWidth(100);
    EXPECT_EQ(mark.GetTargetHeight(), 75);
    EXPECT_EQ(mark.GetHeight(), 75) << "the working picture follows";
    mark.SetHeight(30);
    EXPECT_EQ(mark.GetTargetWidth(), 40);
    // A very flat picture keeps a row.
    ASSERT_TRUE(mark.Init(Noisy(1000, 1, 2), 0, 0, 0));
    mark.SetWidth(100);
    EXPECT_EQ(mark.GetHeight(), 1);

    mark.SetKeepAspectRatio(false);
    mark.SetDimensions(20, 10);
    mark.SetDocumentDimensions(101, 51);
    mark.SetHAlign(CBK_ImageWatermark::HALIGN_CENTER);
    mark.SetVAlign(CBK_ImageWatermark::VALIGN_BOTTOM);
    EXPECT_EQ(mark.GetXPos(), 40);
    EXPECT_EQ(mark.GetYPos(), 41);
    mark.SetAlignToDocument(true);
    mark.SetDocumentDimensions(200, 100);
    EXPECT_EQ(mark.GetXPos(), 90);
    EXPECT_EQ(mark.GetYPos(), 90);
    mark.SetHAlign(CBK_ImageWatermark::HALIGN_RIGHT);
    EXPECT_EQ(mark.GetXPos(), 180);
}

// Dragging the size through 99 values leaves the picture and its map exactly as one resize of
// the original to the last size gives them: no change works on what an earlier one left.
TEST(WatermarkTest, EverySizeComesFromTheOriginal) {
    CBK_Image picture = NoisyWithBlock(200, 150, 8, 70, 50, 130, 100, 0x00FF00);
    CBK_ImageWatermark mark;
    ASSERT_TRUE(mark.Init(picture, 0, 0, 0x00FF00));
    std::mt19937 rng(12);
    for (int i = 0; i < 99; ++i)
        mark.SetWidth(int32_t(10 + rng() % 300));
    // The map's own route: the mask as a 24-bit picture of 0 and 255, through Resize.
    auto expectFromOriginal = [&](uint32_t colour) {
        const int w = mark.GetWidth(), h = mark.GetHeight();
        CBK_Image direct(picture), mask(picture);
        direct.Resize(w, h);
        ASSERT_EQ(0, std::memcmp(mark.GetData(), direct.GetData(), direct.GetSize()));
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x) {
                uint8_t* p = mask.GetDataAt(x, y);
                const uint8_t v = p[0] == uint8_t(colour) && p[1] == uint8_t(colour >> 8) &&
                                          p[2] == uint8_t(colour >> 16)
                                      ? 0
                                      : 255;
                p[0] = p[1] = p[2] = v;
            }
        mask.Resize(w, h);
        ASSERT_EQ(mark.GetAlphaMap().size(), std::size_t(w) * h);
        for (std::size_t i = 0; i < mark.GetAlphaMap().size(); ++i)
            ASSERT_EQ(mark.GetAlphaMap()[i], mask.GetData()[i * 3]) << "pixel " << i;
    };
    expectFromOriginal(0x00FF00);
    // Another colour: the mask follows it.
    const uint8_t* c = picture.GetDataAt(3, 3);
    const uint32_t other = uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16;
    mark.SetTransparentColor(other);
    expectFromOriginal(other);
}

std::string Write(CBK_ImageWatermark& mark, const std::filesystem::path& path) {
    CBK_XmlWriter writer;
    EXPECT_TRUE(writer.Create(PathOf(path), {}, true));
    EXPECT_TRUE(mark.WriteXml(writer));
    EXPECT_TRUE(writer.Close());
    return ReadFileBytes(path);
}

bool Read(CBK_ImageWatermark& mark, const std::filesystem::path& path) {
    CBK_XmlDomParser parser;
    CBK_XmlDomNode root, element;
    CBK_XmlDomNodeList children;
    EXPECT_TRUE(parser.LoadFile(PathOf(path)));
    EXPECT_TRUE(parser.GetRootNode(root));
    root.GetChildren(children);
    for (int32_t i = 0; i < children.GetListLength(); ++i) {
        CBK_XmlDomNode child;
        if (children.GetChild(i, child) && child.GetNodeName() == L"watermark_data")
            return mark.ReadXml(child);
    }
    ADD_FAILURE() << "no element";
    return false;
}

std::string Element(const std::string& text) {
    return "<xml version=\"1.0\" encoding=\"UTF-8\">\n" + text + "\n\n</xml>\n";
}

TEST(WatermarkTest, XmlFormRoundTripsAndRefusesWhatCannotBe) {
    TempDir dir;
    CBK_ImageWatermark plain;
    EXPECT_EQ(Write(plain, dir / "default.xml"),
              Element("<watermark_data src=\"\" width=\"1\" height=\"1\" x=\"0\" y=\"0\" "
                      "h_align=\"left\" v_align=\"top\" alpha=\"255\" "
                      "use_transparent_color=\"false\" transparent_color=\"0\" "
                      "keep_aspect_ratio=\"true\" align_to_doc=\"false\" />"));
    CBK_ImageWatermark settingsOnly;
    EXPECT_TRUE(Read(settingsOnly, dir / "default.xml")) << "no picture, settings still load";

    STRAVEL_REQUIRE_TOOL("convert");
    const auto png = dir / "mark & co.png";
    ASSERT_EQ(RunTool({"convert", "-size", "400x300", "gradient:red-blue", png.string()}).exitCode,
              0);
    CBK_ImageWatermark mark;
    CBK_Path path = PathOf(png);
    ASSERT_TRUE(mark.Init(path, 0, 0, 0));
    mark.SetKeepAspectRatio(false);
    mark.SetDimensions(200, 50);
    mark.SetPos(-7, 12);
    mark.SetAlpha(128);
    mark.SetUseTransparentColor(true);
    mark.SetTransparentColor(0x123456);
    mark.SetAlignToDocument(true);
    mark.SetDocumentDimensions(400, 300);
    mark.SetHAlign(CBK_ImageWatermark::HALIGN_RIGHT);
    mark.SetVAlign(CBK_ImageWatermark::VALIGN_CENTER);
    mark.SetPos(-7, 12); // alignments stored, a position of the user's own
    mark.SetKeepAspectRatio(true);
    mark.SetDimensions(200, 50); // the flag on, the size still not proportional
    const std::string first = Write(mark, dir / "mark.xml");
    if (HaveTool("xmllint")) {
        EXPECT_EQ(RunTool({"xmllint", "--noout", (dir / "mark.xml").string()}).exitCode, 0);
    }
    CBK_ImageWatermark back;
    back.SetDocumentDimensions(400, 300);
    ASSERT_TRUE(Read(back, dir / "mark.xml"));
    EXPECT_EQ(back.GetWidth(), 200);
    EXPECT_EQ(back.GetHeight(), 50) << "not 67: the saved flag and size are applied together";
    EXPECT_EQ(back.GetXPos(), -7);
    EXPECT_EQ(back.GetYPos(), 12);
    EXPECT_EQ(back.GetHAlign(), CBK_ImageWatermark::HALIGN_RIGHT);
    EXPECT_EQ(back.GetVAlign(), CBK_ImageWatermark::VALIGN_CENTER);
    EXPECT_EQ(back.GetSourcePath(), path);
    EXPECT_EQ(Write(back, dir / "again.xml"), first);
    EXPECT_EQ(back.GetAlphaMap(), mark.GetAlphaMap());
    EXPECT_EQ(0, std::memcmp(back.GetData(), mark.GetData(), mark.GetSize()));
    CBK_ImageWatermark copy;
    copy = back;
    EXPECT_EQ(Write(copy, dir / "copy.xml"), first) << "a copy keeps the size as it is";

    // Sizes and alpha that no dialog allows are held to the nearest allowed value; a
    // keyword in another case leaves the alignment; a picture that is not there stops the read.
    const std::string src = "src=\"" + (dir / "mark &amp; co.png").string() + "\"";
    struct Case {
        std::string attributes;
        int width, height, alpha;
        CBK_ImageWatermark::HALIGN_TYPE halign;
    } cases[] = {
        {src + " width=\"0\" height=\"-5\" alpha=\"300\" keep_aspect_ratio=\"false\"", 1, 1, 255,
         CBK_ImageWatermark::HALIGN_LEFT},
        {src + " width=\"20000\" height=\"3\" alpha=\"-4\" h_align=\"Left\" "
               "keep_aspect_ratio=\"false\"",
         10000, 3, 0, CBK_ImageWatermark::HALIGN_LEFT},
        {src + " h_align=\"right\"", 400, 300, 255, CBK_ImageWatermark::HALIGN_RIGHT},
    };
    for (const Case& c : cases) {
        WriteFileBytes(dir / "case.xml", Element("<watermark_data " + c.attributes + " />"));
        CBK_ImageWatermark read;
        ASSERT_TRUE(Read(read, dir / "case.xml")) << c.attributes;
        EXPECT_EQ(read.GetWidth(), c.width) << c.attributes;
        EXPECT_EQ(read.GetHeight(), c.height) << c.attributes;
        EXPECT_EQ(read.GetAlpha(), c.alpha) << c.attributes;
        EXPECT_EQ(read.GetHAlign(), c.halign) << c.attributes;
        EXPECT_EQ(read.GetXPos(), 0) << "alignment read, position kept";
    }
    WriteFileBytes(dir / "missing.xml",
                   Element("<watermark_data src=\"/nonexistent/x.png\" alpha=\"3\" />"));
    CBK_ImageWatermark missing;
    EXPECT_FALSE(Read(missing, dir / "missing.xml"));
    EXPECT_EQ(missing.GetAlpha(), 255);
}

TEST(WatermarkTest, PicturesOfEachFormatOpenAndBlend) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    const auto source = dir / "mark.ppm";
    ASSERT_EQ(
        RunTool({"convert", "-size", "48x32", "plasma:", "-depth", "8", source.string()}).exitCode,
        0);
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(mediatest::ParsePnm(ReadFileBytes(source), w, h, rgb));
    for (const char* extension : {"png", "jpg", "bmp"}) {
        const auto file = dir / (std::string("mark.") + extension);
        ASSERT_EQ(RunTool({"convert", source.string(), "-quality", "100", file.string()}).exitCode,
                  0);
        CBK_ImageWatermark mark;
        CBK_Path path = PathOf(file);
        ASSERT_TRUE(mark.Init(path, 0, 0, 0)) << extension;
        ASSERT_EQ(mark.GetWidth(), 48);
        ASSERT_EQ(mark.GetHeight(), 32);
        mark.SetAlpha(255);
        CBK_Image frame = Noisy(64, 48, 6);
        mark.SetPos(8, 8);
        mark.Draw(frame);
        // Lossless formats land exactly; JPEG within its quantisation.
        const int tolerance = std::string(extension) == "jpg" ? 12 : 0;
        int worst = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x)
                for (int c = 0; c < 3; ++c)
                    worst = std::max(worst, std::abs(frame.GetDataAt(x + 8, y + 8)[c] -
                                                     rgb[(std::size_t(y) * 48 + x) * 3 + c]));
        EXPECT_LE(worst, tolerance) << extension;
    }
    // A file with no picture leaves the watermark as it was.
    CBK_ImageWatermark mark;
    CBK_Path text = PathOf(dir / "mark.ppm.txt");
    WriteFileBytes(dir / "mark.ppm.txt", "not a picture");
    EXPECT_FALSE(mark.Init(text, 0, 0, 0));
    EXPECT_TRUE(mark.IsEmpty());
    EXPECT_TRUE(mark.SetSourcePath(text));
    // Nor does a file that opens without a picture.
    const auto tone = dir / "tone.wav";
    if (HaveTool("ffmpeg")) {
        ASSERT_EQ(RunTool({"ffmpeg", "-v", "quiet", "-f", "lavfi", "-i", "sine=r=8000:d=0.2",
                           tone.string()})
                      .exitCode,
                  0);
        CBK_Path sound = PathOf(tone);
        EXPECT_FALSE(mark.Init(sound, 0, 0, 0));
        EXPECT_TRUE(mark.GetSourcePath().GetPathString().empty());
    }
}

} // namespace
