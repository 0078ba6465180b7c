#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gestalt.h"
#include "platform/windows/cursors.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/dialogs/message_box.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

constexpr int32_t OK = kBK_IDOK, CANCEL = kBK_IDCANCEL, NO = kBK_IDNO;

struct Case {
    int32_t flags;
    std::vector<std::u16string> buttons; // items 1..3 as shown
    std::vector<int32_t> answers;        // the result of hitting each item
};

// What each flag shows and answers, with and without a parent window.
const std::vector<Case> kModal = {
    {0, {u"OK"}, {OK}},
    {0x1, {u"OK"}, {OK}},
    {0x2, {u"OK", u"Cancel"}, {OK, CANCEL}},
    {0x4, {u"Retry", u"Cancel"}, {OK, CANCEL}},
    {0x8, {u"Yes", u"No"}, {OK, NO}},
    {0x10, {u"Yes", u"Cancel", u"No"}, {OK, CANCEL, NO}},
    {0x20, {u"Save", u"Cancel", u"Don't Save"}, {OK, CANCEL, NO}},
    {0x40, {u"Retry", u"Ignore", u"Abort"}, {OK, CANCEL, NO}},
    {0x11, {u"OK"}, {OK}}, // the OK-only bit wins in the modal alert
};
const std::vector<Case> kSheet = {
    {0, {u"OK"}, {OK}},
    {0x1, {u"OK"}, {OK}},
    {0x2, {u"OK", u"Cancel"}, {OK, CANCEL}},
    {0x4, {u"Retry", u"Cancel"}, {OK, CANCEL}},
    {0x8, {u"Yes", u"No"}, {OK, NO}},
    {0x10, {u"Yes", u"Cancel", u"No"}, {OK, CANCEL, NO}},
    {0x20, {u"Save", u"Cancel", u"Don't Save"}, {OK, CANCEL, NO}},
    {0x40, {u"Retry", u"Ignore", u"Abort"}, {OK, CANCEL, NO}},
    {0x11, {u"Yes", u"Cancel", u"No"}, {OK, CANCEL, NO}}, // a sheet has no OK-only form
};

class MessageBoxTest : public UiTest {
protected:
    void TearDown() override {
        test::ResetGestalt();
        UiTest::TearDown();
    }

    WindowRef Parent() {
        Rect bounds{100, 100, 400, 600};
        WindowRef window = nullptr;
        CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &window);
        ShowWindow(window);
        return window;
    }

    void Check(const std::vector<Case>& cases, bool withParent, bool preTen) {
        for (const Case& c : cases) {
            for (std::size_t item = 1; item <= c.buttons.size(); ++item) {
                WindowRef parent = withParent ? Parent() : nullptr;
                test::Script([item] { EXPECT_TRUE(test::AnswerAlert(DialogItemIndex(item))); });
                const int32_t answer =
                    BK_MessageBox(parent, c.flags | 0x200, L"Title", L"Text %d", 7);
                EXPECT_EQ(answer, c.answers[item - 1])
                    << "flags " << c.flags << " item " << item << " parent " << withParent;
                const test::AlertRecord& shown = test::Alerts().back();
                EXPECT_EQ(shown.sheet, withParent && !preTen);
                EXPECT_EQ(shown.preTen, preTen);
                EXPECT_EQ(shown.type, kAlertCautionAlert);
                EXPECT_EQ(shown.error, u"Title");
                EXPECT_EQ(shown.explanation, u"Text 7");
                for (std::size_t b = 0; b < 3; ++b)
                    EXPECT_EQ(shown.buttons[b],
                              b < c.buttons.size() ? c.buttons[b] : std::u16string())
                        << "flags " << c.flags << " button " << b;
                if (parent) {
                    EXPECT_TRUE(IsWindowVisible(parent));
                    EXPECT_FALSE(IsValidWindowPtr(shown.window)); // the sheet is gone
                    DisposeWindow(parent);
                }
            }
        }
    }
};

