#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/controls.h"
#include "platform/windows/data_browser.h"
#include "platform/windows/drag.h"
#include "platform/windows/test_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/tree.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

// Sorts by text, and records the selections it is told of.
class TextTree : public CBK_ControlTree {
public:
    bool OnCompareItemCallback(int32_t a, int32_t b, int32_t) override {
        return Text(uint32_t(a)) < Text(uint32_t(b));
    }
    void _OnSelectionChanged(BK_TVITEM* item) override { selected.push_back(item); }
    std::wstring Text(uint32_t id) {
        for (auto* h : handles)
            if (GetItemId(h) == id) {
                wchar_t buffer[64];
                GetItem(buffer, 64, h, nullptr);
                return buffer;
            }
        return L"";
    }
    std::vector<BK_TVITEM*> selected;
    std::vector<HTREEITEM> handles;
};

class TreeTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
        ControlRef browser = nullptr;
        Rect r{10, 10, 290, 390};
        ASSERT_EQ(
            CreateDataBrowserControl(host.GetWindowHandle(), &r, kDataBrowserListView, &browser),
            noErr);
        const ControlID id{FourCC("tree"), 0};
        SetControlID(browser, &id);
        ASSERT_TRUE(tree.Init(FourCC("tree"), host.GetWindowHandle(), 0));
    }
    HTREEITEM Add(const wchar_t* text, HTREEITEM parent = nullptr, int32_t image = 0) {
        HTREEITEM h = tree.InsertItem(text, parent, 0, image, 0);
        tree.handles.push_back(h);
        return h;
    }
    std::u16string Shown() {
        std::u16string out;
        for (UInt32 id : test::BrowserItems(tree.GetControlHandle()))
            out +=
                test::BrowserCellText(tree.GetControlHandle(), id, kBK_TreeColumnProperty) + u"|";
        return out;
    }
    CBK_Dialog host;
    TextTree tree;
};

TEST_F(TreeTest, ContainersShowTheirChildrenInOrderWhenOpenedAgain) {
    HTREEITEM a = Add(L"a");
    Add(L"b");
    HTREEITEM a1 = Add(L"a1", a);
    Add(L"a2", a);
    EXPECT_EQ(Shown(), u"a|b|"); // closed: the children wait
    EXPECT_TRUE(test::QueryBrowserCell(tree.GetControlHandle(), tree.GetItemId(a),
                                       kDataBrowserItemIsContainerProperty)
                    .boolean);
    ASSERT_TRUE(tree.ExpandItem(a, 2));
    EXPECT_EQ(Shown(), u"a|a1|a2|b|");
    Add(L"a11", a1);
    ASSERT_TRUE(tree.ExpandItem(a1, 4));
    EXPECT_EQ(Shown(), u"a|a1|a11|a2|b|");
    EXPECT_EQ(tree.GetItemCount(), 5);
    ASSERT_TRUE(tree.ExpandItem(a, 4)); // open: toggles closed
    EXPECT_EQ(Shown(), u"a|b|");
    ASSERT_TRUE(tree.ExpandItem(a, 3));
    EXPECT_EQ(Shown(), u"a|a1|a2|b|");
    EXPECT_FALSE(tree.ExpandItem(a, 5));
    EXPECT_EQ(tree.GetParent(a1), a);
    EXPECT_EQ(tree.GetNextSiblingItem(a1), tree.handles[3]); // a2
    EXPECT_EQ(tree.GetPrevSiblingItem(a1), nullptr);
}

TEST_F(TreeTest, DeletingAParentDropsItsSubtreeAndStaleHandlesFindNothing) {
    HTREEITEM a = Add(L"a");
    HTREEITEM a1 = Add(L"a1", a);
    Add(L"a11", a1);
    Add(L"b");
    tree.ExpandItem(a, 2);
    tree.ExpandItem(a1, 2);
    tree.SelectItem(a1);
    EXPECT_EQ(tree.GetSelection(), a1);
    ASSERT_EQ(tree.selected.size(), 1u);
    ASSERT_TRUE(tree.DeleteItem(a));
    EXPECT_EQ(Shown(), u"b|");
    EXPECT_EQ(tree.GetItemCount(), 1);
    // a and a1 are gone: their handles find nothing (ASan watches for a use after free).
    wchar_t text[8];
    EXPECT_FALSE(tree.GetItem(text, 8, a1, nullptr));
    EXPECT_FALSE(tree.DeleteItem(a));
    BK_TVITEM query;
    query.item = a1;
    EXPECT_FALSE(tree.GetItem(query));
    EXPECT_EQ(tree.GetSelection(), nullptr);
    EXPECT_EQ(Add(L"child of a stale parent", a), nullptr);
}

