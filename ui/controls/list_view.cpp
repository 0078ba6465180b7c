#include "ui/controls/list_view.h"

#include <algorithm>

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/memory.h"
#include "platform/windows/controls.h"
#include "ui/base/dialog.h"

namespace {

constexpr std::size_t kTitleMax = 255;

CBK_ControlListView* ListOf(tbx::ControlRef browser) {
    return reinterpret_cast<CBK_ControlListView*>(tbx::GetControlReference(browser));
}

tbx::OSStatus ItemDataCallback(tbx::ControlRef browser, tbx::DataBrowserItemID item,
                               tbx::DataBrowserPropertyID property,
                               tbx::DataBrowserItemDataRef itemData, tbx::Boolean setValue) {
    CBK_ControlListView* list = ListOf(browser);
    if (list && !setValue)
        list->OnSetItemData(itemData, item, property);
    return tbx::errDataBrowserPropertyNotSupported;
}

void NotificationCallback(tbx::ControlRef browser, tbx::DataBrowserItemID item,
                          tbx::DataBrowserItemNotification message) {
    if (CBK_ControlListView* list = ListOf(browser))
        list->OnItemNotification(item, message);
}

tbx::Boolean CompareCallback(tbx::ControlRef browser, tbx::DataBrowserItemID item1,
                             tbx::DataBrowserItemID item2, tbx::DataBrowserPropertyID property) {
    CBK_ControlListView* list = ListOf(browser);
    return list && list->OnCompareItem(item1, item2, property);
}

} // namespace

void CBK_ControlListView::LV_ITEM_DATA::SetText(const wchar_t* newText) {
    text = newText ? std::make_unique<std::wstring>(newText) : nullptr;
}

void CBK_ControlListView::LV_COLUMN_DATA::SetData(const _BK_LVCOLUMN& column) {
    mask = column.mask;
    format = column.fmt;
    width = column.cx;
    if ((column.mask & kBK_LVCF_TEXT) && column.pszText)
        title = std::wstring(column.pszText).substr(0, kTitleMax);
}

CBK_ControlListView::~CBK_ControlListView() {
    if (tbx::IsValidControlHandle(m_hControl)) {
        DeleteAllItems();
        // A nib's browser stays with its window: it must not call back into this object.
        tbx::DataBrowserCallbacks none;
        tbx::InitDataBrowserCallbacks(&none);
        tbx::SetDataBrowserCallbacks(m_hControl, &none);
        if (tbx::GetControlReference(m_hControl) == reinterpret_cast<tbx::SRefCon>(this))
            tbx::SetControlReference(m_hControl, 0);
    }
    m_Rows.clear();
    m_Columns.clear();
}

bool CBK_ControlListView::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds) {
    if (!CBK_Control::Create(dialog, id, bounds, static_cast<const wchar_t*>(nullptr)))
        return false;
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateDataBrowserControl(dialog.GetWindowHandle(), &bounds,
                                                               tbx::kDataBrowserListView, &control);
    if (!_AdoptControl(status, control))
        return false;
    return _OnCreate(dialog, id) && OnInit();
}

bool CBK_ControlListView::OnInit() {
    tbx::SetControlReference(m_hControl, reinterpret_cast<tbx::SRefCon>(this));
    tbx::DataBrowserCallbacks callbacks;
    if (tbx::InitDataBrowserCallbacks(&callbacks) != tbx::noErr)
        return false;
    callbacks.v1.itemDataCallback = ItemDataCallback;
    callbacks.v1.itemNotificationCallback = NotificationCallback;
    callbacks.v1.itemCompareCallback = CompareCallback;
    return tbx::SetDataBrowserCallbacks(m_hControl, &callbacks) == tbx::noErr;
}

bool CBK_ControlListView::SetSettings(LV_SETTINGS& settings) {
    tbx::SetDataBrowserSelectionFlags(m_hControl, settings.bSingleSelection
                                                      ? tbx::kDataBrowserSelectOnlyOne
                                                      : tbx::kDataBrowserCmdTogglesSelection);
    tbx::SetDataBrowserTableViewHiliteStyle(m_hControl, tbx::kDataBrowserTableViewFillHilite);
    return true;
}

