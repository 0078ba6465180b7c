#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/windows/controls.h"
#include "platform/windows/drag.h"
#include "platform/windows/events.h"
#include "platform/windows/font_panel.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/control.h"
#include "ui/base/dialog.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

// A dialog that records the handlers called and answers as told.
class RecordingDialog : public CBK_Dialog {
public:
    std::vector<std::string> calls;
    bool handleCommands = false;
    uint32_t endOn = 0;
    std::vector<std::pair<std::wstring, Point>> drops;

    bool OnInit() override {
        calls.push_back("init");
        return true;
    }
    bool OnCommand(uint32_t command, EventRef&) override {
        calls.push_back("command:" + Code(command));
        if (command == endOn && endOn)
            EndModal(static_cast<int32_t>(command));
        return handleCommands;
    }
    bool OnLButtonDown(int32_t, int32_t, uint32_t) override { return Note("ldown"); }
    bool OnLButtonUp(int32_t, int32_t, uint32_t) override { return Note("lup"); }
    bool OnRButtonDown(int32_t, int32_t, uint32_t) override { return Note("rdown"); }
    bool OnRButtonUp(int32_t, int32_t, uint32_t) override { return Note("rup"); }
    bool OnMove(int32_t x, int32_t y) override {
        return Note("move:" + std::to_string(x) + "," + std::to_string(y));
    }
    bool OnSize(int32_t w, int32_t h) override {
        return Note("size:" + std::to_string(w) + "," + std::to_string(h));
    }
    bool OnPaint() override { return Note("paint"); }
    bool OnKeyboardFocus(ControlRef, ControlRef) override { return Note("focus"); }
    void OnDragDropFile(CBK_Path& path, Point& point) override {
        drops.emplace_back(path.GetPathString(), point);
    }
    bool OnDragDropStart(DragRef) override { return Note("dragstart"); }

    static std::string Code(uint32_t c) {
        return {char(c >> 24), char(c >> 16), char(c >> 8), char(c)};
    }

private:
    bool Note(const std::string& what) {
        calls.push_back(what);
        return false;
    }
};

class DialogTest : public UiTest {};

TEST_F(DialogTest, CallbackWithoutObjectPassesAndHandledCommandAnswersOne) {
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
    HICommand command;
    command.commandID = FourCC("bAdd");
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    EXPECT_EQ(BK_DefaultDialogCallback(nullptr, event, nullptr), eventNotHandledErr);

    RecordingDialog dialog;
    EXPECT_EQ(BK_DefaultDialogCallback(nullptr, event, &dialog), eventNotHandledErr);
    dialog.handleCommands = true;
    EXPECT_EQ(BK_DefaultDialogCallback(nullptr, event, &dialog), 1);
    ReleaseEvent(event);
}

TEST_F(DialogTest, ControlHitReachesOnCommandWithTheCodeAndAnsweredZeroWhenHandled) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    EXPECT_EQ(CBK_Dialog::GetDialogFromHandle(dialog.GetWindowHandle()), &dialog);
    dialog.Show();
    test::Flush();
    dialog.calls.clear();
    // Not handled: the hit, then its command follow-up, both reach OnCommand.
    ASSERT_TRUE(test::ClickControl(dialog.GetWindowHandle(), FourCC("bAdd"), 60));
    EXPECT_EQ(dialog.calls,
              (std::vector<std::string>{"ldown", "command:bAdd", "focus", "command:bAdd"}));
    dialog.calls.clear();
    dialog.handleCommands = true;
    ASSERT_TRUE(test::ClickControl(dialog.GetWindowHandle(), FourCC("bAdd"), 60));
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"ldown", "command:bAdd"}));
    // A menu command reaches it too.
    dialog.calls.clear();
    test::ChooseMenuCommand(FourCC("mnuC"));
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"command:mnuC"}));
}

TEST_F(DialogTest, ControlClickArrivesAsRightButton) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    dialog.Show();
    test::Flush();
    dialog.calls.clear();
    test::Click(dialog.GetWindowHandle(), Point{250, 300}, controlKey);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"rdown", "rup"}));
    dialog.calls.clear();
    test::Click(dialog.GetWindowHandle(), Point{250, 300});
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"ldown", "lup"}));
}

TEST_F(DialogTest, MoveCallsOnlyOnMoveAndResizeOnlyOnSize) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    dialog.calls.clear();
    test::DragWindowTo(dialog.GetWindowHandle(), 300, 200);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"move:300,200"}));
    dialog.calls.clear();
    test::ResizeWindow(dialog.GetWindowHandle(), 500, 320);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"size:500,320"}));
    EXPECT_EQ(dialog.GetXPos(), 300);
    EXPECT_EQ(dialog.GetWindowHeight(), 320 + 22);
}

