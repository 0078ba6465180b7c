#include "ui/controls/tree.h"

#include <algorithm>
#include <cwchar>

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/windows/controls.h"
#include "platform/windows/cursors.h"
#include "platform/windows/drag.h"

namespace {

constexpr std::size_t kTitleMax = 255;

CBK_ControlTree* TreeOf(tbx::ControlRef browser) {
    return reinterpret_cast<CBK_ControlTree*>(tbx::GetControlReference(browser));
}

tbx::OSStatus BK_ControlTree_GetSetItemCallback(tbx::ControlRef browser,
                                                tbx::DataBrowserItemID item,
                                                tbx::DataBrowserPropertyID property,
                                                tbx::DataBrowserItemDataRef data,
                                                tbx::Boolean setValue) {
    CBK_ControlTree* tree = TreeOf(browser);
    return tree ? tree->OnItemData(item, property, data, setValue)
                : tbx::errDataBrowserPropertyNotSupported;
}

void BK_ControlTree_ItemNotificationCallback(tbx::ControlRef browser, tbx::DataBrowserItemID item,
                                             tbx::DataBrowserItemNotification message) {
    if (CBK_ControlTree* tree = TreeOf(browser))
        tree->OnItemNotification(item, message);
}

tbx::Boolean BK_ControlTree_CompareCallback(tbx::ControlRef browser, tbx::DataBrowserItemID a,
                                            tbx::DataBrowserItemID b,
                                            tbx::DataBrowserPropertyID property) {
    CBK_ControlTree* tree = TreeOf(browser);
    return tree && tree->OnCompareItemCallback(int32_t(a), int32_t(b), int32_t(property));
}

} // namespace

void CBK_ControlTree::TV_COLUMN_DATA::SetText(const wchar_t* newText) {
    text = newText ? std::make_unique<std::wstring>(newText) : nullptr;
}

void CBK_ControlTree::TV_COLUMN_DATA::SetData(const _BK_TVCOLUMN& column) {
    mask = column.mask;
    format = column.fmt;
    width = column.cx;
    if (column.mask & kBK_TVCF_TEXT)
        SetText(column.pszText);
}

void CBK_ControlTree::TV_ITEM_DATA::SetText(const wchar_t* newText) {
    text = newText ? std::make_unique<std::wstring>(newText) : nullptr;
}

CBK_ControlTree::~CBK_ControlTree() {
    if (tbx::IsValidControlHandle(m_hControl)) {
        tbx::DataBrowserCallbacks none;
        tbx::InitDataBrowserCallbacks(&none);
        DeleteAllItems();
        tbx::SetDataBrowserCallbacks(m_hControl, &none);
    }
    m_Icons.clear();
}

bool CBK_ControlTree::OnInit() {
    tbx::SetControlReference(m_hControl, reinterpret_cast<tbx::SRefCon>(this));
    tbx::DataBrowserListViewColumnDesc desc;
    desc.propertyDesc.propertyID = kBK_TreeColumnProperty;
    desc.propertyDesc.propertyType = tbx::kDataBrowserIconAndTextType;
    desc.propertyDesc.propertyFlags = 0x70000;
    desc.headerBtnDesc.version = 0;
    desc.headerBtnDesc.minimumWidth = m_nTreeMinWidth;
    desc.headerBtnDesc.maximumWidth = m_nTreeMaxWidth;
    desc.headerBtnDesc.titleOffset = 0;
    desc.headerBtnDesc.initialOrder = tbx::kDataBrowserOrderIncreasing;
    desc.headerBtnDesc.btnFontStyle.flags = 0x47;
    desc.headerBtnDesc.btnFontStyle.font = 0;
    desc.headerBtnDesc.btnFontStyle.size = 8;
    CBK_CFString empty(L"");
    desc.headerBtnDesc.titleString = empty;
    if (tbx::AddDataBrowserListViewColumn(m_hControl, &desc,
                                          tbx::kDataBrowserListViewAppendColumn) != tbx::noErr ||
        tbx::SetDataBrowserListViewDisclosureColumn(m_hControl, kBK_TreeColumnProperty, true) !=
            tbx::noErr)
        return false;
    tbx::DataBrowserCallbacks callbacks;
    if (tbx::InitDataBrowserCallbacks(&callbacks) != tbx::noErr)
        return false;
    callbacks.v1.itemDataCallback = BK_ControlTree_GetSetItemCallback;
    callbacks.v1.itemNotificationCallback = BK_ControlTree_ItemNotificationCallback;
    callbacks.v1.itemCompareCallback = BK_ControlTree_CompareCallback;
    return tbx::SetDataBrowserCallbacks(m_hControl, &callbacks) == tbx::noErr;
}

