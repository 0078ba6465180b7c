#include <gtest/gtest.h>

#include <vector>

#include "core/system/pixmap.h"
#include "platform/pict/pictures.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/picture.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

// A world whose left half is red and right half blue.
GWorldPtr Halves(int width, int height) {
    GWorldPtr world = nullptr;
    EXPECT_TRUE(BK_CreatePixmap(world, uint32_t(width), uint32_t(height), 32));
    PixMapHandle map = GetGWorldPixMap(world);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto* p =
                reinterpret_cast<UInt8*>(GetPixBaseAddr(map)) + y * GetPixRowBytes(map) + 4 * x;
            p[0] = 255;
            p[1] = x < width / 2 ? 255 : 0;
            p[2] = 0;
            p[3] = x < width / 2 ? 0 : 255;
        }
    return world;
}

class PictureTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
    }
    void TearDown() override {
        BK_DestroyPixmap(source);
        UiTest::TearDown();
    }
    // A tracking pane at (10, 10), width by height, bound to `control`.
    template <typename C>
    void Pane(C& control, int width, int height, OSType code) {
        Rect r{10, 10, SInt16(10 + height), SInt16(10 + width)};
        ControlRef pane = nullptr;
        ASSERT_EQ(CreateUserPaneControl(host.GetWindowHandle(), &r, kControlHandlesTracking, &pane),
                  noErr);
        const ControlID id{code, 0};
        SetControlID(pane, &id);
        ASSERT_TRUE(control.Init(code, host.GetWindowHandle(), 0));
    }
    Point At(int x, int y) { return Point{SInt16(10 + y), SInt16(10 + x)}; } // pane coordinates
    CBK_Dialog host;
    GWorldPtr source = nullptr;
};

TEST_F(PictureTest, ImageWellHoldsAScaledStillCopy) {
    CBK_ControlPicture well;
    Rect r{10, 10, 30, 50};
    ASSERT_TRUE(well.Create(host, FourCC("iPic"), r, L""));
    source = Halves(80, 40);
    ASSERT_TRUE(well.SetPicture(source));
    EXPECT_EQ(test::PicturePixel(well.GetPicture(), 5, 5), 0xFFFF0000u);
    EXPECT_EQ(test::PicturePixel(well.GetPicture(), 35, 15), 0xFF0000FFu);
    test::ControlState state;
    test::ReadControl(well.GetControlHandle(), state);
    EXPECT_EQ(state.content.content, well.GetPicture());
    ASSERT_TRUE(well.Reset());
    EXPECT_EQ(test::LivePictures(), 0);
}

TEST_F(PictureTest, CropFitsCentresAndScales) {
    CBK_ControlPictureCrop crop;
    Pane(crop, 200, 100, FourCC("pCrp"));
    source = Halves(400, 400);
    const Rect narrow{0, 0, 50, 100};
    ASSERT_TRUE(crop.SetPicture(source, narrow, narrow, Rect{0, 0, 50, 100}));
    EXPECT_EQ(crop.GetPictureArea(), (Rect{25, 50, 75, 150})); // not enlarged, centred
    const Rect tall{0, 0, 400, 400};
    ASSERT_TRUE(crop.SetPicture(source, tall, Rect{0, 0, 300, 300}, Rect{2, 2, 300, 300}));
    EXPECT_EQ(crop.GetPictureArea(), (Rect{0, 50, 100, 150})); // fitted to the height, at the top
    EXPECT_EQ(crop.GetCropBox().left, 50 + 1);                 // nearest(2 / 3)
    crop.SetCropBounds(Rect{2, 2, 300, 300}, false);
    EXPECT_EQ(crop.GetCropBox().left, 50 + 0);                            // truncated
    EXPECT_FALSE(crop.SetPicture(source, Rect{0, 0, 0, 10}, tall, tall)); // empty: refused
    EXPECT_FALSE(crop.SetPicture(source, tall, Rect{0, 0, 0, 0}, tall));
}

