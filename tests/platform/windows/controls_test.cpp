#include <gtest/gtest.h>

#include <vector>

#include "platform/windows/controls.h"
#include "platform/windows/drag.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/windowing_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::WindowingTest;

class ControlsTest : public WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        Rect bounds{50, 60, 350, 560};
        ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds,
                                  &window),
                  noErr);
        ShowWindow(window);
        test::Flush();
    }
    WindowRef window = nullptr;
};

TEST_F(ControlsTest, IdsCommandsReferencesAndEmbedding) {
    Rect r{10, 10, 30, 90};
    ControlRef a = nullptr, b = nullptr, group = nullptr;
    Rect g{0, 0, 200, 200};
    ASSERT_EQ(CreateGroupBoxControl(window, &g, CFSTR("Group"), true, &group), noErr);
    ASSERT_EQ(CreatePushButtonControl(window, &r, CFSTR("A"), &a), noErr);
    ASSERT_EQ(CreateCheckBoxControl(window, &r, CFSTR("B"), 0, true, &b), noErr);
    const ControlID idA{FourCC("bAdd"), 7}, idB{FourCC("bAdd"), 8};
    SetControlID(a, &idA);
    SetControlID(b, &idB);
    ControlRef found = nullptr;
    ASSERT_EQ(GetControlByID(window, &idB, &found), noErr);
    EXPECT_EQ(found, b);
    const ControlID missing{FourCC("bAdd"), 9};
    EXPECT_EQ(GetControlByID(window, &missing, &found), errUnknownControl);

    SetControlReference(a, reinterpret_cast<SRefCon>(&found));
    EXPECT_EQ(GetControlReference(a), reinterpret_cast<SRefCon>(&found));
    EXPECT_EQ(GetControlOwner(a), window);

    ASSERT_EQ(EmbedControl(a, group), noErr);
    EXPECT_EQ(EmbedControl(group, a), errControlIsNotEmbedder);
    ControlRef parent = nullptr;
    GetSuperControl(a, &parent);
    EXPECT_EQ(parent, group);
    // Moving the group moves what it embeds; hiding it hides them as shown.
    MoveControl(group, 100, 50);
    Rect moved;
    GetControlBounds(a, &moved);
    EXPECT_EQ(moved, (Rect{60, 110, 80, 190}));
    HideControl(group);
    EXPECT_FALSE(IsControlVisible(a));
    test::ControlState state;
    test::ReadControl(a, state);
    EXPECT_TRUE(state.visible);
    EXPECT_FALSE(state.shown);
    // Disposing of the group disposes of what it embeds.
    DisposeControl(group);
    EXPECT_EQ(GetControlOwner(a), nullptr);
    EXPECT_EQ(GetControlOwner(b), window);
}

TEST_F(ControlsTest, ValuesArePinnedToTheirLimits) {
    Rect r{10, 10, 30, 200};
    ControlRef bar = nullptr;
    ASSERT_EQ(CreateProgressBarControl(window, &r, 5, 0, 100, false, &bar), noErr);
    SetControl32BitValue(bar, 1000);
    EXPECT_EQ(GetControl32BitValue(bar), 100);
    SetControl32BitMaximum(bar, 100000);
    SetControl32BitValue(bar, 70000);
    EXPECT_EQ(GetControl32BitValue(bar), 70000);
    SetControl32BitMaximum(bar, 50);
    EXPECT_EQ(GetControl32BitValue(bar), 50);
    SetControl32BitMinimum(bar, 80);
    EXPECT_EQ(GetControl32BitMaximum(bar), 80);
    EXPECT_EQ(GetControl32BitValue(bar), 80);
}

