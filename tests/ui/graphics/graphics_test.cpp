#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resource_files.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/screen.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/tools.h"
#include "tests/ui/ui_fixture.h"
#include "ui/graphics/cursors.h"
#include "ui/graphics/display.h"
#include "ui/graphics/drawing.h"
#include "ui/graphics/icons.h"
#include "ui/graphics/keys.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

// A 32-bit world whose pixel (x, y) is a colour made from its position.
GWorldPtr Pattern(int width, int height) {
    GWorldPtr world = nullptr;
    const Rect bounds{0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    EXPECT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    PixMapHandle map = GetGWorldPixMap(world);
    auto* base = reinterpret_cast<UInt8*>(GetPixBaseAddr(map));
    const SInt32 rowBytes = GetPixRowBytes(map);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            UInt8* p = base + y * rowBytes + x * 4;
            p[0] = 0xFF;
            p[1] = UInt8(x * 7 + y * 3);
            p[2] = UInt8(y * 11 + 5);
            p[3] = UInt8((x * y) ^ 0x5A);
        }
    return world;
}

GWorldPtr Blank(int width, int height) {
    GWorldPtr world = nullptr;
    const Rect bounds{0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    EXPECT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    return world;
}

uint32_t Pixel(GWorldPtr world, int x, int y) {
    PixMapHandle map = GetGWorldPixMap(world);
    const auto* p =
        reinterpret_cast<const UInt8*>(GetPixBaseAddr(map)) + y * GetPixRowBytes(map) + x * 4;
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

std::string Ppm(GWorldPtr world) {
    Rect bounds;
    GetPortBounds(world, &bounds);
    const int width = bounds.right, height = bounds.bottom;
    std::string out = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t p = Pixel(world, x, y);
            out.push_back(char(p >> 16));
            out.push_back(char(p >> 8));
            out.push_back(char(p));
        }
    return out;
}

TEST(BltRotateTest, QuarterTurnEqualsImageMagicksRotate) {
    STRAVEL_REQUIRE_TOOL("convert");
    STRAVEL_REQUIRE_TOOL("compare");
    GWorldPtr source = Pattern(37, 23);
    for (int degrees : {90, -90, 180}) {
        const bool quarter = degrees != 180;
        GWorldPtr turned = quarter ? Blank(23, 37) : Blank(37, 23);
        Rect srcRect{0, 0, 23, 37};
        Rect dstRect = quarter ? Rect{0, 0, 37, 23} : srcRect;
        BK_BltRotate90(source, srcRect, turned, dstRect, degrees);

        stravel::testing::TempDir dir;
        stravel::testing::WriteFileBytes(dir / "in.ppm", Ppm(source));
        stravel::testing::WriteFileBytes(dir / "ours.ppm", Ppm(turned));
        auto made =
            stravel::testing::RunTool({"convert", (dir / "in.ppm").string(), "-rotate",
                                       std::to_string(degrees), (dir / "theirs.ppm").string()});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        auto compared =
            stravel::testing::RunTool({"compare", "-metric", "AE", (dir / "ours.ppm").string(),
                                       (dir / "theirs.ppm").string(), "null:"});
        EXPECT_EQ(compared.exitCode, 0) << degrees << ": " << compared.err;
        EXPECT_EQ(compared.err.substr(0, 1), "0") << degrees << ": " << compared.err;
        DisposeGWorld(turned);
    }
    DisposeGWorld(source);
}

TEST(BltRotateTest, OtherAnglesCopyNothingAndEquivalentAnglesAgree) {
    GWorldPtr source = Pattern(5, 3);
    Rect srcRect{0, 0, 3, 5}, dstRect{0, 0, 5, 3};
    GWorldPtr a = Blank(3, 5), b = Blank(3, 5);
    BK_BltRotate90(source, srcRect, a, dstRect, 45);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Pixel(a, x, y), 0u);
    BK_BltRotate90(source, srcRect, a, dstRect, -90);
    BK_BltRotate90(source, srcRect, b, dstRect, 270);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Pixel(a, x, y), Pixel(b, x, y));
    // The counter-clockwise turn puts the source's top-right pixel at the top left.
    EXPECT_EQ(Pixel(a, 0, 0), Pixel(source, 4, 0));
    DisposeGWorld(a);
    DisposeGWorld(b);
    DisposeGWorld(source);
}

TEST(BltRotateTest, SizesBeyondTheMapsAreCutToThem) {
    GWorldPtr source = Pattern(8, 6);
    GWorldPtr small = Blank(4, 4);
    Rect huge{0, 0, 3000, 3000};
    // Without cutting these would read and write far outside both maps.
    BK_BltRotate90(source, huge, small, huge, 90);
    BK_BltRotate90(source, huge, small, huge, 180);
    BK_BltRotate(source, huge, small, huge, 0.3);
    BK_FastFill32Gray(small, 1000, 1000, 0x80);
    EXPECT_EQ(Pixel(small, 3, 3), 0xFF808080u);
    // The raw form stops at a row's bytes.
    std::vector<UInt8> row(16 * 2 + 8, 0x11);
    BK_FastFill32White(row.data(), 16, 100, 2);
    EXPECT_EQ(row[15], 0xFF);
    EXPECT_EQ(row[31], 0xFF);
    EXPECT_EQ(row[32], 0x11);
    BK_FastFill32Black(row.data(), 16, 1, 1);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[4], 0xFF);
    DisposeGWorld(small);
    DisposeGWorld(source);
}