CBK_ControlTree::Node* CBK_ControlTree::_Find(HTREEITEM handle) const {
    auto found = m_Handles.find(handle);
    return found == m_Handles.end() ? nullptr : _FindById(found->second);
}

CBK_ControlTree::Node* CBK_ControlTree::_FindById(uint32_t id) const {
    auto found = m_Items.find(id);
    return found == m_Items.end() ? nullptr : found->second.get();
}

uint32_t CBK_ControlTree::GetItemId(HTREEITEM item) const {
    const Node* node = _Find(item);
    return node ? node->item.id : 0;
}

// Whether the browser holds the item: top-level items always, others while their container
// is open.
bool CBK_ControlTree::_Shown(const Node& node) const {
    if (!node.item.parent)
        return true;
    tbx::DataBrowserItemState state = 0;
    return tbx::GetDataBrowserItemState(m_hControl, node.item.parent->id, &state) == tbx::noErr &&
           (state & tbx::kDataBrowserContainerIsOpen);
}

HTREEITEM CBK_ControlTree::InsertItem(BK_TVINSERTSTRUCT& insert) {
    Node* parent = nullptr;
    if (reinterpret_cast<uintptr_t>(insert.hParent) >= 4) {
        parent = _Find(insert.hParent);
        if (!parent)
            return nullptr;
    }
    auto node = std::make_unique<Node>();
    BK_TVITEM& item = node->item;
    const BK_TVITEM& given = insert.item;
    item.item = &item;
    item.mask = given.mask;
    if ((given.mask & kBK_TVIF_TEXT) && given.pszText)
        node->text = given.pszText;
    item.pszText = node->text.data();
    if (given.mask & kBK_TVIF_IMAGE)
        item.iImage = given.iImage;
    if (given.mask & kBK_TVIF_SELECTEDIMAGE)
        item.iSelectedImage = given.iSelectedImage;
    if (given.mask & kBK_TVIF_PARAM)
        item.lParam = given.lParam;
    item.id = m_nNextId;
    item.parent = parent ? &parent->item : nullptr;
    const bool shown = _Shown(*node);
    if (shown) {
        const tbx::DataBrowserItemID id = item.id;
        if (tbx::AddDataBrowserItems(m_hControl, parent ? parent->item.id : 0, 1, &id, 0) !=
            tbx::noErr)
            return nullptr;
    }
    ++m_nNextId;
    (parent ? parent->item.children : m_TopItems).push_back(&item);
    m_Handles[&item] = item.id;
    const uint32_t id = item.id;
    m_Items[id] = std::move(node);
    // A container that just got its first child shows its triangle.
    if (parent && _Shown(*parent)) {
        const tbx::DataBrowserItemID parentId = parent->item.id;
        tbx::UpdateDataBrowserItems(m_hControl, 0, 1, &parentId, 0, kBK_TreeColumnProperty);
    }
    return &m_Items[id]->item;
}

HTREEITEM CBK_ControlTree::InsertItem(const wchar_t* text, HTREEITEM parent, int32_t value,
                                      int32_t image, int32_t selectedImage) {
    BK_TVINSERTSTRUCT insert;
    insert.hParent = parent;
    insert.item.mask = kBK_TVIF_TEXT | kBK_TVIF_IMAGE | kBK_TVIF_PARAM | kBK_TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.lParam = value;
    insert.item.iImage = image - 1;
    insert.item.iSelectedImage = selectedImage - 1;
    return InsertItem(insert);
}

int32_t CBK_ControlTree::AddIcon(tbx::IconRef icon) {
    m_Icons.push_back(icon);
    return int32_t(m_Icons.size());
}

std::vector<BK_TVITEM*>& CBK_ControlTree::_SiblingsOf(const Node& node) {
    return node.item.parent ? node.item.parent->children : m_TopItems;
}

void CBK_ControlTree::_Forget(BK_TVITEM* item) {
    // Iterative, so that deep trees need no deep stack.
    std::vector<BK_TVITEM*> doomed{item};
    while (!doomed.empty()) {
        BK_TVITEM* next = doomed.back();
        doomed.pop_back();
        doomed.insert(doomed.end(), next->children.begin(), next->children.end());
        m_Handles.erase(next);
        if (m_nLastSelectedId == next->id)
            m_nLastSelectedId = 0;
        m_Items.erase(next->id);
    }
}