TEST_F(ControlsTest, DataTagsByKind) {
    Rect r{10, 10, 30, 200};
    ControlRef text = nullptr, button = nullptr, bar = nullptr;
    CreateStaticTextControl(window, &r, CFSTR("one"), nullptr, &text);
    CreatePushButtonControl(window, &r, CFSTR("go"), &button);
    CreateProgressBarControl(window, &r, 0, 0, 10, false, &bar);

    CFStringRef two = CFSTR("two");
    ASSERT_EQ(SetControlData(text, 0, kControlStaticTextCFStringTag, sizeof two, &two), noErr);
    CFStringRef copy = nullptr;
    ASSERT_EQ(GetControlData(text, 0, kControlStaticTextCFStringTag, sizeof copy, &copy, nullptr),
              noErr);
    EXPECT_EQ(copy->Text(), u"two");
    CFRelease(copy);
    const char roman[] = "caf\x8E"; // Mac Roman e acute
    ASSERT_EQ(SetControlData(text, 0, kControlStaticTextTextTag, 4, roman), noErr);
    test::ControlState state;
    test::ReadControl(text, state);
    EXPECT_EQ(state.text, u"caf\u00e9");
    UInt32 size = 0;
    GetControlDataSize(text, 0, kControlStaticTextTextTag, &size);
    EXPECT_EQ(size, 4u);

    EXPECT_EQ(SetControlData(button, 0, kControlStaticTextCFStringTag, sizeof two, &two),
              errDataNotSupported);
    const Boolean on = true;
    EXPECT_EQ(SetControlData(bar, 0, kControlProgressBarIndeterminateTag, 4, &on), paramErr);
    EXPECT_EQ(SetControlData(bar, 0, kControlProgressBarIndeterminateTag, sizeof on, &on), noErr);
    Boolean read = false;
    GetControlData(bar, 0, kControlProgressBarIndeterminateTag, sizeof read, &read, nullptr);
    EXPECT_TRUE(read);

    ControlFontStyleRec style;
    style.flags = kControlUseFontMask;
    style.font = kControlFontSmallSystemFont;
    ASSERT_EQ(SetControlFontStyle(button, &style), noErr);
    test::ReadControl(button, state);
    EXPECT_EQ(state.fontStyle.font, kControlFontSmallSystemFont);
}

TEST_F(ControlsTest, PropertiesAreKeyedByCreatorAndTag) {
    Rect r{10, 10, 30, 200};
    ControlRef pane = nullptr;
    CreateUserPaneControl(window, &r, 0, &pane);
    void* object = this;
    ASSERT_EQ(SetControlProperty(pane, FourCC("Qfrn"), FourCC("DlgV"), sizeof object, &object),
              noErr);
    void* back = nullptr;
    UInt32 size = 0;
    ASSERT_EQ(GetControlProperty(pane, FourCC("Qfrn"), FourCC("DlgV"), sizeof back, &size, &back),
              noErr);
    EXPECT_EQ(back, object);
    EXPECT_EQ(size, sizeof(void*));
    uint32_t small = 0;
    EXPECT_EQ(
        GetControlProperty(pane, FourCC("Qfrn"), FourCC("DlgV"), sizeof small, nullptr, &small),
        paramErr);
    EXPECT_EQ(GetControlProperty(pane, FourCC("Qfrn"), FourCC("xxxx"), sizeof back, nullptr, &back),
              errControlPropertyNotFound);
    EXPECT_EQ(RemoveControlProperty(pane, FourCC("Qfrn"), FourCC("DlgV")), noErr);
    EXPECT_EQ(RemoveControlProperty(pane, FourCC("Qfrn"), FourCC("DlgV")),
              errControlPropertyNotFound);
}

TEST_F(ControlsTest, ClicksToggleCheckBoxesAndRadiosOnlyWhenAutoToggling) {
    Rect r1{10, 10, 30, 100}, r2{40, 10, 60, 100};
    ControlRef check = nullptr, radio = nullptr;
    CreateCheckBoxControl(window, &r1, CFSTR("c"), 0, true, &check);
    CreateRadioButtonControl(window, &r2, CFSTR("r"), 0, false, &radio);
    test::Click(window, Point{20, 20});
    test::Click(window, Point{50, 20});
    EXPECT_EQ(GetControl32BitValue(check), 1);
    EXPECT_EQ(GetControl32BitValue(radio), 0);
    test::Click(window, Point{20, 20});
    EXPECT_EQ(GetControl32BitValue(check), 0);
    // A disabled control takes no click.
    DisableControl(check);
    test::Click(window, Point{20, 20});
    EXPECT_EQ(GetControl32BitValue(check), 0);
}

struct ActionLog {
    std::vector<ControlPartCode> parts;
};
ActionLog* gActionLog = nullptr;
void LogAction(ControlRef, ControlPartCode part) {
    gActionLog->parts.push_back(part);
}
int gThumbCalls = 0;
void CountThumb() {
    ++gThumbCalls;
}

