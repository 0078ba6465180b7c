// Data browsers in list-view mode.
#include "platform/windows/data_browser.h"

#include <algorithm>
#include <cstring>

#include "platform/memory.h"
#include "platform/windows/control_family.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace windows_detail {

BrowserData* BrowserOf(ControlRef ref) {
    Control* c = LiveControl(ref);
    return c && c->browser ? c->browser.get() : nullptr;
}

void Notify(ControlRef ref, DataBrowserItemID item, DataBrowserItemNotification message) {
    BrowserData* b = BrowserOf(ref);
    if (b && b->callbacks.v1.itemNotificationCallback)
        b->callbacks.v1.itemNotificationCallback(ref, item, message);
}

} // namespace windows_detail

namespace {

// Applies a new selection and tells the notification callback what changed.
void Select(ControlRef ref, const std::unordered_set<DataBrowserItemID>& wanted) {
    BrowserData* b = BrowserOf(ref);
    if (!b)
        return;
    std::vector<DataBrowserItemID> added, removed;
    for (DataBrowserItemID item : b->items) {
        const bool was = b->selected.count(item) != 0, now = wanted.count(item) != 0;
        if (was && !now)
            removed.push_back(item);
        else if (now && !was)
            added.push_back(item);
    }
    if (added.empty() && removed.empty())
        return;
    b->selected = wanted;
    for (DataBrowserItemID item : removed)
        Notify(ref, item, kDataBrowserItemDeselected);
    for (DataBrowserItemID item : added)
        Notify(ref, item, kDataBrowserItemSelected);
    Notify(ref, kDataBrowserNoItem, kDataBrowserSelectionSetChanged);
}

class Browsers final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control&, Point) const override { return kControlLabelPart; }
    bool TakesFocus(const Control&) const override { return true; }

    // A click selects the item of the row under the mouse.
    ControlPartCode Clicked(ControlRef ref, ControlPartCode part) const override {
        Control* c = LiveControl(ref);
        if (!c || !c->browser)
            return part;
        const int row = (LocalMouse(c->window).v - c->bounds.top - kDataBrowserHeaderHeight) /
                        kDataBrowserRowHeight;
        const std::vector<DataBrowserItemID> order = BrowserOrder(ref);
        if (LocalMouse(c->window).v >= c->bounds.top + kDataBrowserHeaderHeight && row >= 0 &&
            static_cast<std::size_t>(row) < order.size())
            Select(ref, {order[static_cast<std::size_t>(row)]});
        return LiveControl(ref) ? part : kControlNoPart;
    }
};

} // namespace

namespace windows_detail {

const ControlFamily& BrowserFamily() {
    static const Browsers family;
    return family;
}

std::vector<DataBrowserItemID> BrowserOrder(ControlRef ref) {
    BrowserData* b = BrowserOf(ref);
    if (!b)
        return {};
    std::vector<DataBrowserItemID> order = b->items;
    const DataBrowserItemCompareUPP compare = b->callbacks.v1.itemCompareCallback;
    const DataBrowserPropertyID property = b->sortProperty;
    if (compare && property)
        std::stable_sort(order.begin(), order.end(), [&](DataBrowserItemID x, DataBrowserItemID y) {
            return compare(ref, x, y, property) != 0;
        });
    return b->parent.empty() ? order : TreeOrder(*b, order);
}

std::u16string BrowserCellText(ControlRef ref, DataBrowserItemID item,
                               DataBrowserPropertyID property) {
    World& world = TheWorld();
    BrowserData* b = BrowserOf(ref);
    if (!b || !b->callbacks.v1.itemDataCallback || !b->where.count(item))
        return {};
    const DataBrowserItemDataRef previous = world.cellRef;
    world.cellRef = reinterpret_cast<DataBrowserItemDataRef>(world.nextCellRef++);
    world.cellText.clear();
    b->callbacks.v1.itemDataCallback(ref, item, property, world.cellRef, false);
    std::u16string text = world.cellText;
    world.cellRef = previous;
    return text;
}

} // namespace windows_detail

OSStatus InitDataBrowserCallbacks(DataBrowserCallbacks* callbacks) {
    if (!callbacks)
        return paramErr;
    *callbacks = DataBrowserCallbacks{};
    return noErr;
}

OSStatus CreateDataBrowserControl(WindowRef window, const Rect* bounds, DataBrowserViewStyle style,
                                  ControlRef* outControl) {
    if (style != kDataBrowserListView)
        return paramErr;
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::DataBrowser, outControl, &c);
    if (status == noErr) {
        c->browser = std::make_shared<BrowserData>();
        c->browser->style = style;
    }
    return status;
}