bool CBK_ControlTree::DeleteItem(HTREEITEM handle) {
    Node* node = _Find(handle);
    if (!node)
        return false;
    if (_Shown(*node)) {
        // The browser drops the rows below the item with it.
        const tbx::DataBrowserItemID id = node->item.id;
        if (tbx::RemoveDataBrowserItems(m_hControl, 0, 1, &id, 0) != tbx::noErr)
            return false;
    }
    auto& siblings = _SiblingsOf(*node);
    siblings.erase(std::find(siblings.begin(), siblings.end(), &node->item));
    _Forget(&node->item);
    return true;
}

bool CBK_ControlTree::DeleteAllItems() {
    if (tbx::RemoveDataBrowserItems(m_hControl, 0, 0, nullptr, 0) != tbx::noErr)
        return false;
    m_TopItems.clear();
    m_Items.clear();
    m_Handles.clear();
    m_nLastSelectedId = 0;
    m_nNextId = 1;
    return true;
}

bool CBK_ControlTree::GetItem(BK_TVITEM& item) {
    const Node* node = _Find(item.item);
    if (!node)
        return false;
    if (item.mask & kBK_TVIF_TEXT)
        item.pszText = node->item.pszText;
    if (item.mask & kBK_TVIF_PARAM)
        item.lParam = node->item.lParam;
    return true;
}

bool CBK_ControlTree::GetItem(wchar_t* text, int32_t textLength, HTREEITEM handle, int32_t* value) {
    const Node* node = _Find(handle);
    if (!node)
        return false;
    // Room is kept for the terminator.
    if (text && textLength > 0) {
        const std::size_t n = std::min(node->text.size(), std::size_t(textLength - 1));
        std::wmemcpy(text, node->text.data(), n);
        text[n] = L'\0';
    }
    if (value)
        *value = node->item.lParam;
    return true;
}

bool CBK_ControlTree::SetItem(BK_TVITEM& item) {
    if (item.row < 0 || item.column < 0 || std::size_t(item.row) >= m_Rows.size() ||
        std::size_t(item.column) >= m_Rows[std::size_t(item.row)]->cells.size())
        return false;
    TV_ITEM_DATA& cell = *m_Rows[std::size_t(item.row)]->cells[std::size_t(item.column)];
    if (item.mask & kBK_TVIF_TEXT)
        cell.SetText(item.pszText);
    if (item.mask & kBK_TVIF_PARAM)
        cell.value = item.lParam;
    const tbx::DataBrowserItemID row = tbx::DataBrowserItemID(item.row + 1);
    return tbx::UpdateDataBrowserItems(m_hControl, 0, 1, &row, 0,
                                       tbx::DataBrowserPropertyID(item.column + 1)) == tbx::noErr;
}

bool CBK_ControlTree::SelectItem(HTREEITEM handle) {
    const Node* node = _Find(handle);
    if (!node) {
        tbx::SetDataBrowserSelectedItems(m_hControl, 0, nullptr, tbx::kDataBrowserItemsAssign);
        return false;
    }
    const tbx::DataBrowserItemID id = node->item.id;
    return tbx::SetDataBrowserSelectedItems(m_hControl, 1, &id, tbx::kDataBrowserItemsAssign) ==
           tbx::noErr;
}

HTREEITEM CBK_ControlTree::GetSelection() {
    tbx::UInt32 count = 0;
    tbx::GetDataBrowserItemCount(m_hControl, 0, true, tbx::kDataBrowserItemIsSelected, &count);
    if (count == 0)
        return nullptr;
    Node* node = _FindById(m_nLastSelectedId);
    return node ? &node->item : nullptr;
}

bool CBK_ControlTree::ExpandItem(HTREEITEM handle, int32_t code) {
    const Node* node = _Find(handle);
    if (!node || code < 0 || code > 4)
        return false;
    const tbx::DataBrowserItemID id = node->item.id;
    bool open = code >= 2;
    if (code == 4) {
        tbx::DataBrowserItemState state = 0;
        tbx::GetDataBrowserItemState(m_hControl, id, &state);
        open = !(state & tbx::kDataBrowserContainerIsOpen);
    }
    return (open ? tbx::OpenDataBrowserContainer(m_hControl, id)
                 : tbx::CloseDataBrowserContainer(m_hControl, id)) == tbx::noErr;
}

HTREEITEM CBK_ControlTree::GetParent(HTREEITEM handle) {
    const Node* node = _Find(handle);
    return node ? node->item.parent : nullptr;
}

HTREEITEM CBK_ControlTree::GetChild(HTREEITEM handle) {
    if (!handle)
        return m_TopItems.empty() ? nullptr : m_TopItems.front();
    const Node* node = _Find(handle);
    return node && !node->item.children.empty() ? node->item.children.front() : nullptr;
}

