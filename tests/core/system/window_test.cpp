// CBK_Window: the windowing model's events arrive as the virtual operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/system/window.h"
#include "core/system/window_ops.h"
#include "platform/windows/test_driver.h"
#include "tests/support/windowing_fixture.h"

namespace {

class Recorder : public CBK_Window {
public:
    std::vector<std::string> calls;
    void Note(const char* what, long a = 0, long b = 0) {
        calls.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b));
    }
    void OnInit() override { Note("init"); }
    void OnClose() override { Note("close"); }
    void OnDestroy() override { Note("destroy"); }
    void OnPaint() override { Note("paint"); }
    void OnSize(long w, long h) override { Note("size", w, h); }
    void OnMove(long x, long y) override { Note("move", x, y); }
    void OnShow(bool show) override { Note("show", show); }
    void OnCommand(unsigned long command, tbx::EventRef&) override {
        Note("command", long(command));
    }
    void OnLButtonDown(long x, long y, unsigned long) override { Note("ldown", x, y); }
    void OnLButtonUp(long x, long y, unsigned long) override { Note("lup", x, y); }
    void OnRButtonDown(long x, long y, unsigned long) override { Note("rdown", x, y); }
    void OnScroll(long axis, long delta) override { Note("scroll", axis, delta); }
    void OnMaximize() override { Note("max"); }
    void OnRestore() override { Note("restore"); }
    bool Saw(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
};

using Window = stravel::testing::WindowingTest;

TEST_F(Window, EventsBecomeOperations) {
    Recorder window;
    ASSERT_TRUE(window.Create(100, 120, 200, 150, L"Recorder",
                              BK_WINDOW_VISIBLE | BK_WINDOW_DOCUMENT | BK_WINDOW_CLOSE_BOX |
                                  BK_WINDOW_RESIZABLE));
    EXPECT_FALSE(window.Create(0, 0, 10, 10, L"again", 0));
    ASSERT_GE(window.calls.size(), 2u);
    EXPECT_EQ(window.calls[0], "init 0 0");
    EXPECT_EQ(window.calls[1], "show 1 0");

    ASSERT_TRUE(tbx::test::Click(window.GetWindowRef(), tbx::Point{10, 20}));
    tbx::test::Flush();
    EXPECT_TRUE(window.Saw("ldown 20 10"));
    EXPECT_TRUE(window.Saw("lup 20 10"));
    tbx::test::Click(window.GetWindowRef(), tbx::Point{5, 6}, 0, tbx::kEventMouseButtonSecondary);
    tbx::test::Flush();
    EXPECT_TRUE(window.Saw("rdown 6 5"));

    ASSERT_TRUE(tbx::test::ResizeWindow(window.GetWindowRef(), 300, 160));
    tbx::test::Flush();
    EXPECT_TRUE(window.Saw("size 300 160"));
    ASSERT_TRUE(tbx::test::DragWindowTo(window.GetWindowRef(), 50, 60));
    tbx::test::Flush();
    EXPECT_TRUE(window.Saw("move 50 60"));

    ASSERT_TRUE(window.SetFocus());
    tbx::test::ChooseMenuCommand(4242);
    tbx::test::Flush();
    EXPECT_TRUE(window.Saw("command 4242 0"));

    BK_InvalWindow(window.GetWindowRef());
    tbx::test::Flush();
    EXPECT_TRUE(window.Saw("paint 0 0"));

    EXPECT_TRUE(window.Maximize());
    EXPECT_TRUE(window.IsMaximized());
    EXPECT_TRUE(window.Saw("max 0 0"));
    EXPECT_TRUE(window.Restore());
    EXPECT_FALSE(window.IsMaximized());
    int32_t width = 0, height = 0;
    ASSERT_TRUE(window.GetSize(width, height));
    EXPECT_EQ(width, 300);
    EXPECT_TRUE(window.Minimize());
    EXPECT_TRUE(window.IsMinimized());
    EXPECT_FALSE(window.Enable());
    EXPECT_TRUE(window.SetAlpha(0.5));
    EXPECT_FLOAT_EQ(tbx::test::WindowAlpha(window.GetWindowRef()), 0.5f);
    EXPECT_FALSE(window.SetAlpha(1.5));
    EXPECT_FALSE(window.SetAlpha(-0.1));
    EXPECT_FLOAT_EQ(tbx::test::WindowAlpha(window.GetWindowRef()), 0.5f);

    ASSERT_TRUE(tbx::test::CloseWindow(window.GetWindowRef()));
    tbx::test::Flush();
    EXPECT_TRUE(window.Saw("close 0 0"));
    EXPECT_EQ(window.calls.back(), "destroy 0 0");
    EXPECT_EQ(window.GetWindowRef(), nullptr);
    EXPECT_FALSE(window.Maximize());
    EXPECT_FALSE(window.SetTitle(L"gone"));
    EXPECT_FALSE(window.SetAlpha(1.0));
}

TEST_F(Window, TheWheelTurnsTheWindowUnderThePointer) {
    Recorder back, front;
    ASSERT_TRUE(back.Create(100, 120, 200, 150, L"Back", BK_WINDOW_VISIBLE | BK_WINDOW_DOCUMENT));
    ASSERT_TRUE(front.Create(150, 150, 100, 100, L"Front", BK_WINDOW_VISIBLE | BK_WINDOW_DOCUMENT));
    tbx::test::Flush();
    back.calls.clear();
    front.calls.clear();
    // Under (60, 60) of the back window lies the front one; (10, 10) is the back's own.
    ASSERT_TRUE(
        tbx::test::Wheel(back.GetWindowRef(), tbx::Point{60, 60}, tbx::kEventMouseWheelAxisY, -3));
    ASSERT_TRUE(
        tbx::test::Wheel(back.GetWindowRef(), tbx::Point{10, 10}, tbx::kEventMouseWheelAxisX, 2));
    tbx::test::Flush();
    EXPECT_EQ(front.calls, std::vector<std::string>{"scroll 1 -3"});
    EXPECT_EQ(back.calls, std::vector<std::string>{"scroll 0 2"});
    front.Show(false);
    EXPECT_FALSE(
        tbx::test::Wheel(front.GetWindowRef(), tbx::Point{1, 1}, tbx::kEventMouseWheelAxisY, 1));
}

} // namespace