bool CBK_ControlListView::SetSortColumn(uint32_t propertyId) {
    return tbx::SetDataBrowserSortProperty(m_hControl, propertyId) == tbx::noErr;
}

bool CBK_ControlListView::_AddPlatformColumn(uint32_t position, const LV_COLUMN_DATA& column) {
    tbx::DataBrowserListViewColumnDesc desc;
    desc.propertyDesc.propertyID = position + 1;
    desc.propertyDesc.propertyType = tbx::kDataBrowserTextType;
    desc.propertyDesc.propertyFlags = tbx::kDataBrowserListViewSelectionColumn |
                                      tbx::kDataBrowserListViewMovableColumn |
                                      tbx::kDataBrowserListViewSortableColumn;
    desc.headerBtnDesc.version = tbx::kDataBrowserListViewLatestHeaderDesc;
    desc.headerBtnDesc.minimumWidth = 0;
    desc.headerBtnDesc.maximumWidth = static_cast<tbx::UInt16>(
        (column.mask & kBK_LVCF_WIDTH) ? std::clamp(column.width, 0, 0xFFFF) : 100);
    desc.headerBtnDesc.titleOffset = 0;
    desc.headerBtnDesc.initialOrder = tbx::kDataBrowserOrderIncreasing;
    desc.headerBtnDesc.btnFontStyle.flags = tbx::kControlUseFontMask | tbx::kControlUseFaceMask |
                                            tbx::kControlUseSizeMask | tbx::kControlUseJustMask;
    desc.headerBtnDesc.btnFontStyle.font = 0; // the system font
    desc.headerBtnDesc.btnFontStyle.size = 10;
    desc.headerBtnDesc.btnFontStyle.just =
        (column.format & kBK_LVCFMT_RIGHT) ? tbx::teFlushRight : tbx::teFlushDefault;
    CBK_CFString title(column.title.c_str());
    if (column.mask & kBK_LVCF_TEXT)
        desc.headerBtnDesc.titleString = title;
    return tbx::AddDataBrowserListViewColumn(m_hControl, &desc,
                                             tbx::kDataBrowserListViewAppendColumn) == tbx::noErr;
}

int32_t CBK_ControlListView::AppendColumn(_BK_LVCOLUMN& column, bool keep) {
    LV_COLUMN_DATA data;
    data.SetData(column);
    data.format = 0; // the header of a new column keeps the default justification
    if ((column.mask & kBK_LVCF_TEXT) && !column.pszText) {
        CBK_String text(column.nTitleId);
        data.title = std::wstring(text.GetConstString()).substr(0, kTitleMax);
    }
    const auto position = static_cast<uint32_t>(m_Columns.size());
    if (!_AddPlatformColumn(position, data))
        return -1;
    if (keep) {
        auto stored = std::make_unique<LV_COLUMN_DATA>();
        stored->SetData(column);
        stored->position = position;
        m_Columns.push_back(std::move(stored));
        for (auto& row : m_Rows)
            while (row->cells.size() < m_Columns.size())
                row->cells.push_back(std::make_unique<LV_ITEM_DATA>());
        _UpdateAll();
    }
    return GetColumnCount() - 1;
}

int32_t CBK_ControlListView::InsertColumn(uint32_t index, _BK_LVCOLUMN& column) {
    if (index >= m_Columns.size())
        return AppendColumn(column, true);
    auto stored = std::make_unique<LV_COLUMN_DATA>();
    stored->SetData(column);
    stored->position = index;
    m_Columns.insert(m_Columns.begin() + index, std::move(stored));
    for (auto& row : m_Rows)
        if (row->cells.size() < m_Columns.size())
            row->cells.insert(row->cells.begin() + std::min<std::size_t>(index, row->cells.size()),
                              std::make_unique<LV_ITEM_DATA>());
    _RebuildColumns();
    return static_cast<int32_t>(index);
}