TEST_F(DialogTest, DroppedFilesArriveInNameOrderWithTheRealPointFirst) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    ASSERT_TRUE(dialog.EnableDragDrop(true));
    ASSERT_TRUE(dialog.EnableDragDrop(true)); // installs once
    ASSERT_TRUE(test::DropFiles(dialog.GetWindowHandle(), Point{10, 20},
                                {"/m/C.mov", "/z/b.mov", "/a/d 100%.mov"}));
    ASSERT_EQ(dialog.drops.size(), 3u);
    EXPECT_EQ(dialog.drops[0].first, L"/z/b.mov");
    EXPECT_EQ(dialog.drops[1].first, L"/m/C.mov");
    EXPECT_EQ(dialog.drops[2].first, L"/a/d 100%.mov");
    EXPECT_EQ(dialog.drops[0].second, (Point{130, 120}));
    EXPECT_EQ(dialog.drops[1].second, (Point{32767, 32767}));
    EXPECT_EQ(dialog.drops[2].second, (Point{32767, 32767}));
    EXPECT_EQ(std::count(dialog.calls.begin(), dialog.calls.end(), "dragstart"), 1);
    dialog.EnableDragDrop(false);
    test::DropFiles(dialog.GetWindowHandle(), Point{10, 20}, {"/x"});
    EXPECT_EQ(dialog.drops.size(), 3u);
}

TEST_F(DialogTest, DoModalAnswersTheEndModalValueOrMinusOneForTheCloseBox) {
    RecordingDialog dialog;
    dialog.endOn = FourCC("ok  ");
    test::Script([] { test::ClickControl(FourCC("ok  "), 60); });
    EXPECT_EQ(dialog.DoModal(nib, L"IDD_TEST", nullptr, 60), int32_t(FourCC("ok  ")));
    EXPECT_EQ(dialog.GetWindowHandle(), nullptr);
    EXPECT_TRUE(test::VisibleWindows().empty());

    RecordingDialog closing;
    test::Script([] { EXPECT_TRUE(test::CloseWindow(test::FindWindow("IDD_TEST"))); });
    EXPECT_EQ(closing.DoModal(nib, L"IDD_TEST", nullptr, 60), -1);
    EXPECT_EQ(test::FindWindow("IDD_TEST"), nullptr);

    RecordingDialog missing;
    EXPECT_EQ(missing.DoModal(nib, L"IDD_ABSENT", nullptr, 60), -1);
    EXPECT_TRUE(missing.calls.empty());
}

TEST_F(DialogTest, SheetTakesControlHitsOnly) {
    RecordingDialog parent;
    ASSERT_TRUE(parent.LoadDialog(nib, L"IDD_PLAIN", nullptr, 0));
    parent.Show();
    RecordingDialog sheet;
    ASSERT_TRUE(sheet.Create(0, 0, 200, 100, CBK_Dialog::kSheet, parent.GetWindowHandle()));
    EventTypeSpec list[16];
    EXPECT_EQ(sheet._GetSupportedEvents(list), 1u);
    EXPECT_EQ(list[0].eventClass, kEventClassControl);
    EXPECT_EQ(test::ReadPixel(sheet.GetWindowHandle(), 5, 5), 0xFFE8E8E8u);

    Rect r{40, 20, 60, 100};
    ControlRef button = nullptr;
    CreatePushButtonControl(sheet.GetWindowHandle(), &r, CFSTR("Go"), &button);
    const ControlID id{FourCC("bGo "), 0};
    SetControlID(button, &id);
    SetControlCommandID(button, FourCC("bGo "));
    sheet.endOn = FourCC("bGo ");
    test::Script([&] {
        test::Click(sheet.GetWindowHandle(), Point{5, 5}); // mouse-down: not taken
        test::ChooseMenuCommand(FourCC("mnuC"));           // command: not taken
    });
    test::Script([&] { test::ClickControl(FourCC("bGo "), 0); });
    EXPECT_EQ(sheet._RunModalLoop(), int32_t(FourCC("bGo ")));
    EXPECT_EQ(sheet.calls, (std::vector<std::string>{"init", "command:bGo ", "focus"}));
    EXPECT_TRUE(parent.IsVisible());
}