HTREEITEM CBK_ControlTree::GetPrevSiblingItem(HTREEITEM handle) {
    const Node* node = _Find(handle);
    if (!node)
        return nullptr;
    const auto& siblings = _SiblingsOf(*node);
    auto at = std::find(siblings.begin(), siblings.end(), &node->item);
    return at == siblings.begin() || at == siblings.end() ? nullptr : *(at - 1);
}

HTREEITEM CBK_ControlTree::GetNextSiblingItem(HTREEITEM handle) {
    const Node* node = _Find(handle);
    if (!node)
        return nullptr;
    const auto& siblings = _SiblingsOf(*node);
    auto at = std::find(siblings.begin(), siblings.end(), &node->item);
    return at == siblings.end() || at + 1 == siblings.end() ? nullptr : *(at + 1);
}

bool CBK_ControlTree::Sort() {
    return tbx::SortDataBrowserContainer(m_hControl, 0, true) == tbx::noErr;
}

int32_t CBK_ControlTree::GetItemCount() {
    // Every item the browser holds, each once, selected or not.
    tbx::UInt32 count = 0;
    tbx::GetDataBrowserItemCount(m_hControl, 0, true, tbx::kDataBrowserItemAnyState, &count);
    return int32_t(count);
}

tbx::OSStatus CBK_ControlTree::OnGetItemCallback(uint32_t id, tbx::DataBrowserItemDataRef data) {
    const Node* node = _FindById(id);
    if (!node)
        return tbx::errDataBrowserPropertyNotSupported;
    tbx::OSStatus answer = tbx::errDataBrowserPropertyNotSupported;
    // An index outside the icon list means no icon.
    const int32_t image = node->item.iImage;
    if (image >= 0 && std::size_t(image) < m_Icons.size())
        answer = tbx::SetDataBrowserItemDataIcon(data, m_Icons[std::size_t(image)]);
    if (!node->text.empty()) {
        CBK_CFString text(node->text.c_str());
        tbx::SetDataBrowserItemDataText(data, text);
        answer = tbx::noErr;
    }
    return answer;
}

tbx::OSStatus CBK_ControlTree::OnItemData(uint32_t id, tbx::DataBrowserPropertyID property,
                                          tbx::DataBrowserItemDataRef data, bool setValue) {
    if (setValue)
        return OnSetItemCallback();
    if (property >= kBK_TreeColumnProperty)
        return OnGetItemCallback(id, data);
    if (property == tbx::kDataBrowserItemIsContainerProperty) {
        const Node* node = _FindById(id);
        if (!node)
            return tbx::errDataBrowserPropertyNotSupported;
        return tbx::SetDataBrowserItemDataBooleanValue(data, !node->item.children.empty());
    }
    return tbx::errDataBrowserPropertyNotSupported;
}

void CBK_ControlTree::OnItemNotification(uint32_t id, tbx::DataBrowserItemNotification message) {
    if (message == tbx::kDataBrowserItemSelected)
        OnNotifyItemSelected(id);
    else if (message == tbx::kDataBrowserContainerOpened)
        OnNotifyContainerOpened(id);
}

void CBK_ControlTree::OnNotifyItemSelected(uint32_t id) {
    m_nLastSelectedId = id;
    if (m_bSuspendSelectionNotification)
        return;
    if (Node* node = _FindById(id))
        _OnSelectionChanged(&node->item);
}

void CBK_ControlTree::OnNotifyContainerOpened(uint32_t id) {
    const Node* node = _FindById(id);
    if (!node || node->item.children.empty())
        return;
    std::vector<tbx::DataBrowserItemID> ids;
    for (const BK_TVITEM* child : node->item.children)
        ids.push_back(child->id);
    tbx::AddDataBrowserItems(m_hControl, id, tbx::UInt32(ids.size()), ids.data(),
                             kBK_TreeColumnProperty);
}