OSStatus SetDataBrowserCallbacks(ControlRef browser, const DataBrowserCallbacks* callbacks) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!callbacks)
        return paramErr;
    b->callbacks = *callbacks;
    return noErr;
}

OSStatus AddDataBrowserListViewColumn(ControlRef browser, DataBrowserListViewColumnDesc* column,
                                      DataBrowserTableViewColumnIndex position) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!column || column->propertyDesc.propertyID == 0)
        return paramErr;
    for (const BrowserColumn& existing : b->columns)
        if (existing.property.propertyID == column->propertyDesc.propertyID)
            return errDataBrowserPropertyNotSupported;
    BrowserColumn added;
    added.property = column->propertyDesc;
    if (column->headerBtnDesc.titleString)
        added.title = column->headerBtnDesc.titleString->Text();
    added.justification = column->headerBtnDesc.btnFontStyle.just;
    const std::size_t at = std::min<std::size_t>(position, b->columns.size());
    b->columns.insert(b->columns.begin() + static_cast<std::ptrdiff_t>(at), added);
    return noErr;
}

OSStatus RemoveDataBrowserTableViewColumn(ControlRef browser, DataBrowserTableViewColumnID column) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    auto at = std::find_if(b->columns.begin(), b->columns.end(),
                           [&](const BrowserColumn& c) { return c.property.propertyID == column; });
    if (at == b->columns.end())
        return errDataBrowserPropertyNotFound;
    b->columns.erase(at);
    if (b->sortProperty == column)
        b->sortProperty = 0;
    return noErr;
}

OSStatus GetDataBrowserTableViewColumnCount(ControlRef browser, UInt32* outCount) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!outCount)
        return paramErr;
    *outCount = static_cast<UInt32>(b->columns.size());
    return noErr;
}

OSStatus CopyDataBrowserColumnTitle(ControlRef browser, DataBrowserPropertyID column,
                                    CFStringRef* outTitle, SInt16* outJustification) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    for (const BrowserColumn& c : b->columns) {
        if (c.property.propertyID != column)
            continue;
        if (outTitle)
            *outTitle = new CFString(c.title);
        if (outJustification)
            *outJustification = c.justification;
        return noErr;
    }
    return errDataBrowserPropertyNotFound;
}

OSStatus AddDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 numItems,
                             const DataBrowserItemID* items, DataBrowserPropertyID) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (numItems && !items)
        return paramErr;
    if (container != kDataBrowserNoItem && !b->where.count(container))
        return errDataBrowserItemNotFound;
    // A closed container shows nothing below it; its items come when it opens.
    if (container != kDataBrowserNoItem && !b->open.count(container))
        return errDataBrowserItemNotAdded;
    std::unordered_set<DataBrowserItemID> fresh;
    for (UInt32 i = 0; i < numItems; ++i)
        if (items[i] == kDataBrowserNoItem || b->where.count(items[i]) ||
            !fresh.insert(items[i]).second)
            return errDataBrowserItemNotAdded;
    for (UInt32 i = 0; i < numItems; ++i) {
        b->where[items[i]] = b->items.size();
        b->items.push_back(items[i]);
        if (container != kDataBrowserNoItem)
            b->parent[items[i]] = container;
    }
    for (UInt32 i = 0; i < numItems; ++i)
        Notify(browser, items[i], kDataBrowserItemAdded);
    return noErr;
}

OSStatus RemoveDataBrowserItems(ControlRef browser, DataBrowserItemID, UInt32 numItems,
                                const DataBrowserItemID* items, DataBrowserPropertyID) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    std::vector<DataBrowserItemID> doomed;
    if (numItems == 0 || !items) {
        doomed = b->items;
    } else {
        for (UInt32 i = 0; i < numItems; ++i)
            if (!b->where.count(items[i]))
                return errDataBrowserItemNotFound;
        doomed.assign(items, items + numItems);
    }
    // What hangs below a removed item goes with it.
    if (!b->parent.empty() && numItems != 0 && items)
        doomed = WithDescendants(*b, doomed);
    std::size_t first = b->items.size();
    for (DataBrowserItemID item : doomed) {
        auto found = b->where.find(item);
        if (found == b->where.end())
            continue;
        first = std::min(first, found->second);
        b->items[found->second] = kDataBrowserNoItem;
        b->where.erase(found);
        b->selected.erase(item);
        b->parent.erase(item);
        b->open.erase(item);
    }
    // Close the gaps and renumber only from the first removed position.
    auto tail = std::remove(b->items.begin() + static_cast<std::ptrdiff_t>(first), b->items.end(),
                            kDataBrowserNoItem);
    b->items.erase(tail, b->items.end());
    for (std::size_t i = first; i < b->items.size(); ++i)
        b->where[b->items[i]] = i;
    for (DataBrowserItemID item : doomed)
        Notify(browser, item, kDataBrowserItemRemoved);
    return noErr;
}

