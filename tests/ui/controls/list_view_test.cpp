#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/events/delegate.h"
#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/list_view.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

struct Selections {
    std::vector<int32_t> rows;
    void OnSelect(_BK_LVITEM* item) {
        rows.push_back(item ? item->iItem * 10 + item->iSubItem : -1);
    }
};

class ListViewTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
        Rect r{10, 10, 290, 390};
        ASSERT_TRUE(list.Create(host, FourCC("lJob"), r));
        for (const wchar_t* title : {L"Name", L"Size"}) {
            _BK_LVCOLUMN column;
            column.mask = kBK_LVCF_TEXT | kBK_LVCF_WIDTH;
            column.pszText = title;
            column.cx = 120;
            ASSERT_GE(list.AppendColumn(column, true), 0);
        }
    }
    int32_t Insert(int32_t row, const wchar_t* text, int32_t value = 0) {
        _BK_LVITEM item;
        item.mask = kBK_LVIF_TEXT | kBK_LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(text);
        item.lParam = value;
        return list.InsertItem(item);
    }
    // What the browser shows in a column, row by row.
    std::u16string Shown(UInt32 property) {
        std::u16string out;
        for (UInt32 id : test::BrowserItems(list.GetControlHandle()))
            out += test::BrowserCellText(list.GetControlHandle(), id, property) + u"|";
        return out;
    }
    CBK_Dialog host;
    CBK_ControlListView list;
};

