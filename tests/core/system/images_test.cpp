// Pictures written by ImageMagick, read from the resource chain and drawn on a pixel map.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/paths/path.h"
#include "core/system/app_resources.h"
#include "core/system/images.h"
#include "core/system/pixmap.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_fork.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/tools.h"

namespace {

namespace fs = std::filesystem;
using stravel::testing::RunTool;

// ImageMagick's picture of `image` as a resource (its 512-byte file preamble cut), and the
// same image as binary PPM.
bool Convert(const fs::path& dir, const std::string& size, const std::string& image,
             std::string& pict, std::string& ppm) {
    const fs::path png = dir / "x.png", pictPath = dir / "x.pict", ppmPath = dir / "x.ppm";
    // One 8-bit image (plasma is random) written both ways.
    if (RunTool({"convert", "-size", size, image, "-depth", "8", png.string()}).exitCode != 0 ||
        RunTool({"convert", png.string(), "PICT:" + pictPath.string()}).exitCode != 0 ||
        RunTool({"convert", png.string(), "PPM:" + ppmPath.string()}).exitCode != 0)
        return false;
    pict = stravel::testing::ReadFileBytes(pictPath).substr(512);
    ppm = stravel::testing::ReadFileBytes(ppmPath);
    return true;
}

uint32_t PpmPixel(const std::string& ppm, int width, int x, int y) {
    // "P6\n<w> <h>\n255\n" then RGB triples.
    std::size_t at = 0;
    for (int newlines = 0; newlines < 3; ++at)
        newlines += ppm[at] == '\n';
    const auto* p = reinterpret_cast<const uint8_t*>(ppm.data() + at + 3 * (y * width + x));
    return 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

TEST(Images, PicturesFromImageMagickReadAndDrawTheirPixels) {
    if (!stravel::testing::HaveTool("convert")) {
        ASSERT_FALSE(stravel::testing::OraclesRequired()) << "convert is missing";
        GTEST_SKIP() << "no convert";
    }
    stravel::testing::TempDir dir;
    stravel::testing::ScratchBundle bundle("");
    struct Case {
        const char* image;
        int width, height;
    } cases[] = {
        {"gradient:red-blue", 16, 5}, // indexed
        {"xc:yellow", 300, 2},        // indexed, rows with a two-byte count
        {"plasma:fractal", 24, 24},   // direct 32-bit pixels
    };
    int id = 128;
    std::vector<std::string> ppms;
    for (const Case& c : cases) {
        std::string pict, ppm;
        ppms.push_back(std::string());
        ASSERT_TRUE(Convert(dir.Path(), std::to_string(c.width) + "x" + std::to_string(c.height),
                            c.image, pict, ppm))
            << c.image;
        ppms.back() = ppm;
        bundle.AddResource("main.rsrc/PICT/" + std::to_string(id++), pict);
    }
    CBK_ResModule module;
    ASSERT_TRUE(module.Load(CBK_Path(
        BK_FileSystemNameToWide((bundle.Path() / "Contents/Resources/main.rsrc").string()))));
    const tbx::SInt16 previous = tbx::CurResFile();
    tbx::UseResFile(module.GetRefNum());
    id = 128;
    for (const Case& c : cases) {
        const std::string& ppm = ppms[std::size_t(id - 128)];
        tbx::PicHandle picture = nullptr;
        ASSERT_TRUE(BK_LoadImage(id++, picture)) << c.image;
        tbx::Rect frame;
        ASSERT_TRUE(tbx::QDGetPictureBounds(picture, &frame));
        EXPECT_EQ(frame.right - frame.left, c.width);
        EXPECT_EQ(frame.bottom - frame.top, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(tbx::test::PicturePixel(picture, x, y), PpmPixel(ppm, c.width, x, y))
                    << c.image << " at " << x << "," << y;

        tbx::GWorldPtr world = nullptr;
        ASSERT_TRUE(BK_CreatePixmap(world, 320, 30, 32));
        tbx::CGrafPtr savedPort = nullptr;
        tbx::GDHandle savedDevice = nullptr;
        tbx::GetGWorld(&savedPort, &savedDevice);
        tbx::SetGWorld(world, nullptr);
        tbx::RGBColor before, color;
        tbx::GetCPixel(2, 1, &before);
        ASSERT_TRUE(BK_DrawImage(picture, 3, 2));
        tbx::GetCPixel(3 + c.width - 1, 2 + c.height - 1, &color);
        const uint32_t last = PpmPixel(ppm, c.width, c.width - 1, c.height - 1);
        EXPECT_EQ(color.red >> 8, (last >> 16) & 0xFF) << c.image;
        EXPECT_EQ(color.blue >> 8, last & 0xFF) << c.image;
        tbx::GetCPixel(2, 1, &color); // outside: untouched
        EXPECT_EQ(color.red, before.red);
        EXPECT_EQ(color.green, before.green);
        tbx::SetGWorld(savedPort, savedDevice);
        BK_DestroyPixmap(world);
        tbx::KillPicture(picture);
        EXPECT_FALSE(BK_DrawImage(picture, 0, 0));
    }
    tbx::PicHandle missing = nullptr;
    EXPECT_FALSE(BK_LoadImage(999, missing));
    tbx::UseResFile(previous);
}

TEST(Images, JpegPicturesLoadFromResourceFiles) {
    STRAVEL_REQUIRE_TOOL("convert");
    stravel::testing::TempDir dir;
    const fs::path pictPath = dir / "j.pict", ppmPath = dir / "j.ppm";
    ASSERT_EQ(RunTool({"convert", "-size", "12x9", "plasma:fractal", "-compress", "JPEG",
                       "PICT:" + pictPath.string()})
                  .exitCode,
              0);
    ASSERT_EQ(RunTool({"convert", "PICT:" + pictPath.string(), ppmPath.string()}).exitCode, 0);
    const std::string ppm = stravel::testing::ReadFileBytes(ppmPath);
    CBK_Path file(BK_FileSystemNameToWide((dir / "pictures.rsrc").string()));
    ASSERT_TRUE(file.CreateResFile(nullptr, false, false));
    tbx::FSRef ref;
    ASSERT_TRUE(file.GetFSRef(ref));
    ASSERT_EQ(
        tbx::rsrc::WriteForkResources(ref, false,
                                      {{tbx::FourCC("PICT"), 130, 0, false, "",
                                        stravel::testing::ReadFileBytes(pictPath).substr(512)}}),
        tbx::noErr);
    CBK_ResModule module;
    ASSERT_TRUE(module.Load(file));
    const tbx::SInt16 previous = tbx::CurResFile();
    tbx::UseResFile(module.GetRefNum());
    tbx::PicHandle picture = nullptr;
    ASSERT_TRUE(BK_LoadImage(130, picture));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(tbx::test::PicturePixel(picture, x, y), PpmPixel(ppm, 12, x, y))
                << x << "," << y;
    tbx::KillPicture(picture);
    tbx::UseResFile(previous);
}

} // namespace