bool CBK_ControlTree::_AddPlatformColumn(uint32_t property, const TV_COLUMN_DATA& column,
                                         bool honourFormat) {
    tbx::DataBrowserListViewColumnDesc desc;
    desc.propertyDesc.propertyID = property;
    desc.propertyDesc.propertyType = tbx::kDataBrowserTextType;
    desc.propertyDesc.propertyFlags = 0x70000;
    desc.headerBtnDesc.minimumWidth = 0;
    desc.headerBtnDesc.maximumWidth =
        tbx::UInt16((column.mask & kBK_TVCF_WIDTH) ? std::clamp(column.width, 0, 0xFFFF) : 100);
    desc.headerBtnDesc.initialOrder = tbx::kDataBrowserOrderIncreasing;
    desc.headerBtnDesc.btnFontStyle.flags = tbx::kControlUseSizeMask | tbx::kControlUseJustMask;
    desc.headerBtnDesc.btnFontStyle.size = 10;
    desc.headerBtnDesc.btnFontStyle.just = honourFormat && (column.format & kBK_TVCFMT_RIGHT)
                                               ? tbx::teFlushRight
                                               : tbx::teFlushDefault;
    CBK_CFString title(column.text ? column.text->c_str() : L"");
    if (column.text)
        desc.headerBtnDesc.titleString = title;
    return tbx::AddDataBrowserListViewColumn(m_hControl, &desc,
                                             tbx::kDataBrowserListViewAppendColumn) == tbx::noErr;
}

int32_t CBK_ControlTree::AppendColumn(_BK_TVCOLUMN& column, bool keep) {
    auto data = std::make_unique<TV_COLUMN_DATA>();
    data->SetData(column);
    if ((column.mask & kBK_TVCF_TEXT) && !column.pszText) {
        CBK_String text(column.nTitleId);
        data->SetText(text.GetConstString());
    }
    if (data->text && data->text->size() > kTitleMax)
        data->text->resize(kTitleMax);
    // Appended with the default justification; the format is kept for later rebuilds.
    if (!_AddPlatformColumn(uint32_t(m_Columns.size() + 1), *data, false))
        return -1;
    if (keep) {
        data->index = int32_t(m_Columns.size());
        m_Columns.push_back(std::move(data));
        for (auto& row : m_Rows)
            while (row->cells.size() < m_Columns.size())
                row->cells.push_back(std::make_unique<TV_ITEM_DATA>());
        tbx::UpdateDataBrowserItems(m_hControl, 0, 0, nullptr, 0, 0);
    }
    return int32_t(m_Columns.size()) - 1;
}

int32_t CBK_ControlTree::InsertColumn(uint32_t index, _BK_TVCOLUMN& column) {
    if (index >= m_Columns.size())
        return AppendColumn(column, true);
    auto data = std::make_unique<TV_COLUMN_DATA>();
    data->SetData(column);
    data->index = int32_t(index);
    m_Columns.insert(m_Columns.begin() + std::ptrdiff_t(index), std::move(data));
    for (auto& row : m_Rows)
        while (row->cells.size() < m_Columns.size())
            row->cells.insert(row->cells.begin() +
                                  std::ptrdiff_t(std::min(std::size_t(index), row->cells.size())),
                              std::make_unique<TV_ITEM_DATA>());
    for (uint32_t p = 1; p <= m_Columns.size(); ++p)
        tbx::RemoveDataBrowserTableViewColumn(m_hControl, p);
    for (uint32_t p = 0; p < m_Columns.size(); ++p) {
        m_Columns[p]->index = int32_t(p);
        _AddPlatformColumn(p + 1, *m_Columns[p], true);
    }
    return int32_t(index);
}

bool CBK_ControlTree::OnAcceptDragCallback(tbx::DragRef drag) {
    tbx::SInt16 modifiers = 0;
    tbx::GetDragModifiers(drag, &modifiers, nullptr, nullptr);
    const uint16_t keys = uint16_t(modifiers) & ~0x80u;
    tbx::SetThemeCursor(keys == 0x800   ? tbx::kThemeCopyArrowCursor
                        : keys == 0x900 ? tbx::ThemeCursor(2) // alias arrow
                                        : tbx::kThemeArrowCursor);
    return true;
}

bool CBK_ControlTree::OnReceiveDragCallback(tbx::DragRef drag, uint32_t target) {
    tbx::UInt16 count = 0;
    tbx::CountDragItems(drag, &count);
    for (tbx::UInt16 i = 1; i <= count; ++i) {
        tbx::DragItemRef item = 0;
        tbx::DataBrowserItemID id = 0;
        tbx::SInt32 size = sizeof id;
        if (tbx::GetDragItemReferenceNumber(drag, i, &item) != tbx::noErr ||
            tbx::GetFlavorData(drag, item, tbx::FourCC("magn"), &id, &size, 0) != tbx::noErr ||
            size != sizeof id)
            continue;
        tbx::RemoveDataBrowserItems(m_hControl, 0, 1, &id, 0);
        tbx::AddDataBrowserItems(m_hControl, target, 1, &id, 0);
    }
    return true;
}

bool CBK_ControlTree::OnAddDragItemCallback(tbx::DragRef drag, tbx::DragItemRef* item) {
    if (item)
        tbx::GetDragItemReferenceNumber(drag, 1, item);
    return true;
}