bool CBK_ControlListView::_RebuildColumns() {
    const auto count = static_cast<uint32_t>(m_Columns.size());
    for (uint32_t id = 1; id <= count; ++id)
        tbx::RemoveDataBrowserTableViewColumn(m_hControl, id);
    for (uint32_t i = 0; i < count; ++i) {
        m_Columns[i]->position = i;
        if (!_AddPlatformColumn(i, *m_Columns[i]))
            return false;
    }
    return _UpdateAll();
}

bool CBK_ControlListView::DeleteColumn(uint32_t index) {
    if (tbx::RemoveDataBrowserTableViewColumn(m_hControl, index + 1) != tbx::noErr)
        return false;
    if (index < m_Columns.size())
        m_Columns.erase(m_Columns.begin() + index);
    for (auto& row : m_Rows)
        if (index < row->cells.size())
            row->cells.erase(row->cells.begin() + index);
    _UpdateAll();
    return true;
}

void CBK_ControlListView::_Renumber(std::size_t from) {
    for (std::size_t i = from; i < m_Rows.size(); ++i)
        m_Rows[i]->id = static_cast<uint32_t>(i + 1);
}

bool CBK_ControlListView::_UpdateAll() {
    // No item list: every item is redrawn when next shown.
    return tbx::UpdateDataBrowserItems(m_hControl, tbx::kDataBrowserNoItem, 0, nullptr,
                                       tbx::kDataBrowserItemNoProperty,
                                       tbx::kDataBrowserItemNoProperty) == tbx::noErr;
}

int32_t CBK_ControlListView::InsertItem(_BK_LVITEM& item) {
    const auto id = static_cast<tbx::DataBrowserItemID>(m_Rows.size() + 1);
    if (tbx::AddDataBrowserItems(m_hControl, tbx::kDataBrowserNoItem, 1, &id,
                                 tbx::kDataBrowserItemNoProperty) != tbx::noErr)
        return -1;
    auto row = std::make_unique<LV_ROW_DATA>();
    auto first = std::make_unique<LV_ITEM_DATA>();
    if (item.mask & kBK_LVIF_TEXT)
        first->SetText(item.pszText);
    if (item.mask & kBK_LVIF_PARAM)
        first->value = item.lParam;
    row->cells.push_back(std::move(first));
    while (row->cells.size() < m_Columns.size())
        row->cells.push_back(std::make_unique<LV_ITEM_DATA>());
    const std::size_t position =
        std::min<std::size_t>(static_cast<uint32_t>(item.iItem), m_Rows.size());
    m_Rows.insert(m_Rows.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
    _Renumber(position);
    _UpdateAll();
    return static_cast<int32_t>(position);
}

bool CBK_ControlListView::DeleteItem(uint32_t row) {
    if (row >= m_Rows.size())
        return false;
    const auto last = static_cast<tbx::DataBrowserItemID>(m_Rows.size());
    if (tbx::RemoveDataBrowserItems(m_hControl, tbx::kDataBrowserNoItem, 1, &last,
                                    tbx::kDataBrowserItemNoProperty) != tbx::noErr)
        return false;
    m_Rows.erase(m_Rows.begin() + row);
    _Renumber(row);
    _UpdateAll();
    return true;
}

bool CBK_ControlListView::DeleteAllItems() {
    if (!m_Rows.empty() &&
        tbx::RemoveDataBrowserItems(m_hControl, tbx::kDataBrowserNoItem, 0, nullptr,
                                    tbx::kDataBrowserItemNoProperty) != tbx::noErr)
        return false;
    m_Rows.clear();
    return true;
}

bool CBK_ControlListView::SwapItems(uint32_t a, uint32_t b) {
    if (a >= m_Rows.size() || b >= m_Rows.size())
        return false;
    std::swap(m_Rows[a], m_Rows[b]);
    m_Rows[a]->id = a + 1;
    m_Rows[b]->id = b + 1;
    const tbx::DataBrowserItemID ids[2] = {a + 1, b + 1};
    tbx::UpdateDataBrowserItems(m_hControl, tbx::kDataBrowserNoItem, 2, ids,
                                tbx::kDataBrowserItemNoProperty, tbx::kDataBrowserItemNoProperty);
    return true;
}

CBK_ControlListView::LV_ITEM_DATA* CBK_ControlListView::_Cell(uint32_t row, uint32_t column) {
    if (row >= m_Rows.size() || column >= m_Rows[row]->cells.size())
        return nullptr;
    return m_Rows[row]->cells[column].get();
}

bool CBK_ControlListView::GetItem(_BK_LVITEM& item) {
    LV_ITEM_DATA* cell =
        _Cell(static_cast<uint32_t>(item.iItem), static_cast<uint32_t>(item.iSubItem));
    if (!cell)
        return false;
    if (item.mask & kBK_LVIF_TEXT) {
        if (!item.pszText || item.cchTextMax <= 0)
            return false;
        const std::wstring empty;
        const std::wstring& text = cell->text ? *cell->text : empty;
        const std::size_t n =
            std::min<std::size_t>(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), item.pszText);
        item.pszText[n] = 0;
    }
    if (item.mask & kBK_LVIF_PARAM)
        item.lParam = cell->value;
    return true;
}