TEST_F(ListViewTest, InsertAppendsAtMinusOneAndRenumbersAfterAFrontInsert) {
    EXPECT_EQ(Insert(-1, L"b"), 0);
    EXPECT_EQ(Insert(-1, L"c"), 1);
    EXPECT_EQ(Insert(0, L"a", 7), 0);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(Shown(1), u"a|b|c|");
    EXPECT_EQ(Shown(2), u"|||");
    // Ids follow the positions: the row put first has id 1, the old first moved to id 2.
    ASSERT_NE(list._FindRowDataById(3), nullptr);
    EXPECT_EQ(list._FindRowDataById(4), nullptr);
    wchar_t first[8];
    ASSERT_TRUE(list.GetItemText(list._FindRowDataById(2)->id - 1, 0, first, 8));
    EXPECT_STREQ(first, L"b");
    int32_t value = 0;
    ASSERT_TRUE(list.GetItemData(0, 0, value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(list.SetItemText(2, 1, L"12 MB"));
    EXPECT_EQ(Shown(2), u"||12 MB|");
    wchar_t text[8];
    ASSERT_TRUE(list.GetItemText(1, 1, text, 8));
    EXPECT_STREQ(text, L""); // a cell without text
    EXPECT_FALSE(list.GetItemText(3, 0, text, 8));
    EXPECT_FALSE(list.SwapItems(0, 3));
    EXPECT_TRUE(list.SwapItems(0, 2));
    EXPECT_EQ(Shown(1), u"c|b|a|");
}

TEST_F(ListViewTest, ASelectionFiresOnceWithTheRowAndColumnZero) {
    Selections seen;
    list.m_SelectEvent.AddHandler(BK_MakeDelegate(seen, &Selections::OnSelect));
    Insert(-1, L"a");
    Insert(-1, L"b");
    EXPECT_EQ(list.GetSelection(), -1);
    ASSERT_TRUE(test::ClickBrowserItem(list.GetControlHandle(), 2));
    EXPECT_EQ(seen.rows, std::vector<int32_t>{10});
    EXPECT_EQ(list.GetSelection(), 1);
    list.SelectItem(0, true);
    EXPECT_EQ(seen.rows, (std::vector<int32_t>{10, 0}));
    uint32_t rows[2] = {9, 9};
    EXPECT_EQ(list.GetSelectedItems(rows), 1);
    EXPECT_EQ(rows[0], 0u);
    EXPECT_TRUE(list.ClearSelection());
    EXPECT_EQ(list.GetSelection(), -1);
    EXPECT_EQ(seen.rows.size(), 2u);
}

TEST_F(ListViewTest, GetItemCopiesNoMoreThanTheRecordHolds) {
    Insert(-1, L"abcdefgh");
    auto buffer = std::make_unique<wchar_t[]>(4);
    _BK_LVITEM item;
    item.mask = kBK_LVIF_TEXT;
    item.pszText = buffer.get();
    item.cchTextMax = 4;
    ASSERT_TRUE(list.GetItem(item));
    EXPECT_STREQ(buffer.get(), L"abc");
    item.cchTextMax = 0;
    EXPECT_FALSE(list.GetItem(item));
}

TEST_F(ListViewTest, DeleteChecksTheRowBeforeTouchingTheList) {
    Insert(-1, L"a");
    Insert(-1, L"b");
    EXPECT_FALSE(list.DeleteItem(2));
    EXPECT_FALSE(list.DeleteItem(static_cast<uint32_t>(-1)));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(Shown(1), u"b|");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListViewTest, ColumnTitlesAreTextAndSortingIsAStrictOrder) {
    _BK_LVCOLUMN column;
    column.mask = kBK_LVCF_TEXT;
    column.pszText = L"100%s%n%d";
    ASSERT_EQ(list.AppendColumn(column, true), 2);
    CFStringRef title = nullptr;
    ASSERT_EQ(CopyDataBrowserColumnTitle(list.GetControlHandle(), 3, &title, nullptr), noErr);
    EXPECT_EQ(title->Text(), u"100%s%n%d");
    CFRelease(title);

    Insert(-1, L"pear");
    Insert(-1, L"apple");
    Insert(-1, L"fig");
    ASSERT_TRUE(list.SetSortColumn(1));
    EXPECT_EQ(Shown(1), u"apple|fig|pear|");
    // A missing cell sorts first, and never before itself.
    EXPECT_TRUE(list.OnCompareItem(99, 1, 1));
    EXPECT_FALSE(list.OnCompareItem(1, 99, 1));
    EXPECT_FALSE(list.OnCompareItem(98, 99, 1));
    EXPECT_FALSE(list.OnCompareItem(1, 1, 1));
}

TEST_F(ListViewTest, InsertedColumnsGetEmptyCellsInEveryRow) {
    Insert(-1, L"a");
    list.SetItemText(0, 1, L"1");
    _BK_LVCOLUMN column;
    column.mask = kBK_LVCF_TEXT;
    column.pszText = L"First";
    EXPECT_EQ(list.InsertColumn(0, column), 0);
    EXPECT_EQ(list.GetColumnCount(), 3);
    UInt32 columns = 0;
    GetDataBrowserTableViewColumnCount(list.GetControlHandle(), &columns);
    EXPECT_EQ(columns, 3u);
    wchar_t text[8];
    ASSERT_TRUE(list.GetItemText(0, 0, text, 8));
    EXPECT_STREQ(text, L"");
    ASSERT_TRUE(list.GetItemText(0, 1, text, 8));
    EXPECT_STREQ(text, L"a");
    ASSERT_TRUE(list.GetItemText(0, 2, text, 8));
    EXPECT_STREQ(text, L"1");
}

} // namespace

namespace {

TEST_F(ListViewTest, ABrowserThatOutlivesItsListCallsNothing) {
    auto bound = std::make_unique<CBK_ControlListView>();
    WindowRef window = host.GetWindowHandle();
    ASSERT_TRUE(bound->Init(FourCC("lJob"), window, 0));
    bound->SetItemText(0, 0, L"x"); // no row: refused
    _BK_LVITEM item;
    item.mask = kBK_LVIF_TEXT;
    item.iItem = -1;
    item.pszText = const_cast<wchar_t*>(L"row");
    ASSERT_EQ(bound->InsertItem(item), 0);
    bound.reset();
    // The control is still there: a click on it must not reach the freed object.
    UInt32 id = 1;
    AddDataBrowserItems(list.GetControlHandle(), kDataBrowserNoItem, 1, &id, 0);
    EXPECT_TRUE(test::ClickBrowserItem(list.GetControlHandle(), 1));
    EXPECT_EQ(test::BrowserCellText(list.GetControlHandle(), 1, 1), u"");
}

} // namespace
