// CBK_ControlListView: the multi-column list over the Data Browser. The object keeps the
// whole table (columns, rows, the text and user value of every cell); the browser asks for
// cell texts through a callback and reports selections. Rows and columns count from 0; the
// browser's item id of a row is its position + 1, a column's property id its position + 1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/events/event.h"
#include "platform/windows/data_browser.h"
#include "ui/base/control.h"

// Mask bits of the item record.
inline constexpr uint32_t kBK_LVIF_TEXT = 1;
inline constexpr uint32_t kBK_LVIF_PARAM = 16;
// Mask bits and format of the column record.
inline constexpr uint32_t kBK_LVCF_TEXT = 16;
inline constexpr uint32_t kBK_LVCF_WIDTH = 32;
inline constexpr int32_t kBK_LVCFMT_RIGHT = 32;

struct _BK_LVITEM {
    uint32_t mask = 0;
    int32_t iItem = 0;    // row
    int32_t iSubItem = 0; // column
    wchar_t* pszText = nullptr;
    int32_t cchTextMax = 0; // capacity of pszText in characters
    int32_t lParam = 0;     // user value
};

struct _BK_LVCOLUMN {
    uint32_t mask = 0;
    int32_t fmt = 0;
    int32_t cx = 0; // width in pixels
    const wchar_t* pszText = nullptr;
    int32_t nTitleId = 0; // string id of the title when pszText is null
};

class CBK_ControlListView : public CBK_Control {
public:
    struct LV_SETTINGS {
        bool bSingleSelection = false;
    };

    struct LV_ITEM_DATA {
        std::unique_ptr<std::wstring> text; // none until set
        int32_t value = 0;
        void SetText(const wchar_t* newText);
    };

    struct LV_COLUMN_DATA {
        uint32_t mask = 0;
        int32_t format = 0;
        int32_t width = 0;
        uint32_t position = 0;
        std::wstring title;
        void SetData(const _BK_LVCOLUMN& column);
    };

    struct LV_ROW_DATA {
        uint32_t id = 0;
        std::vector<std::unique_ptr<LV_ITEM_DATA>> cells;
    };

    CBK_ControlListView() = default;
    ~CBK_ControlListView() override;

    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds);
    bool OnInit() override;
    bool SetSettings(LV_SETTINGS& settings);
    bool SetSortColumn(uint32_t propertyId);

    // The number of stored columns - 1; -1 when the browser refuses the column. The title is
    // taken as text (at most 255 characters).
    int32_t AppendColumn(_BK_LVCOLUMN& column, bool keep);
    int32_t InsertColumn(uint32_t index, _BK_LVCOLUMN& column);
    bool DeleteColumn(uint32_t index);
    int32_t GetColumnCount() const { return static_cast<int32_t>(m_Columns.size()); }

    // The row's position; a position past the end (-1 included) appends. -1 on failure.
    int32_t InsertItem(_BK_LVITEM& item);
    // False, nothing changed, for a row that does not exist.
    bool DeleteItem(uint32_t row);
    bool DeleteAllItems();
    bool SwapItems(uint32_t a, uint32_t b);
    // Copies at most cchTextMax - 1 characters and a terminator.
    bool GetItem(_BK_LVITEM& item);
    bool SetItem(_BK_LVITEM& item);
    bool GetItemText(uint32_t row, uint32_t column, wchar_t* buffer, uint32_t capacity);
    bool GetItemData(uint32_t row, uint32_t column, int32_t& value);
    bool SetItemText(uint32_t row, uint32_t column, const wchar_t* text);
    bool SetItemData(uint32_t row, uint32_t column, int32_t value);
    int32_t GetItemCount();

    bool SelectItem(uint32_t row, bool select);
    bool ClearSelection();
    // The first selected row, -1 when none.
    int32_t GetSelection();
    // The number of selected rows; with `rows`, also each of them (room for that many).
    int32_t GetSelectedItems(uint32_t* rows);

    // Whether item1's cell in the column sorts before item2's; missing cells sort first.
    bool OnCompareItem(uint32_t item1, uint32_t item2, uint32_t propertyId);
    bool OnGetItemData() { return false; }
    tbx::OSStatus OnSetItemData(void* itemData, uint32_t item, uint32_t propertyId);
    void OnItemNotification(uint32_t item, uint32_t message);
    LV_ROW_DATA* _FindRowDataById(uint32_t id);
    uint32_t _FindRowIndexFromId(uint32_t) { return 0; }
    void _DebugData() {}

    // Fired when a row is selected, with its row and column 0 (null when it has no cell).
    TBK_Event<_BK_LVITEM*> m_SelectEvent;

private:
    LV_ITEM_DATA* _Cell(uint32_t row, uint32_t column);
    bool _AddPlatformColumn(uint32_t position, const LV_COLUMN_DATA& column);
    bool _RebuildColumns();
    void _Renumber(std::size_t from);
    bool _UpdateAll();

    std::vector<std::unique_ptr<LV_COLUMN_DATA>> m_Columns;
    std::vector<std::unique_ptr<LV_ROW_DATA>> m_Rows;
};
