#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/edit_box.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

class Host : public CBK_Dialog {
public:
    std::vector<ControlRef> leftFields;
    bool OnKeyboardFocus(ControlRef, ControlRef old) override {
        leftFields.push_back(old);
        return false;
    }
};

class EditBoxTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
        Rect a{10, 10, 30, 200}, b{40, 10, 60, 200};
        ASSERT_TRUE(box.Create(host, FourCC("eOne"), a, L"", 0));
        ASSERT_TRUE(other.Create(host, FourCC("eTwo"), b, L"", 0));
        box.SetOnEnterKeyCallback([](CBK_ControlEditBox&, void* n) { ++*static_cast<int*>(n); },
                                  &enters);
        box.SetFocus();
        test::Flush();
    }
    // The text after typing `keys` into `start` with the selection from..to.
    std::wstring Type(const wchar_t* start, int from, int to, const std::u16string& keys) {
        box.SetText(start, false);
        box.SelectText(from, to);
        test::TypeText(keys);
        return box.GetText();
    }
    Host host;
    CBK_ControlEditBox box, other;
    int enters = 0;
};

TEST_F(EditBoxTest, DecimalModesLetOneFullStopThroughTheWholeText) {
    box.SetFilter(CBK_ControlEditBox::FILTER_UNSIGNED_DECIMAL);
    EXPECT_EQ(Type(L"1.5", 0, 3, u"."), L".");
    EXPECT_EQ(Type(L"1.5", 3, 3, u"."), L"1.5");
    EXPECT_EQ(Type(L"1.5", 3, 3, u"-a7"), L"1.57");
    // A full stop far into a long text still counts.
    const std::wstring longText = std::wstring(40, L'1') + L".5";
    EXPECT_EQ(Type(longText.c_str(), 0, 0, u"."), longText);
    box.SetFilter(CBK_ControlEditBox::FILTER_SIGNED_DECIMAL);
    EXPECT_EQ(Type(L"", 0, 0, u"-1.2.x"), L"-1.2");
}

TEST_F(EditBoxTest, ModesFilterLettersDigitsAndIdentifiers) {
    box.SetFilter(CBK_ControlEditBox::FILTER_IDENTIFIER);
    EXPECT_EQ(Type(L"", 0, 0, u"1_a1"), L"_a1");
    box.SetFilter(CBK_ControlEditBox::FILTER_ALPHA);
    EXPECT_EQ(Type(L"", 0, 0, u"a1b-"), L"ab");
    box.SetFilter(CBK_ControlEditBox::FILTER_UNSIGNED_INTEGER);
    EXPECT_EQ(Type(L"", 0, 0, u"-12.3"), L"123");
    box.SetFilter(CBK_ControlEditBox::FILTER_SIGNED_INTEGER);
    EXPECT_EQ(Type(L"", 0, 0, u"-12.3"), L"-123");
    // Editing keys pass in every mode.
    test::PressKey(51); // delete
    EXPECT_EQ(box.GetText(), L"-12");
}

TEST_F(EditBoxTest, ReturnFiresTheCallbackAndInsertsOnlyInAMultilineField) {
    EXPECT_EQ(Type(L"ab", 2, 2, u"\n"), L"ab");
    EXPECT_EQ(enters, 1);
    box.EnableMultiline(true);
    EXPECT_EQ(Type(L"ab", 2, 2, u"\n"), L"ab\r");
    EXPECT_EQ(enters, 2);
    box.SetFilter(CBK_ControlEditBox::FILTER_UNSIGNED_INTEGER);
    EXPECT_EQ(Type(L"ab", 2, 2, u"\n"), L"ab");
    EXPECT_EQ(enters, 3);
}

TEST_F(EditBoxTest, TabFiresTheCallbackOnceAndMovesTheFocus) {
    box.RegisterFocusChange(host);
    test::PressKey(48);
    ASSERT_EQ(host.leftFields.size(), 1u);
    EXPECT_EQ(host.leftFields[0], box.GetControlHandle());
    ControlRef focus = nullptr;
    GetKeyboardFocus(host.GetWindowHandle(), &focus);
    EXPECT_EQ(focus, other.GetControlHandle());
}

TEST_F(EditBoxTest, LongTextReadsBackWhole) {
    std::wstring text;
    for (int i = 0; i < 1000; ++i)
        text += static_cast<wchar_t>(L'a' + i % 26);
    text += L"\u00e9\u65e5"; // Mac Roman and beyond
    ASSERT_TRUE(box.SetText(text.c_str(), true));
    EXPECT_EQ(box.GetTextLength(), 1002);
    int32_t length = 0;
    std::unique_ptr<wchar_t[]> copy(box.GetText(&length));
    EXPECT_EQ(length, 1002);
    EXPECT_EQ(std::wstring(copy.get()), text);
    wchar_t small[4];
    EXPECT_EQ(box.GetText(small, 4), 3);
    EXPECT_STREQ(small, L"abc");
}

TEST_F(EditBoxTest, NumbersReadFromTheTextAndEmptyFieldsFail) {
    int32_t n = 7;
    double d = 2.5;
    EXPECT_FALSE(box.GetTextAsNumber(n));
    EXPECT_FALSE(box.GetTextAsFloat(d));
    EXPECT_EQ(n, 7);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(box.GetTextAsFloat(), 0.0);
    ASSERT_TRUE(box.SetTextWithFloat(29.97, 0, 2, false));
    EXPECT_EQ(box.GetText(), L"29.97");
    EXPECT_TRUE(box.GetTextAsFloat(d));
    EXPECT_DOUBLE_EQ(d, 29.97);
    ASSERT_TRUE(box.SetTextWithNumber(-42, false));
    EXPECT_TRUE(box.GetTextAsNumber(n));
    EXPECT_EQ(n, -42);
    EXPECT_TRUE(box.SetFormatText(false, L"%ls-%d", std::wstring(3000, L'x').c_str(), 5));
    EXPECT_EQ(box.GetTextLength(), 3002);
    box.SetText(L"TRUE", false);
    EXPECT_TRUE(box.TextIsTrue());
}

} // namespace
