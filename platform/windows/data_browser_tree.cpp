// Data browsers in container mode: items that hang below others, open and closed containers,
// and sorting by the compare callback.
#include <algorithm>
#include <functional>

#include "platform/windows/data_browser.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

DataBrowserItemID ContainerOf(const BrowserData& b, DataBrowserItemID item) {
    auto found = b.parent.find(item);
    return found == b.parent.end() ? kDataBrowserNoItem : found->second;
}

} // namespace

namespace windows_detail {

bool Below(const BrowserData& b, DataBrowserItemID item, DataBrowserItemID container,
           bool recurse) {
    DataBrowserItemID up = ContainerOf(b, item);
    if (up == container)
        return true;
    // Chains are as deep as the tree and never circular: an item is only added below one
    // that is there already.
    while (recurse && up != kDataBrowserNoItem) {
        up = ContainerOf(b, up);
        if (up == container)
            return true;
    }
    return false;
}

std::vector<DataBrowserItemID> TreeOrder(const BrowserData& b,
                                         const std::vector<DataBrowserItemID>& order) {
    std::unordered_map<DataBrowserItemID, std::vector<DataBrowserItemID>> children;
    for (DataBrowserItemID item : order)
        children[ContainerOf(b, item)].push_back(item);
    std::vector<DataBrowserItemID> out;
    out.reserve(order.size());
    // Iterative depth-first walk, so that deep trees need no deep stack.
    std::vector<std::pair<DataBrowserItemID, std::size_t>> stack{{kDataBrowserNoItem, 0}};
    while (!stack.empty()) {
        auto& [container, next] = stack.back();
        const auto& list = children[container];
        if (next >= list.size()) {
            stack.pop_back();
            continue;
        }
        const DataBrowserItemID item = list[next++];
        out.push_back(item);
        stack.push_back({item, 0});
    }
    return out;
}

std::vector<DataBrowserItemID> WithDescendants(const BrowserData& b,
                                               const std::vector<DataBrowserItemID>& items) {
    std::unordered_set<DataBrowserItemID> doomed(items.begin(), items.end());
    std::vector<DataBrowserItemID> out = items;
    for (DataBrowserItemID item : b.items)
        if (!doomed.count(item))
            for (DataBrowserItemID root : items)
                if (Below(b, item, root, true)) {
                    doomed.insert(item);
                    out.push_back(item);
                    break;
                }
    return out;
}

} // namespace windows_detail

OSStatus SetDataBrowserListViewDisclosureColumn(ControlRef browser, DataBrowserPropertyID column,
                                                Boolean) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    b->disclosureColumn = column;
    return noErr;
}

OSStatus OpenDataBrowserContainer(ControlRef browser, DataBrowserItemID container) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!b->where.count(container))
        return errDataBrowserItemNotFound;
    if (!b->open.insert(container).second)
        return noErr;
    Notify(browser, container, kDataBrowserContainerOpened);
    return noErr;
}

OSStatus CloseDataBrowserContainer(ControlRef browser, DataBrowserItemID container) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!b->where.count(container))
        return errDataBrowserItemNotFound;
    if (!b->open.count(container))
        return noErr;
    Notify(browser, container, kDataBrowserContainerClosing);
    b = BrowserOf(browser);
    if (!b)
        return noErr;
    std::vector<DataBrowserItemID> children;
    for (DataBrowserItemID item : b->items)
        if (Below(*b, item, container, false))
            children.push_back(item);
    if (!children.empty())
        RemoveDataBrowserItems(browser, container, UInt32(children.size()), children.data(), 0);
    if ((b = BrowserOf(browser)) != nullptr)
        b->open.erase(container);
    Notify(browser, container, kDataBrowserContainerClosed);
    return noErr;
}

OSStatus GetDataBrowserItemState(ControlRef browser, DataBrowserItemID item,
                                 DataBrowserItemState* outState) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (!outState)
        return paramErr;
    if (!b->where.count(item))
        return errDataBrowserItemNotFound;
    *outState = (b->selected.count(item) ? kDataBrowserItemIsSelected : 0) |
                (b->open.count(item) ? kDataBrowserContainerIsOpen : 0);
    return noErr;
}

OSStatus SortDataBrowserContainer(ControlRef browser, DataBrowserItemID container,
                                  Boolean sortChildren) {
    BrowserData* b = BrowserOf(browser);
    if (!b)
        return errUnknownControl;
    if (container != kDataBrowserNoItem && !b->where.count(container))
        return errDataBrowserItemNotFound;
    const DataBrowserItemCompareUPP compare = b->callbacks.v1.itemCompareCallback;
    const DataBrowserPropertyID property = b->sortProperty ? b->sortProperty : b->disclosureColumn;
    if (!compare || !property)
        return noErr;
    std::vector<std::size_t> slots;
    std::vector<DataBrowserItemID> chosen;
    for (std::size_t i = 0; i < b->items.size(); ++i)
        if (Below(*b, b->items[i], container, sortChildren)) {
            slots.push_back(i);
            chosen.push_back(b->items[i]);
        }
    // Siblings keep their relative places among the others; only their order changes.
    std::stable_sort(chosen.begin(), chosen.end(), [&](DataBrowserItemID x, DataBrowserItemID y) {
        return compare(browser, x, y, property) != 0;
    });
    b = BrowserOf(browser);
    if (!b)
        return noErr;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        b->items[slots[k]] = chosen[k];
        b->where[chosen[k]] = slots[k];
    }
    return noErr;
}

OSStatus SetDataBrowserItemDataIcon(DataBrowserItemDataRef itemData, void* icon) {
    World& world = TheWorld();
    if (!itemData || itemData != world.cellRef)
        return paramErr;
    world.cellIcon = icon;
    return noErr;
}

OSStatus SetDataBrowserItemDataBooleanValue(DataBrowserItemDataRef itemData, Boolean value) {
    World& world = TheWorld();
    if (!itemData || itemData != world.cellRef)
        return paramErr;
    world.cellBoolean = value;
    return noErr;
}

namespace test {

BrowserCell QueryBrowserCell(ControlRef browser, DataBrowserItemID item,
                             DataBrowserPropertyID property) {
    World& world = TheWorld();
    BrowserCell cell;
    BrowserData* b = BrowserOf(browser);
    if (!b || !b->callbacks.v1.itemDataCallback) {
        cell.status = errUnknownControl;
        return cell;
    }
    const DataBrowserItemDataRef previous = world.cellRef;
    world.cellRef = reinterpret_cast<DataBrowserItemDataRef>(world.nextCellRef++);
    world.cellText.clear();
    world.cellIcon = nullptr;
    world.cellBoolean = false;
    cell.status = b->callbacks.v1.itemDataCallback(browser, item, property, world.cellRef, false);
    cell.text = world.cellText;
    cell.icon = world.cellIcon;
    cell.boolean = world.cellBoolean;
    world.cellRef = previous;
    return cell;
}

} // namespace test

} // namespace tbx