TEST(BltRotateTest, AngleZeroWithEqualSizesCopiesUnchanged) {
    for (auto [w, h] : {std::pair{6, 4}, std::pair{7, 5}}) {
        GWorldPtr source = Pattern(w, h);
        GWorldPtr copy = Blank(w, h);
        Rect r{0, 0, SInt16(h), SInt16(w)};
        BK_BltRotate(source, r, copy, r, 0.0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(Pixel(copy, x, y), Pixel(source, x, y)) << x << "," << y;
        DisposeGWorld(copy);
        DisposeGWorld(source);
    }
    // A half turn by angle agrees with the 180-degree copy on an odd-sized map.
    GWorldPtr source = Pattern(7, 5);
    GWorldPtr byAngle = Blank(7, 5), byTurn = Blank(7, 5);
    Rect r{0, 0, 5, 7};
    BK_BltRotate(source, r, byAngle, r, M_PI);
    BK_BltRotate90(source, r, byTurn, r, 180);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(Pixel(byAngle, x, y), Pixel(byTurn, x, y)) << x << "," << y;
    DisposeGWorld(byAngle);
    DisposeGWorld(byTurn);
    DisposeGWorld(source);
}

TEST(KeyNamesTest, NamedKeysAndLayoutCharacters) {
    wchar_t name[32];
    BK_KeyCodeToString(36, name);
    EXPECT_STREQ(name, L"Return");
    BK_KeyCodeToString(122, name);
    EXPECT_STREQ(name, L"F1");
    BK_KeyCodeToString(126, name);
    EXPECT_STREQ(name, L"Up Arrow");
    BK_KeyCodeToString(0, name);
    EXPECT_STREQ(name, L"a");
    BK_KeyCodeToString(18, name);
    EXPECT_STREQ(name, L"1");
    BK_KeyCodeToString(200, name);
    EXPECT_STREQ(name, L"");
}

class GraphicsTest : public UiTest {};

TEST_F(GraphicsTest, KeyCodeOfAnEvent) {
    Rect bounds{100, 100, 200, 300};
    WindowRef window = nullptr;
    CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &window);
    ShowWindow(window);
    std::vector<uint32_t> codes;
    auto proc = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
        static_cast<std::vector<uint32_t>*>(data)->push_back(BK_GetKeyCodeFromEvent(event));
        return noErr;
    };
    const EventTypeSpec eventType{kEventClassKeyboard, kEventRawKeyDown};
    InstallEventHandler(GetWindowEventTarget(window), proc, 1, &eventType, &codes, nullptr);
    test::PressKey(122);
    test::TypeText(u"a");
    EXPECT_EQ(codes, (std::vector<uint32_t>{122, 0}));
    EventRef bare = nullptr;
    CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, 0, &bare);
    EXPECT_EQ(BK_GetKeyCodeFromEvent(bare), 0u);
    ReleaseEvent(bare);
}

TEST_F(GraphicsTest, CursorsOfTheThemeAndOfTheResourceFile) {
    {
        CBK_WaitCursor wait;
        EXPECT_EQ(test::CurrentThemeCursor(), kThemeWatchCursor);
    }
    EXPECT_EQ(test::CurrentThemeCursor(), kThemeArrowCursor);
    EXPECT_TRUE(BK_SetIBeamCursor());
    EXPECT_EQ(test::CurrentThemeCursor(), kThemeIBeamCursor);

    std::string curs(68, '\0');
    curs[0] = char(0xF0); // first image row 0xF000
    curs[65] = 3;         // hot spot v = 3
    curs[67] = 5;         // hot spot h = 5
    bundle.AddResource("main.rsrc/CURS/128", curs);
    bundle.AddResource("main.rsrc/CURS/129", "short");
    CursHandle cursor = nullptr;
    const SInt16 before = CurResFile();
    ASSERT_TRUE(BK_LoadCursor(cursor, 128));
    EXPECT_EQ(CurResFile(), before);
    EXPECT_EQ((*cursor)->data[0], 0xF000);
    EXPECT_EQ((*cursor)->hotSpot.v, 3);
    EXPECT_EQ((*cursor)->hotSpot.h, 5);
    SetCursor(*cursor);
    EXPECT_EQ(test::CurrentCursorResource(), 128);
    EXPECT_TRUE(BK_ReleaseCursor(cursor));
    EXPECT_EQ(cursor, nullptr);
    EXPECT_FALSE(BK_ReleaseCursor(cursor));
    EXPECT_FALSE(BK_LoadCursor(cursor, 129));
    EXPECT_FALSE(BK_LoadCursor(cursor, 4000));
    EXPECT_FALSE(BK_LoadSystemCursor(cursor, L"arrow"));
}