TEST_F(MessageBoxTest, EveryFlagAndButtonWithoutParentIsAModalAlert) {
    Check(kModal, false, false);
}

TEST_F(MessageBoxTest, EveryFlagAndButtonWithParentIsASheetThatStillAnswers) {
    Check(kSheet, true, false);
}

TEST_F(MessageBoxTest, BeforeTenOnlyThreeSetsExistWithFixedTexts) {
    test::SetGestalt(FourCC("sysv"), 0x0922);
    const std::vector<Case> kPreTen = {
        {0x2, {u"OK"}, {OK}},
        {0x8, {u"Yes", u"No"}, {OK, NO}},
        {0x10, {u"Yes", u"Cancel", u"No"}, {OK, CANCEL, NO}},
        {0x20, {u"Save", u"Cancel", u"Don't Save"}, {OK, CANCEL, NO}},
        {0x40, {u"OK"}, {OK}},
    };
    Check(kPreTen, false, true);
    Check(kPreTen, true, true); // the parent does not matter there
}

TEST_F(MessageBoxTest, KeysAnswerTheDefaultAndCancelButtons) {
    test::Script([] { test::PressKey(53); }); // Escape
    EXPECT_EQ(BK_MessageBox(nullptr, 0x10, L"T", L"M"), CANCEL);
    test::Script([] { test::PressKey(36); }); // Return
    EXPECT_EQ(BK_MessageBox(nullptr, 0x8, L"T", L"M"), OK);
    WindowRef parent = Parent();
    test::Script([] { test::PressKey(53); });
    EXPECT_EQ(BK_MessageBox(parent, 0x8, L"T", L"M"), NO);
}

TEST_F(MessageBoxTest, IconsFollowTheFlagsInOrder) {
    const std::pair<int32_t, AlertType> cases[] = {{0x100 | 0x200, kAlertStopAlert},
                                                   {0x200 | 0x400, kAlertCautionAlert},
                                                   {0x400, kAlertNoteAlert},
                                                   {0, kAlertPlainAlert}};
    for (auto [flags, icon] : cases) {
        test::Script([] { test::AnswerAlert(1); });
        BK_MessageBox(nullptr, flags, L"T", L"M");
        EXPECT_EQ(test::Alerts().back().type, icon);
    }
    test::Script([] { test::AnswerAlert(1); });
    EXPECT_EQ(BK_NoteBox(nullptr, L"T", L"M"), OK);
    EXPECT_EQ(test::Alerts().back().type, kAlertNoteAlert);
    test::Script([] { test::AnswerAlert(1); });
    BK_WarningBox(nullptr, L"T", L"M");
    EXPECT_EQ(test::Alerts().back().type, kAlertCautionAlert);
    test::Script([] { test::AnswerAlert(1); });
    BK_ErrorBox(nullptr, L"T", L"M");
    EXPECT_EQ(test::Alerts().back().type, kAlertStopAlert);
}