TEST_F(PictureTest, CropBoxMovesInsideTheAreaAndGripsSortAfterRelease) {
    CBK_ControlPictureCrop crop;
    Pane(crop, 200, 100, FourCC("pCrp"));
    source = Halves(100, 100);
    const Rect whole{0, 0, 100, 100};
    ASSERT_TRUE(crop.SetPicture(source, whole, whole, Rect{20, 20, 60, 60}));
    std::vector<Rect> reports;
    crop.SetOnCropChangeCallback(
        [](Rect& r, void* data) { static_cast<std::vector<Rect>*>(data)->push_back(r); }, &reports);
    crop.EnableCropping(true);
    const Rect area = crop.GetPictureArea(); // (0, 50, 100, 150)
    // Moved far to the right: stops at the area's right edge and keeps its width.
    ASSERT_TRUE(test::Gesture(host.GetWindowHandle(),
                              {At(area.left + 40, 40), At(area.left + 90, 40), At(190, 45)}));
    EXPECT_EQ(crop.GetCropBox().right, area.right);
    EXPECT_EQ(crop.GetCropBox().right - crop.GetCropBox().left, 40);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (Rect{25, 60, 65, 100}));
    // The left grip dragged past the right edge: sorted after release.
    crop.SetCropBounds(Rect{20, 20, 60, 60}, false); // box (20, 70, 60, 110)
    ASSERT_TRUE(test::Gesture(host.GetWindowHandle(), {At(70, 20), At(100, 20), At(130, 20)}));
    EXPECT_EQ(crop.GetCropBox(), (Rect{20, 110, 60, 130}));
    EXPECT_EQ(reports.back(), (Rect{20, 60, 60, 80}));
}

TEST_F(PictureTest, PanZoomFitsZoomsAroundTheCentreAndReportsDrags) {
    CBK_ControlPictureDrag view;
    Pane(view, 200, 100, FourCC("pDrg"));
    source = Halves(800, 200);
    ASSERT_TRUE(view.SetPicture(source, Rect{0, 0, 200, 800}, Rect{0, 0, 100, 400}));
    Rect bounds;
    GetControlBounds(view.GetControlHandle(), &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 200);
    EXPECT_EQ(bounds.bottom - bounds.top, 50);
    EXPECT_EQ(view.GetImageRect(), (Rect{0, 0, 100, 400}));
    view.Zoom(2.0, true);
    EXPECT_EQ(view.GetViewRect(), (Rect{-50, -200, 150, 600}));
    view.Pan(0, 0, true);
    EXPECT_EQ(view.GetViewRect(), (Rect{-50, -200, 150, 600}));
    view.Zoom(-3.0, false); // held: never inverted or outside 16 bits
    EXPECT_GE(view.GetViewRect().right, view.GetViewRect().left);
    view.Zoom(1e12, false);
    EXPECT_EQ(view.GetZoom(), 64.0);
    view.SetStartValues(0, 0, 1.0, false);
    EXPECT_EQ(view.GetViewRect(), view.GetBaseRect());

    struct Report {
        int32_t x, y;
        bool final;
    };
    std::vector<Report> reports;
    view.SetOnDragChangeCallback(
        [](int32_t x, int32_t y, bool final, void* data) {
            static_cast<std::vector<Report>*>(data)->push_back({x, y, final});
        },
        &reports);
    test::Gesture(host.GetWindowHandle(), {At(50, 20), At(60, 20)});
    EXPECT_TRUE(reports.empty()); // dragging is off
    view.EnableDragging(true);
    test::Gesture(host.GetWindowHandle(), {At(50, 20), At(60, 20), At(70, 25)});
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back().final);
    EXPECT_EQ(reports.back().x, 40); // 20 image pixels at half scale
    EXPECT_EQ(reports.back().y, 10);
}

TEST_F(PictureTest, TheImageMapOfAHugeSourceInATinyFrameIsCapped) {
    CBK_ControlPictureDrag view;
    Pane(view, 200, 100, FourCC("pDrg"));
    source = Halves(64, 64);
    ASSERT_TRUE(view.SetPicture(source, Rect{0, 0, 30000, 30000}, Rect{0, 0, 1, 1}));
    EXPECT_EQ(view.GetImageRect().right, CBK_ControlPictureDrag::kMaxImageSide);
}

} // namespace