TEST_F(DialogTest, ControlBaseBindsByCodeAndDialogNumber) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    CBK_Control control;
    EXPECT_FALSE(dialog.GetControl(FourCC("zzzz"), control));
    EXPECT_EQ(control.GetControlHandle(), nullptr);
    EXPECT_TRUE(control.Init(FourCC("bAdd"), dialog.GetWindowHandle(), 61));
    test::ControlState state;
    test::ReadControl(control.GetControlHandle(), state);
    EXPECT_EQ(state.title, u"Add elsewhere");
    CBK_Control other;
    ASSERT_TRUE(dialog.GetControl(FourCC("bAdd"), other));
    test::ReadControl(other.GetControlHandle(), state);
    EXPECT_EQ(state.title, u"Add");
    EXPECT_EQ(other.GetParentDialog(), &dialog);

    // The single-coordinate setters keep the other coordinate.
    ASSERT_TRUE(other.SetWidth(150));
    EXPECT_EQ(other.GetHeight(), 20);
    EXPECT_EQ(other.GetWidth(), 150);
    ASSERT_TRUE(other.SetXPos(33));
    EXPECT_EQ(other.GetYPos(), 260);
    EXPECT_EQ(other.GetXPos(), 33);
    EXPECT_TRUE(other.Enable(false));
    EXPECT_FALSE(IsControlActive(other.GetControlHandle()));

    // Releasing an attached object leaves the control in its window.
    const ControlRef handle = other.GetControlHandle();
    other.Destroy();
    EXPECT_TRUE(IsValidControlHandle(handle));
}

// A control made in code, as the subclasses make theirs.
class CodeButton : public CBK_Control {
public:
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t code, Rect& bounds, const wchar_t*) override {
        if (!CBK_Control::Create(dialog, code, bounds, static_cast<const wchar_t*>(nullptr)))
            return false;
        if (CreatePushButtonControl(dialog.GetWindowHandle(), &bounds, CFSTR("x"), &m_hControl) !=
            noErr)
            return false;
        return _OnCreate(dialog, code);
    }
};

TEST_F(DialogTest, CreatedControlsTakeTheDialogsIdsAndEmbedInItsPane) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    CodeButton button;
    Rect r{100, 100, 120, 180};
    ASSERT_TRUE(button.Create(dialog, FourCC("bNew"), r, L"x"));
    EXPECT_FALSE(button.Create(dialog, FourCC("bTwo"), r, L"x"));
    ControlID id;
    GetControlID(button.GetControlHandle(), &id);
    EXPECT_EQ(id.signature, FourCC("bNew"));
    EXPECT_EQ(id.id, 60);
    UInt32 command = 0;
    GetControlCommandID(button.GetControlHandle(), &command);
    EXPECT_EQ(command, FourCC("bNew"));
    EXPECT_EQ(GetControlReference(button.GetControlHandle()), reinterpret_cast<SRefCon>(&button));
    test::ControlState state;
    test::ReadControl(button.GetControlHandle(), state);
    EXPECT_EQ(state.fontStyle.font, kControlFontSmallSystemFont);
    EXPECT_EQ(state.drawCount, 1u);

    // A pane's controls embed in its pane control.
    class Pane : public CBK_Dialog {
    public:
        CodeButton made;
        bool OnInit() override {
            Rect b{30, 30, 50, 90};
            return made.Create(*this, FourCC("bMad"), b, L"m");
        }
    } pane;
    ASSERT_TRUE(pane.LoadPane(nib, 2001, dialog.GetWindowHandle(), 2001));
    ControlRef paneControl = test::FindControl(dialog.GetWindowHandle(), 0, 2001);
    test::ReadControl(pane.made.GetControlHandle(), state);
    EXPECT_EQ(state.parent, paneControl);
    EXPECT_EQ(state.id.id, 2001);
    CBK_Control inPane;
    EXPECT_TRUE(pane.GetControl(FourCC("bPan"), inPane));
    EXPECT_FALSE(pane.GetControl(FourCC("bAdd"), inPane));
}