TEST_F(ControlsTest, TrackingFollowsTheInjectedGesture) {
    Rect r{10, 10, 26, 210}; // horizontal, 200 long
    ControlRef bar = nullptr;
    ASSERT_EQ(CreateScrollBarControl(window, &r, 0, 0, 100, 0, false, nullptr, &bar), noErr);
    EXPECT_EQ(TestControl(bar, Point{18, 12}), kControlUpButtonPart);
    EXPECT_EQ(TestControl(bar, Point{18, 205}), kControlDownButtonPart);
    EXPECT_EQ(TestControl(bar, Point{18, 30}), kControlIndicatorPart);
    EXPECT_EQ(TestControl(bar, Point{18, 150}), kControlPageDownPart);

    // The owner tracks in its mouse-down handler.
    struct Owner {
        ControlRef bar;
        ControlPartCode result = -1;
        bool thumb = false;
    } owner{bar};
    auto down = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
        auto* o = static_cast<Owner*>(data);
        Point global;
        GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof global,
                          nullptr, &global);
        Rect content;
        GetWindowBounds(GetControlOwner(o->bar), kWindowContentRgn, &content);
        Point local{static_cast<int16_t>(global.v - content.top),
                    static_cast<int16_t>(global.h - content.left)};
        o->result = o->thumb ? TrackControl(o->bar, local, CountThumb)
                             : TrackControl(o->bar, local, LogAction);
        return noErr;
    };
    const EventTypeSpec eventType{kEventClassMouse, kEventMouseDown};
    InstallEventHandler(GetWindowEventTarget(window), down, 1, &eventType, &owner, nullptr);

    ActionLog log;
    gActionLog = &log;
    // Press the down arrow, hold it for two more points, leave it, come back, release.
    test::Gesture(window, {{18, 205}, {18, 205}, {18, 206}, {18, 100}, {18, 205}});
    EXPECT_EQ(log.parts, (std::vector<ControlPartCode>{21, 21, 21, 0, 21}));
    EXPECT_EQ(owner.result, kControlDownButtonPart);
    log.parts.clear();
    test::Gesture(window, {{18, 205}, {18, 100}});
    EXPECT_EQ(owner.result, kControlNoPart); // released outside the part

    owner.thumb = true;
    test::Gesture(window, {{18, 30}, {18, 60}, {18, 90}, {18, 400}});
    EXPECT_EQ(gThumbCalls, 3);
    EXPECT_EQ(owner.result, kControlIndicatorPart);
    EXPECT_FALSE(StillDown());
    gActionLog = nullptr;
}

TEST_F(ControlsTest, TrackMouseLocationReportsDragsThenTheRelease) {
    struct Seen {
        std::vector<Point> points;
        std::vector<MouseTrackingResult> results;
        WindowRef window;
    } seen{{}, {}, window};
    auto down = [](EventHandlerCallRef, EventRef, void* data) -> OSStatus {
        auto* s = static_cast<Seen*>(data);
        MouseTrackingResult result = 0;
        while (result != kMouseTrackingMouseUp) {
            Point p;
            TrackMouseLocation(GetWindowPort(s->window), &p, &result);
            s->points.push_back(p);
            s->results.push_back(result);
        }
        return noErr;
    };
    const EventTypeSpec eventType{kEventClassMouse, kEventMouseDown};
    InstallEventHandler(GetWindowEventTarget(window), down, 1, &eventType, &seen, nullptr);
    test::Gesture(window, {{5, 5}, {6, 7}, {8, 9}});
    EXPECT_EQ(seen.points, (std::vector<Point>{{6, 7}, {8, 9}, {8, 9}}));
    EXPECT_EQ(seen.results,
              (std::vector<MouseTrackingResult>{
                  kMouseTrackingMouseDragged, kMouseTrackingMouseDragged, kMouseTrackingMouseUp}));
}

ControlKeyFilterResult DigitsOnly(ControlRef, SInt16*, SInt16* charCode, UInt16*) {
    return (*charCode >= '0' && *charCode <= '9') || *charCode == 8 ? kControlKeyFilterPassKey
                                                                    : kControlKeyFilterBlockKey;
}

