#include <gtest/gtest.h>

#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/windowing_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::WindowingTest;

using WindowsTest = WindowingTest;

TEST_F(WindowsTest, ClassesDecideTheFrameAroundTheContent) {
    const Rect content{100, 100, 200, 300};
    const std::pair<WindowClass, int> cases[] = {{kDocumentWindowClass, 22},
                                                 {kMovableModalWindowClass, 22},
                                                 {kUtilityWindowClass, 16},
                                                 {kFloatingWindowClass, 16},
                                                 {kSheetWindowClass, 0}};
    for (auto [windowClass, title] : cases) {
        WindowRef window = nullptr;
        ASSERT_EQ(CreateNewWindow(windowClass, 0, &content, &window), noErr);
        Rect structure;
        GetWindowBounds(window, kWindowStructureRgn, &structure);
        EXPECT_EQ(structure, (Rect{static_cast<SInt16>(100 - title), 100, 200, 300}));
        WindowClass back = 0;
        GetWindowClass(window, &back);
        EXPECT_EQ(back, windowClass);
        EXPECT_FALSE(IsWindowVisible(window));
        DisposeWindow(window);
    }
    WindowRef window = nullptr;
    EXPECT_EQ(CreateNewWindow(99, 0, &content, &window), errUnrecognizedWindowClass);
}

TEST_F(WindowsTest, PositioningOnTheVirtualScreen) {
    const Rect content{0, 0, 100, 200};
    WindowRef window = nullptr;
    CreateNewWindow(kDocumentWindowClass, 0, &content, &window);
    ASSERT_EQ(RepositionWindow(window, nullptr, kWindowCenterOnMainScreen), noErr);
    Rect structure;
    GetWindowBounds(window, kWindowStructureRgn, &structure);
    EXPECT_EQ(structure.left, (1440 - 200) / 2);
    EXPECT_EQ(structure.top, 22 + (878 - 122) / 2);

    MoveWindow(window, 1400, 880, false);
    Rect constrained;
    ASSERT_EQ(ConstrainWindowToScreen(window, kWindowStructureRgn,
                                      kWindowConstrainMoveRegardlessOfFit, nullptr, &constrained),
              noErr);
    EXPECT_EQ(constrained, (Rect{900 - 122, 1440 - 200, 900, 1440}));

    ZoomWindow(window, inZoomOut, false);
    EXPECT_TRUE(IsWindowInStandardState(window, nullptr, nullptr));
    Rect zoomed;
    GetWindowBounds(window, kWindowContentRgn, &zoomed);
    EXPECT_EQ(zoomed, (Rect{44, 0, 900, 1440}));
    ZoomWindow(window, inZoomIn, false);
    GetWindowBounds(window, kWindowContentRgn, &zoomed);
    EXPECT_EQ(zoomed.right - zoomed.left, 200);
}

TEST_F(WindowsTest, PropertiesArePointerSizedAndChecked) {
    const Rect content{0, 0, 100, 200};
    WindowRef window = nullptr;
    CreateNewWindow(kDocumentWindowClass, 0, &content, &window);
    void* object = &window;
    ASSERT_EQ(SetWindowProperty(window, FourCC("Qfrn"), FourCC("DlgV"), sizeof object, &object),
              noErr);
    void* back = nullptr;
    UInt32 size = 0;
    ASSERT_EQ(GetWindowProperty(window, FourCC("Qfrn"), FourCC("DlgV"), sizeof back, &size, &back),
              noErr);
    EXPECT_EQ(back, object);
    EXPECT_EQ(size, 8u);
    uint32_t small = 0;
    EXPECT_EQ(GetWindowProperty(window, FourCC("Qfrn"), FourCC("DlgV"), 4, nullptr, &small),
              paramErr);
    EXPECT_EQ(GetWindowProperty(window, FourCC("Qfrn"), FourCC("nope"), 8, nullptr, &back),
              errWindowPropertyNotFound);
    DisposeWindow(window);
    EXPECT_EQ(GetWindowProperty(window, FourCC("Qfrn"), FourCC("DlgV"), 8, nullptr, &back),
              errInvalidWindowRef);
}