TEST_F(TreeTest, CellsIconsTextsAndIds) {
    BK_TVINSERTSTRUCT bare; // no image mask and no icon list yet: image 0 means no icon
    HTREEITEM early = tree.InsertItem(bare);
    EXPECT_EQ(test::QueryBrowserCell(tree.GetControlHandle(), tree.GetItemId(early),
                                     kBK_TreeColumnProperty)
                  .status,
              -4979);
    int icons[2];
    const int32_t first = tree.AddIcon(reinterpret_cast<IconRef>(&icons[0]));
    tree.AddIcon(reinterpret_cast<IconRef>(&icons[1]));
    HTREEITEM withIcon = Add(L"", nullptr, 2);
    HTREEITEM plain = Add(L"");
    BK_TVINSERTSTRUCT insert; // no image mask: image 0, which the list has
    insert.item.mask = kBK_TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"long text");
    HTREEITEM noMask = tree.InsertItem(insert);
    EXPECT_EQ(first, 1);
    const auto cell = [&](HTREEITEM h) {
        return test::QueryBrowserCell(tree.GetControlHandle(), tree.GetItemId(h),
                                      kBK_TreeColumnProperty);
    };
    EXPECT_EQ(cell(withIcon).status, noErr);
    EXPECT_EQ(cell(withIcon).icon, &icons[1]);
    EXPECT_EQ(cell(plain).status, -4979); // no text, no icon
    EXPECT_EQ(cell(noMask).icon, &icons[0]);
    EXPECT_EQ(test::QueryBrowserCell(tree.GetControlHandle(), 999, kBK_TreeColumnProperty).status,
              -4979);
    EXPECT_EQ(test::QueryBrowserCell(tree.GetControlHandle(), 1, 7).status, -4979);
    wchar_t small[5];
    int32_t value = -1;
    ASSERT_TRUE(tree.GetItem(small, 5, noMask, &value));
    EXPECT_STREQ(small, L"long"); // four characters and the terminator
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.GetItemId(Add(L"again")), 1u);
}

TEST_F(TreeTest, SortOrdersSiblingsByTheCompareCallback) {
    HTREEITEM c = Add(L"c");
    Add(L"a");
    Add(L"z", c);
    Add(L"m", c);
    Add(L"b");
    tree.ExpandItem(c, 2);
    ASSERT_TRUE(tree.Sort());
    EXPECT_EQ(Shown(), u"a|b|c|m|z|");
    _BK_TVCOLUMN column;
    column.mask = kBK_TVCF_TEXT | kBK_TVCF_WIDTH;
    column.pszText = L"Size";
    column.cx = 60;
    EXPECT_EQ(tree.AppendColumn(column, true), 0);
    EXPECT_EQ(tree.InsertColumn(0, column), 0);
    UInt32 columns = 0;
    GetDataBrowserTableViewColumnCount(tree.GetControlHandle(), &columns);
    EXPECT_EQ(columns, 3u);
    BK_TVITEM cell;
    cell.mask = kBK_TVIF_TEXT;
    EXPECT_FALSE(tree.SetItem(cell)); // the table has no rows
}

TEST_F(TreeTest, ARightAlignedColumnKeepsItsAlignmentWhenTheColumnsAreRebuilt) {
    _BK_TVCOLUMN size, name;
    size.mask = name.mask = kBK_TVCF_TEXT;
    size.pszText = L"Size";
    size.fmt = kBK_TVCFMT_RIGHT;
    name.pszText = L"Name";
    ASSERT_EQ(tree.AppendColumn(size, true), 0);
    ASSERT_EQ(tree.InsertColumn(0, name), 0);
    // The columns after the tree's own are rebuilt as properties 1 and 2.
    const std::pair<DataBrowserPropertyID, SInt16> expected[] = {{1, teFlushDefault},
                                                                 {2, teFlushRight}};
    for (auto [property, justification] : expected) {
        CFStringRef title = nullptr;
        SInt16 just = -99;
        ASSERT_EQ(CopyDataBrowserColumnTitle(tree.GetControlHandle(), property, &title, &just),
                  noErr);
        CFRelease(title);
        EXPECT_EQ(just, justification) << property;
    }
}

TEST_F(TreeTest, DragsSetTheCursorAndMoveItemsByTheirIds) {
    HTREEITEM a = Add(L"a");
    HTREEITEM b = Add(L"b");
    Add(L"c");
    tree.ExpandItem(a, 2);
    for (auto [modifiers, cursor] : {std::pair{0x880, 1}, {0x900, 2}, {0x100, 0}}) {
        test::WithDrag({}, SInt16(modifiers),
                       [&](DragRef drag) { EXPECT_TRUE(tree.OnAcceptDragCallback(drag)); });
        EXPECT_EQ(test::CurrentThemeCursor(), cursor) << modifiers;
    }
    const UInt32 id = tree.GetItemId(b);
    const std::string bytes(reinterpret_cast<const char*>(&id), sizeof id);
    test::WithDrag({{{FourCC("magn"), bytes}}, {{FourCC("magn"), "xy"}}}, 0, [&](DragRef drag) {
        DragItemRef first = 0;
        EXPECT_TRUE(tree.OnAddDragItemCallback(drag, &first));
        EXPECT_EQ(first, 1u);
        EXPECT_TRUE(tree.OnReceiveDragCallback(drag, tree.GetItemId(a)));
    });
    EXPECT_EQ(Shown(), u"a|b|c|"); // b now hangs below a
    tree.ExpandItem(a, 0);
    EXPECT_EQ(Shown(), u"a|c|");
}

} // namespace