// An icon family with one 16 x 16 image of one colour, coded in runs, and its mask.
std::string IconFamily(UInt8 red, UInt8 green, UInt8 blue, UInt8 alpha) {
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    // Each plane of 256 bytes as two runs: 130 (control 0xFF) and 126 (control 0xFB).
    std::string planes;
    for (UInt8 value : {red, green, blue})
        planes += std::string{char(0xFF), char(value), char(0xFB), char(value)};
    std::string mask(256, char(alpha));
    std::string is32 = "is32" + be32(8 + uint32_t(planes.size())) + planes;
    std::string s8mk = "s8mk" + be32(8 + 256) + mask;
    std::string body = is32 + s8mk;
    return "icns" + be32(8 + uint32_t(body.size())) + body;
}

TEST_F(GraphicsTest, IconsRegisterUnderFreshCreatorsAndPlotThroughTheirMask) {
    bundle.AddResource("main.rsrc/icns/300", IconFamily(0xFF, 0x00, 0x00, 0xFF));
    bundle.AddResource("main.rsrc/icns/301", IconFamily(0x00, 0x00, 0xFF, 0x80));
    bundle.AddResource("main.rsrc/icns/302", "icns\0\0\0\x08");
    IconRef first = nullptr, second = nullptr;
    ASSERT_TRUE(BK_LoadIcon(300, 0, first));
    ASSERT_TRUE(BK_LoadIcon(300, 0, second));
    EXPECT_NE(first, second); // two fresh creators, two registrations
    IconRef broken = nullptr;
    EXPECT_FALSE(BK_LoadIcon(302, 0, broken));
    EXPECT_FALSE(BK_LoadIcon(999, 0, broken));

    Rect bounds{100, 100, 140, 140};
    WindowRef window = nullptr;
    CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window);
    GrafPtr saved = nullptr;
    BK_SwapPort(window, &saved);
    Rect where{4, 4, 36, 36};
    BK_DrawIcon(first, where);
    EXPECT_EQ(test::ReadPixel(window, 10, 10), 0xFFFF0000u);
    EXPECT_EQ(test::ReadPixel(window, 2, 2), 0xFFFFFFFFu);

    CBK_Icon half(CBK_Icon::ICON_16);
    ASSERT_TRUE(half.Load(301, FourCC("tEsT")));
    EXPECT_EQ(half.GetCreator(), FourCC("tEsT"));
    half.Draw(0, 0);
    // Half-opaque blue over the red icon.
    EXPECT_EQ(test::ReadPixel(window, 8, 8), 0xFF7F0080u);
    EXPECT_EQ(test::ReadPixel(window, 16, 16), 0xFFFF0000u);
    EXPECT_TRUE(half.Release());
    EXPECT_EQ(GetIconRef(0, FourCC("tEsT"), FourCC("TEMP"), &broken), noSuchIconErr);
    BK_SwapPort(nullptr, nullptr);
    QDSwapPort(saved, nullptr);
    EXPECT_TRUE(BK_ReleaseIcon(0, first));
    EXPECT_EQ(first, nullptr);
}

TEST_F(GraphicsTest, DisplaySizeAndDepth) {
    int32_t width = 0, height = 0;
    ASSERT_TRUE(BK_GetDisplaySize(width, height));
    EXPECT_EQ(width, 1440);
    EXPECT_EQ(height, 900);
    EXPECT_EQ(BK_GetDisplayDepth(), 32);
    EXPECT_FALSE(CBK_Display::SetDepth(12));
    EXPECT_TRUE(CBK_Display::SetDepth(16));
    EXPECT_EQ(CBK_Display::GetDepth(), 16);
    EXPECT_TRUE(CBK_Display::SetDepth(32));
    EXPECT_FALSE(CBK_Display::SetSize(800, 600));
}

TEST_F(GraphicsTest, CopiesIntoAWindowAreClippedToTheMask) {
    Rect bounds{100, 100, 110, 120};
    WindowRef window = nullptr;
    CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window);
    GWorldPtr source = Pattern(20, 10);
    Rect all{0, 0, 10, 20};
    RgnHandle mask = NewRgn();
    SetRectRgn(mask, 0, 0, 10, 5);
    BK_BitBltPixmapToWindow(source, all, window, all, mask);
    EXPECT_EQ(test::ReadPixel(window, 3, 2), Pixel(source, 3, 2));
    EXPECT_EQ(test::ReadPixel(window, 15, 2), 0xFFFFFFFFu);
    DisposeRgn(mask);
    DisposeGWorld(source);
}

} // namespace