TEST_F(WindowsTest, BackingStoreHoldsTheContentColourAndFollowsTheSize) {
    const Rect content{0, 0, 10, 20};
    WindowRef window = nullptr;
    CreateNewWindow(kDocumentWindowClass, kWindowResizableAttribute, &content, &window);
    EXPECT_EQ(test::ReadPixel(window, 0, 0), 0xFFFFFFFFu);
    const RGBColor red{0xFFFF, 0, 0x8080};
    SetWindowContentColor(window, &red);
    EXPECT_EQ(test::ReadPixel(window, 19, 9), 0xFFFF0080u);
    EXPECT_EQ(test::ReadPixel(window, 20, 9), 0u);
    RGBColor back;
    GetWindowContentColor(window, &back);
    EXPECT_EQ(back.blue, 0x8080);
    SizeWindow(window, 40, 30, false);
    EXPECT_EQ(test::ReadPixel(window, 39, 29), 0xFFFF0080u);
    SetThemeWindowBackground(window, kThemeBrushSheetBackgroundTransparent, false);
    EXPECT_EQ(test::ReadPixel(window, 5, 5), 0xFFE8E8E8u);
}

TEST_F(WindowsTest, ShowingPostsOneUpdateThatDrawsTheControls) {
    const Rect content{0, 0, 100, 200};
    WindowRef window = nullptr;
    CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &content, &window);
    Rect r{10, 10, 30, 100};
    ControlRef button = nullptr;
    CreatePushButtonControl(window, &r, CFSTR("b"), &button);
    {
        test::QueueOnly queued;
        ShowWindow(window);
        InvalWindowRect(window, nullptr);
        EXPECT_EQ(test::QueuedEvents(), 1u);
    }
    test::Flush();
    EXPECT_EQ(test::UpdateCount(window), 1u);
    test::ControlState state;
    test::ReadControl(button, state);
    EXPECT_EQ(state.drawCount, 1u);
}

TEST_F(WindowsTest, TitlesAndOrdering) {
    const Rect content{100, 100, 200, 300};
    WindowRef a = nullptr, b = nullptr, palette = nullptr;
    CreateNewWindow(kDocumentWindowClass, 0, &content, &a);
    CreateNewWindow(kDocumentWindowClass, 0, &content, &b);
    CreateNewWindow(kFloatingWindowClass, 0, &content, &palette);
    ShowWindow(a);
    ShowWindow(b);
    ShowWindow(palette);
    EXPECT_EQ(FrontWindow(), b);
    SelectWindow(a);
    EXPECT_EQ(FrontWindow(), a);
    EXPECT_TRUE(IsWindowActive(a));
    EXPECT_FALSE(IsWindowActive(b));
    SetWindowTitleWithCFString(a, CFSTR("Caf\u00e9"));
    CFStringRef title = nullptr;
    CopyWindowTitleAsCFString(a, &title);
    EXPECT_EQ(title->Text(), u"Caf\u00e9");
    CFRelease(title);
    EXPECT_EQ(test::NameOf(a), "Caf\xC3\xA9");
}

} // namespace

namespace {

TEST_F(WindowsTest, TheWindowPortIsItsBackingStore) {
    const tbx::Rect content{0, 0, 10, 20};
    tbx::WindowRef window = nullptr;
    tbx::CreateNewWindow(tbx::kDocumentWindowClass, 0, &content, &window);
    tbx::CGrafPtr saved = nullptr;
    EXPECT_TRUE(tbx::QDSwapPort(tbx::GetWindowPort(window), &saved));
    EXPECT_FALSE(tbx::QDSwapPort(tbx::GetWindowPort(window), nullptr));
    const tbx::RGBColor green{0, 0xFFFF, 0};
    tbx::RGBForeColor(&green);
    const tbx::Rect r{2, 3, 4, 5};
    tbx::PaintRect(&r);
    EXPECT_EQ(tbx::test::ReadPixel(window, 3, 2), 0xFF00FF00u);
    EXPECT_EQ(tbx::test::ReadPixel(window, 5, 2), 0xFFFFFFFFu);
    tbx::QDSwapPort(saved, nullptr);
    tbx::Rect bounds;
    tbx::GetPortBounds(tbx::GetWindowPort(window), &bounds);
    EXPECT_EQ(bounds, (tbx::Rect{0, 0, 10, 20}));
    tbx::DisposeWindow(window);
    EXPECT_EQ(tbx::GetWindowPort(window), nullptr);
}

} // namespace
