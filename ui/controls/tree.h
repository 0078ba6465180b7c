// CBK_ControlTree: a hierarchy of items with optional icons in a Data Browser list whose first
// column carries the disclosure triangles. The control keeps the whole tree; the browser gets
// only ids, a container's children when it opens, and asks back for texts, icons and whether
// an item has children. Handles are checked against the live items: a stale handle finds
// nothing. A small table of extra text columns rides along.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/events/event.h"
#include "platform/resources/icon_services.h"
#include "platform/windows/data_browser.h"
#include "ui/base/control.h"

inline constexpr uint32_t kBK_TVIF_TEXT = 1;
inline constexpr uint32_t kBK_TVIF_IMAGE = 2;
inline constexpr uint32_t kBK_TVIF_PARAM = 4;
inline constexpr uint32_t kBK_TVIF_SELECTEDIMAGE = 32;
inline constexpr uint32_t kBK_TVCF_TEXT = 16;
inline constexpr uint32_t kBK_TVCF_WIDTH = 32;
inline constexpr int32_t kBK_TVCFMT_RIGHT = 32;
inline constexpr tbx::DataBrowserPropertyID kBK_TreeColumnProperty = 2048;

struct BK_TVITEM;
using HTREEITEM = BK_TVITEM*;

struct BK_TVITEM {
    int32_t row = 0;
    int32_t column = 0;
    uint32_t mask = 0;
    HTREEITEM item = nullptr;
    uint32_t state = 0, stateMask = 0;
    wchar_t* pszText = nullptr;
    int32_t cchTextMax = 0;
    int32_t iImage = 0;
    int32_t iSelectedImage = 0;
    int32_t cChildren = 0;
    int32_t lParam = 0;
    uint32_t id = 0;
    BK_TVITEM* parent = nullptr;
    std::vector<BK_TVITEM*> children;
};

struct BK_TVINSERTSTRUCT {
    HTREEITEM hParent = nullptr; // below 4: the top level
    HTREEITEM hInsertAfter = nullptr;
    BK_TVITEM item;
};

struct _BK_TVCOLUMN {
    uint32_t mask = 0;
    int32_t fmt = 0;
    int32_t cx = 0;
    const wchar_t* pszText = nullptr;
    int32_t nTitleId = 0;
};

class CBK_ControlTree : public CBK_Control {
public:
    struct TV_COLUMN_DATA {
        uint32_t mask = 0;
        int32_t format = 0, width = 0, index = 0;
        std::unique_ptr<std::wstring> text;
        void SetText(const wchar_t* newText);
        void SetData(const _BK_TVCOLUMN& column);
    };
    struct TV_ITEM_DATA {
        std::unique_ptr<std::wstring> text;
        int32_t value = 0;
        void SetText(const wchar_t* newText);
    };
    struct TV_ROW_DATA {
        std::vector<std::unique_ptr<TV_ITEM_DATA>> cells;
    };

    CBK_ControlTree() = default;
    ~CBK_ControlTree() override;

    bool OnInit() override;
    HTREEITEM InsertItem(BK_TVINSERTSTRUCT& insert);
    // Images are 1-based icon numbers; 0 for none.
    HTREEITEM InsertItem(const wchar_t* text, HTREEITEM parent, int32_t value, int32_t image,
                         int32_t selectedImage);
    int32_t AddIcon(tbx::IconRef icon);
    bool DeleteItem(HTREEITEM item);
    bool DeleteAllItems();
    bool GetItem(BK_TVITEM& item);
    bool GetItem(wchar_t* text, int32_t textLength, HTREEITEM item, int32_t* value);
    bool SetItem(BK_TVITEM& item);
    bool SelectItem(HTREEITEM item);
    HTREEITEM GetSelection();
    bool ExpandItem(HTREEITEM item, int32_t code);
    HTREEITEM GetParent(HTREEITEM item);
    HTREEITEM GetChild(HTREEITEM item);
    HTREEITEM GetPrevSiblingItem(HTREEITEM item);
    HTREEITEM GetNextSiblingItem(HTREEITEM item);
    bool Sort();
    bool _SortChildrenItems(HTREEITEM) { return Sort(); }
    int32_t GetItemCount();
    HTREEITEM GetNextVisibleItem(HTREEITEM) { return nullptr; }
    HTREEITEM GetPrevVisibleItem(HTREEITEM) { return nullptr; }
    HTREEITEM GetRoot() { return nullptr; }
    bool SetIcon(HTREEITEM, int32_t) { return false; }
    bool OnNotify() { return false; }
    void Test() {}
    int32_t AppendColumn(_BK_TVCOLUMN& column, bool keep);
    int32_t InsertColumn(uint32_t index, _BK_TVCOLUMN& column);
    // The platform id of a live item, 0 for none.
    uint32_t GetItemId(HTREEITEM item) const;

    // Platform callbacks.
    tbx::OSStatus OnGetItemCallback(uint32_t id, tbx::DataBrowserItemDataRef data);
    tbx::OSStatus OnSetItemCallback() { return tbx::errDataBrowserPropertyNotSupported; }
    tbx::OSStatus OnItemData(uint32_t id, tbx::DataBrowserPropertyID property,
                             tbx::DataBrowserItemDataRef data, bool setValue);
    void OnItemNotification(uint32_t id, tbx::DataBrowserItemNotification message);
    void OnNotifyItemSelected(uint32_t id);
    void OnNotifyContainerOpened(uint32_t id);

    // Drags (no routine of the control calls these): the cursor by the modifiers, items moved
    // by their ids in the 'magn' flavour below the target, the drag's first item. All accept.
    bool OnAcceptDragCallback(tbx::DragRef drag);
    bool OnReceiveDragCallback(tbx::DragRef drag, uint32_t target);
    bool OnAddDragItemCallback(tbx::DragRef drag, tbx::DragItemRef* item);

    virtual bool OnCompareItemCallback(int32_t, int32_t, int32_t) { return true; }
    virtual void _OnSelectionChanged(BK_TVITEM*) {}
    virtual void _OnDoubleClick(BK_TVITEM*) {}

    TBK_Event<BK_TVITEM*> m_SelectEvent;

private:
    struct Node {
        BK_TVITEM item;
        std::wstring text;
    };

    Node* _Find(HTREEITEM handle) const;
    Node* _FindById(uint32_t id) const;
    bool _Shown(const Node& node) const;
    std::vector<BK_TVITEM*>& _SiblingsOf(const Node& node);
    void _Forget(BK_TVITEM* item);
    // Right-justified when `honourFormat` and the column's format asks for it.
    bool _AddPlatformColumn(uint32_t property, const TV_COLUMN_DATA& column, bool honourFormat);

    std::vector<std::unique_ptr<TV_COLUMN_DATA>> m_Columns;
    std::vector<std::unique_ptr<TV_ROW_DATA>> m_Rows;
    std::vector<BK_TVITEM*> m_TopItems;
    std::unordered_map<uint32_t, std::unique_ptr<Node>> m_Items; // by id
    std::unordered_map<const BK_TVITEM*, uint32_t> m_Handles;    // live handles
    std::vector<tbx::IconRef> m_Icons;
    uint32_t m_nNextId = 1;
    uint32_t m_nLastSelectedId = 0;
    bool m_bSuspendSelectionNotification = false;
    uint16_t m_nTreeMinWidth = 20, m_nTreeMaxWidth = 400;
};