TEST_F(ControlsTest, TypingGoesThroughTheKeyFilterAndSelection) {
    Rect r{10, 10, 30, 200};
    ControlRef edit = nullptr;
    CreateEditUnicodeTextControl(window, &r, CFSTR("12"), false, nullptr, &edit);
    ControlKeyFilterUPP filter = DigitsOnly;
    ASSERT_EQ(SetControlData(edit, 0, kControlEditTextKeyFilterTag, sizeof filter, &filter), noErr);
    test::Click(window, Point{20, 20}); // takes the focus
    test::TypeText(u"3a4");
    test::ControlState state;
    test::ReadControl(edit, state);
    EXPECT_TRUE(state.focused);
    EXPECT_EQ(state.text, u"1234");
    ControlEditTextSelectionRec selection{1, 3};
    SetControlData(edit, 0, kControlEditTextSelectionTag, sizeof selection, &selection);
    test::TypeText(u"9");
    test::ReadControl(edit, state);
    EXPECT_EQ(state.text, u"194");
    GetControlData(edit, 0, kControlEditTextSelectionTag, sizeof selection, &selection, nullptr);
    EXPECT_EQ(selection.selStart, 2);
    EXPECT_EQ(selection.selEnd, 2);
}

TEST_F(ControlsTest, UserPaneDrawsThroughItsHandlerOnlyWhenShown) {
    Rect r{10, 10, 30, 200};
    ControlRef pane = nullptr;
    CreateUserPaneControl(window, &r, 0, &pane);
    int draws = 0;
    auto proc = [](EventHandlerCallRef, EventRef, void* data) -> OSStatus {
        ++*static_cast<int*>(data);
        return noErr;
    };
    const EventTypeSpec eventType{kEventClassControl, kEventControlDraw};
    InstallEventHandler(GetControlEventTarget(pane), proc, 1, &eventType, &draws, nullptr);
    Draw1Control(pane);
    HideControl(pane);
    Draw1Control(pane);
    EXPECT_EQ(draws, 1);
    ShowControl(pane); // shows and draws
    EXPECT_EQ(draws, 2);
}

TEST_F(ControlsTest, FileDropsGoThroughTheWindowsDragHandlers) {
    struct Seen {
        std::vector<DragTrackingMessage> messages;
        std::vector<std::string> urls;
        Point mouse;
    } seen;
    auto tracking = [](DragTrackingMessage message, WindowRef, void* ref, DragRef) -> OSErr {
        static_cast<Seen*>(ref)->messages.push_back(message);
        return noErr;
    };
    auto receive = [](WindowRef, void* ref, DragRef drag) -> OSErr {
        auto* s = static_cast<Seen*>(ref);
        UInt16 count = 0;
        CountDragItems(drag, &count);
        GetDragMouse(drag, &s->mouse, nullptr);
        for (UInt16 i = 1; i <= count; ++i) {
            DragItemRef item = 0;
            GetDragItemReferenceNumber(drag, i, &item);
            char buffer[256];
            SInt32 size = sizeof buffer;
            if (GetFlavorData(drag, item, kDragFlavorTypeFileURL, buffer, &size, 0) == noErr)
                s->urls.emplace_back(buffer, static_cast<std::size_t>(size));
        }
        SInt32 size = 0;
        EXPECT_EQ(GetFlavorDataSize(drag, 1, FourCC("hfs "), &size), badDragFlavorErr);
        return noErr;
    };
    EXPECT_FALSE(test::DropFiles(window, Point{1, 1}, {"/tmp/a"}));
    ASSERT_EQ(InstallTrackingHandler(tracking, window, &seen), noErr);
    ASSERT_EQ(InstallReceiveHandler(receive, window, &seen), noErr);
    EXPECT_EQ(InstallReceiveHandler(receive, window, &seen), paramErr);
    ASSERT_TRUE(test::DropFiles(window, Point{10, 20}, {"/tmp/a b.mov", "/tmp/100%.mov"}));
    EXPECT_EQ(seen.messages, (std::vector<DragTrackingMessage>{1, 2, 3, 4, 5}));
    EXPECT_EQ(seen.urls,
              (std::vector<std::string>{"file:///tmp/a%20b.mov", "file:///tmp/100%25.mov"}));
    EXPECT_EQ(seen.mouse, (Point{60, 80}));
    EXPECT_EQ(RemoveReceiveHandler(receive, window), noErr);
    EXPECT_EQ(RemoveReceiveHandler(receive, window), paramErr);
}

} // namespace