bool CBK_ControlListView::SetItem(_BK_LVITEM& item) {
    const auto row = static_cast<uint32_t>(item.iItem);
    const auto column = static_cast<uint32_t>(item.iSubItem);
    LV_ITEM_DATA* cell = _Cell(row, column);
    if (!cell)
        return false;
    if (item.mask & kBK_LVIF_TEXT)
        cell->SetText(item.pszText);
    if (item.mask & kBK_LVIF_PARAM)
        cell->value = item.lParam;
    const tbx::DataBrowserItemID id = row + 1;
    return tbx::UpdateDataBrowserItems(m_hControl, tbx::kDataBrowserNoItem, 1, &id,
                                       tbx::kDataBrowserItemNoProperty, column + 1) == tbx::noErr;
}

bool CBK_ControlListView::GetItemText(uint32_t row, uint32_t column, wchar_t* buffer,
                                      uint32_t capacity) {
    _BK_LVITEM item;
    item.mask = kBK_LVIF_TEXT;
    item.iItem = static_cast<int32_t>(row);
    item.iSubItem = static_cast<int32_t>(column);
    item.pszText = buffer;
    item.cchTextMax = static_cast<int32_t>(std::min<uint32_t>(capacity, INT32_MAX));
    return GetItem(item);
}

bool CBK_ControlListView::GetItemData(uint32_t row, uint32_t column, int32_t& value) {
    _BK_LVITEM item;
    item.mask = kBK_LVIF_PARAM;
    item.iItem = static_cast<int32_t>(row);
    item.iSubItem = static_cast<int32_t>(column);
    if (!GetItem(item))
        return false;
    value = item.lParam;
    return true;
}

bool CBK_ControlListView::SetItemText(uint32_t row, uint32_t column, const wchar_t* text) {
    _BK_LVITEM item;
    item.mask = kBK_LVIF_TEXT;
    item.iItem = static_cast<int32_t>(row);
    item.iSubItem = static_cast<int32_t>(column);
    item.pszText = const_cast<wchar_t*>(text);
    return SetItem(item);
}

bool CBK_ControlListView::SetItemData(uint32_t row, uint32_t column, int32_t value) {
    _BK_LVITEM item;
    item.mask = kBK_LVIF_PARAM;
    item.iItem = static_cast<int32_t>(row);
    item.iSubItem = static_cast<int32_t>(column);
    item.lParam = value;
    return SetItem(item);
}

int32_t CBK_ControlListView::GetItemCount() {
    tbx::UInt32 count = 0;
    if (tbx::GetDataBrowserItemCount(m_hControl, tbx::kDataBrowserNoItem, false,
                                     tbx::kDataBrowserItemAnyState, &count) != tbx::noErr)
        return 0;
    return static_cast<int32_t>(count);
}

