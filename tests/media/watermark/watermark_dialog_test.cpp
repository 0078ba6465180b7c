#include <gtest/gtest.h>

#include "media/watermark/watermark_dialog.h"
#include "platform/windows/color_picker.h"
#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "tests/media/media_test_support.h"
#include "tests/support/tools.h"
#include "tests/support/windowing_fixture.h"
#include "ui/controls/edit_box.h"
#include "ui/menus/instance.h"

namespace {

namespace test = tbx::test;
constexpr uint32_t kNumber = 1003;
constexpr int32_t kOk = int32_t(tbx::FourCC("ok  ")), kCancel = int32_t(tbx::FourCC("not!"));

class WatermarkDialogTest : public stravel::testing::WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        ASSERT_TRUE(CBK_MainInstance::Instance()->Create(static_cast<tbx::FSRef*>(nullptr)));
    }
    static test::ControlState State(const char (&code)[5]) {
        test::ControlState state;
        test::ReadControl(test::FindControl(test::FocusedWindow(), tbx::FourCC(code), kNumber),
                          state);
        return state;
    }
    // Replaces the box's text by typing, then leaves it with Tab.
    static void TypeInto(const char (&code)[5], const std::u16string& text) {
        tbx::WindowRef window = test::FocusedWindow();
        tbx::ControlRef box = test::FindControl(window, tbx::FourCC(code), kNumber);
        tbx::SetKeyboardFocus(window, box, 1);
        BK_SetEditTextControlText(L"", box);
        test::TypeText(text);
        test::PressKey(48);
    }
    static void Choose(const char (&code)[5], int32_t value) {
        test::ChangeValue(test::FocusedWindow(), tbx::FourCC(code), kNumber, value);
    }
    stravel::testing::TempDir dir;
};

TEST(WatermarkPositionList, RowsColumnsAndSeparators) {
    EXPECT_EQ(BK_WatermarkPositionRow(0), -1);
    EXPECT_EQ(BK_WatermarkPositionRow(1), -1);
    EXPECT_EQ(BK_WatermarkPositionRow(5), -1);
    EXPECT_EQ(BK_WatermarkPositionRow(13), -1);
    EXPECT_EQ(BK_WatermarkPositionRow(12), 2);
    EXPECT_EQ(BK_WatermarkPositionColumn(12), 2);
    EXPECT_EQ(BK_WatermarkPositionColumn(6), 0);
    EXPECT_EQ(BK_WatermarkPositionIndex(1, 1), 7);
    EXPECT_EQ(BK_WatermarkPositionIndex(3, 1), 0);
}