OSStatus UpdateDataBrowserItems(ControlRef browser, DataBrowserItemID, UInt32 numItems,
                                const DataBrowserItemID* items, DataBrowserPropertyID,
                                DataBrowserPropertyID) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    for (UInt32 i = 0; items && i < numItems; ++i)
        if (!b->where.count(items[i]))
            return errDataBrowserItemNotFound;
    ++b->updates;
    return noErr;
}

OSStatus GetDataBrowserItemCount(ControlRef browser, DataBrowserItemID container, Boolean recurse,
                                 DataBrowserItemState state, UInt32* outCount) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!outCount)
        return paramErr;
    UInt32 count = 0;
    for (DataBrowserItemID item : b->items) {
        if (!Below(*b, item, container, recurse))
            continue;
        if ((state == kDataBrowserItemIsSelected && !b->selected.count(item)) ||
            (state == kDataBrowserContainerIsOpen && !b->open.count(item)))
            continue;
        ++count;
    }
    *outCount = count;
    return noErr;
}

OSStatus GetDataBrowserItems(ControlRef browser, DataBrowserItemID, Boolean,
                             DataBrowserItemState state, Handle items) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!items)
        return paramErr;
    std::vector<DataBrowserItemID> chosen;
    for (DataBrowserItemID item : BrowserOrder(browser))
        if (state != kDataBrowserItemIsSelected || b->selected.count(item))
            chosen.push_back(item);
    const std::size_t old = GetHandleSize(items);
    if (SetHandleSize(items, old + chosen.size() * sizeof(DataBrowserItemID)) != noErr)
        return memFullErr;
    if (!chosen.empty())
        std::memcpy(*items + old, chosen.data(), chosen.size() * sizeof(DataBrowserItemID));
    return noErr;
}

OSStatus SetDataBrowserSelectedItems(ControlRef browser, UInt32 numItems,
                                     const DataBrowserItemID* items,
                                     DataBrowserSetOption operation) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (numItems && !items)
        return paramErr;
    std::unordered_set<DataBrowserItemID> wanted = operation == kDataBrowserItemsAssign
                                                       ? std::unordered_set<DataBrowserItemID>{}
                                                       : b->selected;
    DataBrowserItemID last = kDataBrowserNoItem;
    for (UInt32 i = 0; i < numItems; ++i) {
        if (!b->where.count(items[i]))
            continue;
        last = items[i];
        if (operation == kDataBrowserItemsRemove ||
            (operation == kDataBrowserItemsToggle && wanted.count(items[i])))
            wanted.erase(items[i]);
        else
            wanted.insert(items[i]);
    }
    // One item at most: the last one named wins, else the one selected already.
    if ((b->selectionFlags & kDataBrowserSelectOnlyOne) && wanted.size() > 1)
        wanted = {last != kDataBrowserNoItem ? last : *b->selected.begin()};
    Select(browser, wanted);
    return noErr;
}

Boolean IsDataBrowserItemSelected(ControlRef browser, DataBrowserItemID item) {
    BrowserData* b = BrowserOf(browser);
    return b && b->selected.count(item);
}

OSStatus SetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags flags) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    b->selectionFlags = flags;
    return noErr;
}

OSStatus GetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags* outFlags) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!outFlags)
        return paramErr;
    *outFlags = b->selectionFlags;
    return noErr;
}

OSStatus SetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID property) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    const bool known =
        std::any_of(b->columns.begin(), b->columns.end(),
                    [&](const BrowserColumn& c) { return c.property.propertyID == property; });
    if (property != 0 && !known)
        return errDataBrowserPropertyNotFound;
    b->sortProperty = property;
    return noErr;
}

OSStatus GetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID* outProperty) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!outProperty)
        return paramErr;
    *outProperty = b->sortProperty;
    return noErr;
}

OSStatus SetDataBrowserTableViewHiliteStyle(ControlRef browser,
                                            DataBrowserTableViewHiliteStyle style) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    b->hilite = style;
    return noErr;
}

OSStatus SetDataBrowserItemDataText(DataBrowserItemDataRef itemData, CFStringRef text) {
    World& world = TheWorld();
    if (!itemData || itemData != world.cellRef)
        return paramErr;
    world.cellText = text ? text->Text() : std::u16string();
    return noErr;
}

} // namespace tbx