bool CBK_ControlListView::SelectItem(uint32_t row, bool select) {
    tbx::SetDataBrowserSelectedItems(m_hControl, 0, nullptr, tbx::kDataBrowserItemsAssign);
    if (select) {
        const tbx::DataBrowserItemID id = row + 1;
        tbx::SetDataBrowserSelectedItems(m_hControl, 1, &id, tbx::kDataBrowserItemsAdd);
    }
    tbx::Draw1Control(m_hControl);
    return true;
}

bool CBK_ControlListView::ClearSelection() {
    if (tbx::SetDataBrowserSelectedItems(m_hControl, 0, nullptr, tbx::kDataBrowserItemsAssign) !=
        tbx::noErr)
        return false;
    tbx::Draw1Control(m_hControl);
    return true;
}

namespace {

std::vector<tbx::DataBrowserItemID> SelectedIds(tbx::ControlRef control) {
    std::vector<tbx::DataBrowserItemID> ids;
    tbx::Handle items = tbx::NewHandle(0);
    if (items && tbx::GetDataBrowserItems(control, tbx::kDataBrowserNoItem, false,
                                          tbx::kDataBrowserItemIsSelected, items) == tbx::noErr) {
        ids.resize(tbx::GetHandleSize(items) / sizeof(tbx::DataBrowserItemID));
        std::copy_n(reinterpret_cast<const tbx::DataBrowserItemID*>(*items), ids.size(),
                    ids.data());
    }
    tbx::DisposeHandle(items);
    return ids;
}

} // namespace

int32_t CBK_ControlListView::GetSelection() {
    const std::vector<tbx::DataBrowserItemID> ids = SelectedIds(m_hControl);
    return ids.empty() ? -1 : static_cast<int32_t>(ids.front()) - 1;
}

int32_t CBK_ControlListView::GetSelectedItems(uint32_t* rows) {
    const std::vector<tbx::DataBrowserItemID> ids = SelectedIds(m_hControl);
    for (std::size_t i = 0; rows && i < ids.size(); ++i)
        rows[i] = ids[i] - 1;
    return static_cast<int32_t>(ids.size());
}

bool CBK_ControlListView::OnCompareItem(uint32_t item1, uint32_t item2, uint32_t propertyId) {
    const LV_ITEM_DATA* a = _Cell(item1 - 1, propertyId - 1);
    const LV_ITEM_DATA* b = _Cell(item2 - 1, propertyId - 1);
    // A strict weak ordering: missing cells first, equal among themselves.
    if (!a || !b)
        return !a && b;
    const std::wstring empty;
    return (a->text ? *a->text : empty) < (b->text ? *b->text : empty);
}

tbx::OSStatus CBK_ControlListView::OnSetItemData(void* itemData, uint32_t item,
                                                 uint32_t propertyId) {
    if (propertyId == 0)
        return tbx::errDataBrowserPropertyNotSupported;
    const LV_ITEM_DATA* cell = _Cell(item - 1, propertyId - 1);
    if (cell && cell->text) {
        CBK_CFString text(cell->text->c_str());
        tbx::SetDataBrowserItemDataText(static_cast<tbx::DataBrowserItemDataRef>(itemData), text);
    }
    return tbx::errDataBrowserPropertyNotSupported;
}

void CBK_ControlListView::OnItemNotification(uint32_t item, uint32_t message) {
    if (message != tbx::kDataBrowserItemSelected)
        return;
    if (!_Cell(item - 1, 0)) {
        m_SelectEvent.Fire(nullptr);
        return;
    }
    _BK_LVITEM record;
    record.iItem = static_cast<int32_t>(item) - 1;
    record.iSubItem = 0;
    record.mask = 0;
    m_SelectEvent.Fire(&record);
}

CBK_ControlListView::LV_ROW_DATA* CBK_ControlListView::_FindRowDataById(uint32_t id) {
    for (auto& row : m_Rows)
        if (row->id == id)
            return row.get();
    return nullptr;
}