TEST_F(WatermarkDialogTest, SizesArePolicedAndOkWritesTheJob) {
    STRAVEL_REQUIRE_TOOL("convert");
    const auto png = dir / "mark.png";
    ASSERT_EQ(stravel::testing::RunTool(
                  {"convert", "-size", "400x300", "gradient:white-navy", png.string()})
                  .exitCode,
              0);
    CBK_ImageWatermark job;
    CBK_Path path = mediatest::PathOf(png);
    ASSERT_TRUE(job.Init(path, 0, 0, 0));
    job.SetDocumentDimensions(640, 480);
    CBK_ImageWatermarkDialog dialog(job);
    const std::size_t alerts = test::Alerts().size();

    test::Script([&] {
        EXPECT_EQ(State("sPth").title + State("sPth").text, u"mark.png");
        EXPECT_EQ(State("eMkw").text, u"400");
        EXPECT_TRUE(State("eMkw").enabled);
        EXPECT_FALSE(State("bTra").enabled) << "no transparent colour in use";
        TypeInto("eMkw", u"0");
    });
    test::Script([&] {
        ASSERT_EQ(test::Alerts().size(), alerts + 1);
        EXPECT_EQ(test::Alerts().back().explanation,
                  u"The width must be a number from 1 to 10000.");
        test::AnswerAlert(1);
    });
    test::Script([&] {
        EXPECT_EQ(State("eMkw").text, u"400") << "restored";
        TypeInto("eMkh", u"10001");
    });
    test::Script([&] {
        ASSERT_EQ(test::Alerts().size(), alerts + 2);
        EXPECT_EQ(test::Alerts().back().explanation,
                  u"The height must be a number from 1 to 10000.");
        test::AnswerAlert(1);
    });
    test::Script([&] {
        EXPECT_EQ(State("eMkh").text, u"300");
        TypeInto("eMkw", u"100");
    });
    test::Script([&] {
        EXPECT_EQ(State("eMkh").text, u"75") << "proportions kept";
        Choose("mPos", 8); // middle row, centre
    });
    test::Script([&] {
        EXPECT_EQ(State("eMkx").text, u"270");
        EXPECT_EQ(State("eMky").text, u"203");
        EXPECT_FALSE(State("eMkx").enabled);
        Choose("mPos", 6); // a separator
    });
    test::Script([&] {
        EXPECT_EQ(State("mPos").value, 8) << "back to the entry before";
        Choose("lAlp", 128);
        test::ClickControl(test::FocusedWindow(), tbx::FourCC("cTra"), kNumber);
    });
    test::Script([&] {
        EXPECT_TRUE(State("bTra").enabled);
        tbx::test::ScriptColorAnswer(true, tbx::RGBColor{0xFFFF, 0, 0});
        test::ClickControl(test::FocusedWindow(), tbx::FourCC("bTra"), kNumber);
    });
    test::Script([&] { test::ClickControl(test::FocusedWindow(), tbx::FourCC("ok  "), kNumber); });
    EXPECT_EQ(dialog.DoModal(nullptr), kOk);
    EXPECT_EQ(job.GetWidth(), 100);
    EXPECT_EQ(job.GetHeight(), 75);
    EXPECT_EQ(job.GetXPos(), 270);
    EXPECT_EQ(job.GetYPos(), 203);
    EXPECT_TRUE(job.GetAlignToDocument());
    EXPECT_EQ(job.GetHAlign(), CBK_ImageWatermark::HALIGN_CENTER);
    EXPECT_EQ(job.GetVAlign(), CBK_ImageWatermark::VALIGN_CENTER);
    EXPECT_EQ(job.GetAlpha(), 128);
    EXPECT_TRUE(job.GetUseTransparentColor());
    EXPECT_EQ(job.GetTransparentColor(), 0x0000FFu);

    // Cancel leaves the job's watermark as it was.
    CBK_ImageWatermarkDialog again(job);
    test::Script([&] { TypeInto("eMkw", u"50"); });
    test::Script([&] {
        EXPECT_EQ(State("eMkh").text, u"38");
        test::ClickControl(test::FocusedWindow(), tbx::FourCC("not!"), kNumber);
    });
    EXPECT_EQ(again.DoModal(nullptr), kCancel);
    EXPECT_EQ(job.GetWidth(), 100);
}

TEST_F(WatermarkDialogTest, OkWithAnUncheckedSizeStillInItsBoxKeepsTheSize) {
    STRAVEL_REQUIRE_TOOL("convert");
    const auto png = dir / "mark.png";
    ASSERT_EQ(
        stravel::testing::RunTool({"convert", "-size", "40x30", "xc:red", png.string()}).exitCode,
        0);
    CBK_ImageWatermark job;
    CBK_Path path = mediatest::PathOf(png);
    ASSERT_TRUE(job.Init(path, 0, 0, 0));
    CBK_ImageWatermarkDialog dialog(job);
    test::Script([&] {
        // Typed but never left, so never checked: OK comes straight after.
        tbx::WindowRef window = test::FocusedWindow();
        tbx::ControlRef box = test::FindControl(window, tbx::FourCC("eMkw"), kNumber);
        tbx::SetKeyboardFocus(window, box, 1);
        BK_SetEditTextControlText(L"", box);
        test::TypeText(u"0");
        test::ClickControl(window, tbx::FourCC("ok  "), kNumber);
    });
    EXPECT_EQ(dialog.DoModal(nullptr), kOk);
    EXPECT_EQ(job.GetTargetWidth(), 40);
    EXPECT_EQ(job.GetWidth(), 40);
}