TEST_F(MessageBoxTest, MessagesWithPercentSignsAndLongMessagesAreShownUnchanged) {
    const wchar_t* name = L"clip 100%.mov %d %ls %n";
    for (int kind = 0; kind < 4; ++kind) {
        WindowRef parent = kind % 2 ? Parent() : nullptr;
        test::Script([] { test::AnswerAlert(1); });
        switch (kind) {
        case 0:
            BK_ErrorBox(parent, L"Title", L"Cannot open %ls", name);
            break;
        case 1:
            BK_NoteBox(parent, L"Title", L"Cannot open %ls", name);
            break;
        case 2:
            BK_WarningBox(parent, L"Title", L"Cannot open %ls", name);
            break;
        default:
            BK_MessageBox(parent, 0x2, L"Title", L"Cannot open %ls", name);
            break;
        }
        EXPECT_EQ(test::Alerts().back().explanation, u"Cannot open clip 100%.mov %d %ls %n");
    }
    // A message of 10 kB, past every first buffer.
    std::wstring big(10240, L'x');
    big[5000] = L'%';
    big.back() = L'!';
    for (WindowRef parent : {static_cast<WindowRef>(nullptr), Parent()}) {
        test::Script([] { test::AnswerAlert(1); });
        BK_NoteBox(parent, L"Big", L"%ls", big.c_str());
        const std::u16string& shown = test::Alerts().back().explanation;
        ASSERT_EQ(shown.size(), big.size());
        EXPECT_EQ(shown[5000], u'%');
        EXPECT_EQ(shown.back(), u'!');
    }
    // A format that cannot be formatted is shown as it stands.
    test::Script([] { test::AnswerAlert(1); });
    BK_NoteBox(nullptr, L"T", L"Done 100%");
    EXPECT_EQ(test::Alerts().back().explanation, u"Done 100%");
}

TEST_F(MessageBoxTest, TextsByStringId) {
    test::Script([] { test::AnswerAlert(1); });
    EXPECT_EQ(BK_MessageBox(nullptr, 0x1, 20001, 20002, 42), OK);
    EXPECT_EQ(test::Alerts().back().error, u"Title from id");
    EXPECT_EQ(test::Alerts().back().explanation, u"Message 42 from id");
    test::Script([] { test::AnswerAlert(1); });
    BK_NoteBox(nullptr, 20001, 20003, L"50% off");
    EXPECT_EQ(test::Alerts().back().explanation, u"Percent % and 50% off");
    // Missing ids: empty texts, except the error box's "Error".
    test::Script([] { test::AnswerAlert(1); });
    BK_WarningBox(nullptr, 99998, 99999);
    EXPECT_EQ(test::Alerts().back().error, u"");
    EXPECT_EQ(test::Alerts().back().explanation, u"");
    test::Script([] { test::AnswerAlert(1); });
    BK_ErrorBox(nullptr, 99998, 99999);
    EXPECT_EQ(test::Alerts().back().error, u"Error");
    EXPECT_EQ(test::Alerts().back().explanation, u"Error");
    test::Script([] { test::AnswerAlert(1); });
    BK_ErrorCodeBox(nullptr, -43);
    EXPECT_EQ(test::Alerts().back().error, u"Err: -43");
    EXPECT_EQ(test::Alerts().back().explanation, u"Type: -43");
    EXPECT_EQ(test::Alerts().back().type, kAlertStopAlert);
}

TEST_F(MessageBoxTest, AnUnansweredBoxFailsAsCancelInsteadOfHanging) {
    ExpectScriptFailures();
    EXPECT_EQ(BK_MessageBox(nullptr, 0x1, L"T", L"M"), CANCEL);
    test::ResetWindowing();
    WindowRef parent = Parent();
    EXPECT_EQ(BK_MessageBox(parent, 0x8, L"T", L"M"), CANCEL);
    EXPECT_EQ(ScriptFailures().size(), 2u);
    EXPECT_TRUE(IsWindowVisible(parent));
    EXPECT_EQ(test::VisibleWindows().size(), 1u); // the sheet went
}

TEST_F(MessageBoxTest, SheetWithoutAnyWindowFallsBackToTheModalAlert) {
    test::Script([] { test::AnswerAlert(2); });
    EXPECT_EQ(BK_MacMessageBoxOSXSheet(nullptr, 0x8, L"T", L"M"), NO);
    EXPECT_FALSE(test::Alerts().back().sheet);
}

TEST_F(MessageBoxTest, EntrySetsTheArrowCursor) {
    SetThemeCursor(kThemeWatchCursor);
    EXPECT_TRUE(BK_InitEntry(nullptr));
    EXPECT_EQ(test::CurrentThemeCursor(), kThemeArrowCursor);
    EXPECT_EQ(BK_GetLastError(), 0);
}

} // namespace