TEST_F(DialogTest, ReleasingInAnyOrderIsClean) {
    // A dialog released before the controls it created.
    auto dialog = std::make_unique<RecordingDialog>();
    ASSERT_TRUE(dialog->LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    auto button = std::make_unique<CodeButton>();
    Rect r{100, 100, 120, 180};
    ASSERT_TRUE(button->Create(*dialog, FourCC("bNew"), r, L"x"));
    const ControlRef handle = button->GetControlHandle();
    dialog.reset();
    EXPECT_FALSE(IsValidControlHandle(handle));
    button.reset();

    // A pane released after its window; the window is not the pane's to dispose of.
    auto owner = std::make_unique<RecordingDialog>();
    ASSERT_TRUE(owner->LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    auto pane = std::make_unique<RecordingDialog>();
    ASSERT_TRUE(pane->LoadPane(nib, 2001, owner->GetWindowHandle(), 2001));
    const WindowRef window = owner->GetWindowHandle();
    auto second = std::make_unique<RecordingDialog>();
    ASSERT_TRUE(second->LoadPane(nib, 2001, window, 2001));
    second.reset(); // a pane released first leaves the window
    EXPECT_TRUE(IsValidWindowPtr(window));
    owner.reset();
    EXPECT_FALSE(IsValidWindowPtr(window));
    pane.reset();
}

TEST_F(DialogTest, CreateChoosesTheClassAndAttributesOfTheFlags) {
    const std::pair<uint32_t, WindowClass> cases[] = {
        {CBK_Dialog::kMovableModal | CBK_Dialog::kSheet, kMovableModalWindowClass},
        {CBK_Dialog::kSheet | CBK_Dialog::kFloating, kSheetWindowClass},
        {CBK_Dialog::kFloating | CBK_Dialog::kUtility, kFloatingWindowClass},
        {CBK_Dialog::kUtility, kUtilityWindowClass},
        {0, kDocumentWindowClass}};
    for (auto [flags, expected] : cases) {
        RecordingDialog dialog;
        ASSERT_TRUE(dialog.Create(10, 20, 300, 200, flags | CBK_Dialog::kCloseBox, nullptr));
        WindowClass windowClass = 0;
        GetWindowClass(dialog.GetWindowHandle(), &windowClass);
        EXPECT_EQ(windowClass, expected);
        WindowAttributes attributes = 0;
        GetWindowAttributes(dialog.GetWindowHandle(), &attributes);
        EXPECT_TRUE(attributes & kWindowCloseBoxAttribute);
        EXPECT_FALSE(attributes & kWindowResizableAttribute);
        EXPECT_FALSE(dialog.IsVisible());
        EXPECT_EQ(dialog.GetWidth(), 300);
        EXPECT_EQ(CBK_Dialog::GetDialogFromHandle(dialog.GetWindowHandle()), nullptr);
    }
    RecordingDialog shown;
    ASSERT_TRUE(shown.Create(0, 0, 10, 10, CBK_Dialog::kShow, nullptr));
    EXPECT_TRUE(shown.IsVisible());
}

TEST_F(DialogTest, EndModalOutsideAModalLoopFailsWithMinusOne) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    EXPECT_FALSE(dialog.EndModal(5));
    EXPECT_EQ(dialog.GetModalResult(), -1);
    EXPECT_EQ(dialog.GetWindowHandle(), nullptr);
}

TEST_F(DialogTest, WindowOperations) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    EXPECT_TRUE(dialog.SetTitle(20001));
    CFStringRef title = nullptr;
    CopyWindowTitleAsCFString(dialog.GetWindowHandle(), &title);
    EXPECT_EQ(title->Text(), u"Title from id");
    CFRelease(title);
    EXPECT_TRUE(dialog.SetBackgroundColor(0x00336699)); // blue 0x33, green 0x66, red 0x99
    EXPECT_EQ(test::ReadPixel(dialog.GetWindowHandle(), 0, 0), 0xFF996633u);
    EXPECT_TRUE(dialog.CenterWindow(nullptr));
    EXPECT_EQ(dialog.GetXPos(), (1440 - 400) / 2);
    dialog.SetPos(-70000, 40);
    EXPECT_EQ(dialog.GetXPos(), -32768) << "held to the window system's range";
    dialog.SetPos(1300, 800);
    EXPECT_TRUE(dialog.ConstrainToScreen());
    EXPECT_EQ(dialog.GetXPos(), 1440 - 400);
    EXPECT_EQ(dialog.GetYPos() + 300, 900);
    EXPECT_TRUE(dialog.Maximize());
    EXPECT_TRUE(dialog.IsMaximized());
    EXPECT_TRUE(dialog.Restore());
    EXPECT_FALSE(dialog.IsMaximized());
    EXPECT_TRUE(dialog.Minimize());
    EXPECT_TRUE(dialog.IsMinimized());
    EXPECT_FALSE(dialog.Enable(true));
    dialog.SetHeight(111);
    EXPECT_EQ(dialog.GetWidth(), 400);
    EXPECT_EQ(dialog.GetHeight(), 111);
}

TEST_F(DialogTest, UnhandledShowFontPanelCommandTogglesThePanel) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    dialog.Show();
    test::ChooseMenuCommand(FourCC("shfp"));
    EXPECT_TRUE(FPIsFontPanelVisible());
    const test::FontSelection selection = test::LastFontSelection();
    EXPECT_TRUE(selection.given);
    EXPECT_EQ(selection.target, GetWindowEventTarget(dialog.GetWindowHandle()));
    EXPECT_GT(selection.size, 0);
    test::ChooseMenuCommand(FourCC("shfp"));
    EXPECT_FALSE(FPIsFontPanelVisible());
}

} // namespace