class Host : public CBK_Dialog {};

TEST_F(WatermarkDialogTest, PreviewBlendsOverItsGradient) {
    Host host;
    ASSERT_TRUE(host.Create(10, 10, 300, 300, CBK_Dialog::kShow, nullptr));
    CBK_ControlImageWatermark preview;
    tbx::Rect bounds{20, 30, 170, 230}; // 200 × 150
    ASSERT_TRUE(preview.Create(host, tbx::FourCC("uImg"), bounds, L""));
    CBK_Image picture;
    ASSERT_TRUE(picture.Create(40, 60, 24, nullptr, false));
    picture.Fill(0x0000FF);
    for (int x = 0; x < 20; ++x)
        picture.GetDataAt(x, 0)[0] = 0; // a black corner row, the transparent colour below
    ASSERT_TRUE(preview.SetImage(picture));
    EXPECT_EQ(preview.GetFittedRect(), (tbx::Rect{45, 80, 105, 120}));
    tbx::WindowRef window = host.GetWindowHandle();
    auto at = [&](int x, int y) { return test::ReadPixel(window, 30 + x, 20 + y) & 0xFFFFFF; };
    EXPECT_EQ(at(100, 75), 0xFF0000u);
    const uint32_t background = at(10, 75);
    EXPECT_EQ(background >> 16, background & 0xFF) << "grey";
    preview.SetAlpha(-20, true); // held to 0: the background alone
    EXPECT_EQ(at(100, 75) >> 16, at(100, 75) & 0xFF);
    preview.SetAlpha(255, false);
    preview.SetTransparentColor(0x0000FF, false);
    preview.UseTransparentColor(true, true);
    EXPECT_EQ(at(100, 75) >> 16, at(100, 75) & 0xFF) << "red is now the transparent colour";
    EXPECT_EQ(at(80, 45), 0u) << "the black row stays";
}

TEST_F(WatermarkDialogTest, WithoutAPictureTheControlsWaitForOneChosen) {
    STRAVEL_REQUIRE_TOOL("convert");
    const auto bmp = dir / "chosen.bmp";
    ASSERT_EQ(stravel::testing::RunTool({"convert", "-size", "64x32", "xc:orange", bmp.string()})
                  .exitCode,
              0);
    CBK_ImageWatermark job;
    CBK_ImageWatermarkDialog dialog(job);
    test::Script([&] {
        EXPECT_EQ(State("sPth").title + State("sPth").text, u"Choose an image for the watermark");
        EXPECT_FALSE(State("eMkw").enabled);
        EXPECT_FALSE(State("lAlp").enabled);
        test::NavAnswer answer;
        answer.paths = {bmp.string()};
        test::ScriptNavAnswer(answer);
        test::ClickControl(test::FocusedWindow(), tbx::FourCC("bBrw"), kNumber);
    });
    test::Script([&] {
        EXPECT_EQ(State("sPth").title + State("sPth").text, u"chosen.bmp");
        EXPECT_TRUE(State("eMkw").enabled);
        EXPECT_EQ(State("eMkw").text, u"64");
        EXPECT_EQ(State("eMkh").text, u"32");
        EXPECT_EQ(test::NavDialogs().back().message, u"Choose an image");
        test::ClickControl(test::FocusedWindow(), tbx::FourCC("not!"), kNumber);
    });
    EXPECT_EQ(dialog.DoModal(nullptr), kCancel);
    EXPECT_EQ(dialog.GetWorkingCopy().GetWidth(), 64);
    EXPECT_TRUE(job.IsEmpty()) << "Cancel leaves the job alone";
}

} // namespace
