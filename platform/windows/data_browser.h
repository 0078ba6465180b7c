// Data Browser in list-view mode: columns by property id, ordered item ids, a selection, and
// the callbacks for cell data, item notifications and item comparison.
//
// Updates are lazy: UpdateDataBrowserItems only marks items for redrawing, and cell data is
// asked for when a cell is shown (the test driver's BrowserCellText), so adding many items one
// at a time stays linear. Items are shown in the order added, or sorted through the compare
// callback when a sort property is set. Selection changes, by the user or by a call, send
// kDataBrowserItemSelected or kDataBrowserItemDeselected per item, then
// kDataBrowserSelectionSetChanged. A click selects the item of the row under the mouse
// (rows of kDataBrowserRowHeight below a header of kDataBrowserHeaderHeight).
#pragma once

#include <string>

#include "platform/windows/carbon_types.h"

namespace tbx {

using DataBrowserItemID = UInt32;
using DataBrowserPropertyID = UInt32;
using DataBrowserPropertyType = OSType;
using DataBrowserPropertyFlags = UInt32;
using DataBrowserItemState = UInt32;
using DataBrowserItemNotification = UInt32;
using DataBrowserViewStyle = OSType;
using DataBrowserSetOption = UInt32;
using DataBrowserSelectionFlags = UInt32;
using DataBrowserSortOrder = UInt16;
using DataBrowserTableViewColumnIndex = UInt32;
using DataBrowserTableViewColumnID = DataBrowserPropertyID;
using DataBrowserTableViewHiliteStyle = UInt32;
struct OpaqueDataBrowserItemDataRef;
using DataBrowserItemDataRef = OpaqueDataBrowserItemDataRef*;

inline constexpr DataBrowserViewStyle kDataBrowserListView = FourCC("lstv");
inline constexpr DataBrowserItemID kDataBrowserNoItem = 0;
inline constexpr DataBrowserPropertyID kDataBrowserItemNoProperty = 0;
inline constexpr DataBrowserPropertyType kDataBrowserTextType = FourCC("text");
inline constexpr DataBrowserPropertyFlags kDataBrowserListViewSelectionColumn = 1u << 16;
inline constexpr DataBrowserPropertyFlags kDataBrowserListViewMovableColumn = 1u << 17;
inline constexpr DataBrowserPropertyFlags kDataBrowserListViewSortableColumn = 1u << 18;
inline constexpr DataBrowserItemState kDataBrowserItemNoState = 0;
inline constexpr DataBrowserItemState kDataBrowserItemAnyState = 0xFFFFFFFFu;
inline constexpr DataBrowserItemState kDataBrowserItemIsSelected = 1u << 0;
inline constexpr DataBrowserItemNotification kDataBrowserItemAdded = 1;
inline constexpr DataBrowserItemNotification kDataBrowserItemRemoved = 2;
inline constexpr DataBrowserItemNotification kDataBrowserItemSelected = 5;
inline constexpr DataBrowserItemNotification kDataBrowserItemDeselected = 6;
inline constexpr DataBrowserItemNotification kDataBrowserContainerOpened = 8;
inline constexpr DataBrowserItemNotification kDataBrowserContainerClosing = 9;
inline constexpr DataBrowserItemNotification kDataBrowserContainerClosed = 10;
inline constexpr DataBrowserItemNotification kDataBrowserSelectionSetChanged = 14;
inline constexpr DataBrowserItemState kDataBrowserContainerIsOpen = 1u << 1;
inline constexpr DataBrowserPropertyID kDataBrowserItemIsContainerProperty = 4;
inline constexpr DataBrowserPropertyType kDataBrowserIconAndTextType = FourCC("ticn");
inline constexpr DataBrowserSetOption kDataBrowserItemsAdd = 0;
inline constexpr DataBrowserSetOption kDataBrowserItemsAssign = 1;
inline constexpr DataBrowserSetOption kDataBrowserItemsToggle = 2;
inline constexpr DataBrowserSetOption kDataBrowserItemsRemove = 3;
inline constexpr DataBrowserSelectionFlags kDataBrowserSelectOnlyOne = 1u << 0;
inline constexpr DataBrowserSelectionFlags kDataBrowserCmdTogglesSelection = 1u << 5;
inline constexpr DataBrowserSortOrder kDataBrowserOrderIncreasing = 1;
inline constexpr DataBrowserSortOrder kDataBrowserOrderDecreasing = 2;
inline constexpr DataBrowserTableViewHiliteStyle kDataBrowserTableViewFillHilite = 1;
inline constexpr DataBrowserTableViewColumnIndex kDataBrowserListViewAppendColumn = 0xFFFFFFFFu;
inline constexpr UInt32 kDataBrowserListViewLatestHeaderDesc = 0;
inline constexpr SInt16 kDataBrowserHeaderHeight = 17;
inline constexpr SInt16 kDataBrowserRowHeight = 16;

inline constexpr OSStatus errDataBrowserItemNotFound = -4971;
inline constexpr OSStatus errDataBrowserPropertyNotFound = -4972;
inline constexpr OSStatus errDataBrowserItemNotAdded = -4975;
inline constexpr OSStatus errDataBrowserPropertyNotSupported = -4979;

struct DataBrowserPropertyDesc {
    DataBrowserPropertyID propertyID = 0;
    DataBrowserPropertyType propertyType = 0;
    DataBrowserPropertyFlags propertyFlags = 0;
};

struct DataBrowserListViewHeaderDesc {
    UInt32 version = kDataBrowserListViewLatestHeaderDesc;
    UInt16 minimumWidth = 0;
    UInt16 maximumWidth = 0;
    SInt16 titleOffset = 0;
    CFStringRef titleString = nullptr;
    DataBrowserSortOrder initialOrder = kDataBrowserOrderIncreasing;
    ControlFontStyleRec btnFontStyle;
    ControlButtonContentInfo btnContentInfo;
};

struct DataBrowserListViewColumnDesc {
    DataBrowserPropertyDesc propertyDesc;
    DataBrowserListViewHeaderDesc headerBtnDesc;
};

using DataBrowserItemDataProcPtr = OSStatus (*)(ControlRef browser, DataBrowserItemID item,
                                                DataBrowserPropertyID property,
                                                DataBrowserItemDataRef itemData, Boolean setValue);
using DataBrowserItemNotificationProcPtr = void (*)(ControlRef browser, DataBrowserItemID item,
                                                    DataBrowserItemNotification message);
using DataBrowserItemCompareProcPtr = Boolean (*)(ControlRef browser, DataBrowserItemID item1,
                                                  DataBrowserItemID item2,
                                                  DataBrowserPropertyID sortProperty);
using DataBrowserItemDataUPP = DataBrowserItemDataProcPtr;
using DataBrowserItemNotificationUPP = DataBrowserItemNotificationProcPtr;
using DataBrowserItemCompareUPP = DataBrowserItemCompareProcPtr;

struct DataBrowserCallbacks {
    UInt32 version = 0;
    struct {
        DataBrowserItemDataUPP itemDataCallback = nullptr;
        DataBrowserItemCompareUPP itemCompareCallback = nullptr;
        DataBrowserItemNotificationUPP itemNotificationCallback = nullptr;
    } v1;
};

OSStatus InitDataBrowserCallbacks(DataBrowserCallbacks* callbacks);
OSStatus CreateDataBrowserControl(WindowRef window, const Rect* bounds, DataBrowserViewStyle style,
                                  ControlRef* outControl);
OSStatus SetDataBrowserCallbacks(ControlRef browser, const DataBrowserCallbacks* callbacks);
// A property id that is 0 or already a column is refused.
OSStatus AddDataBrowserListViewColumn(ControlRef browser, DataBrowserListViewColumnDesc* column,
                                      DataBrowserTableViewColumnIndex position);
OSStatus RemoveDataBrowserTableViewColumn(ControlRef browser, DataBrowserTableViewColumnID column);
OSStatus GetDataBrowserTableViewColumnCount(ControlRef browser, UInt32* outCount);
// Title and justification of a column's header, for the callers that lay columns out again.
OSStatus CopyDataBrowserColumnTitle(ControlRef browser, DataBrowserPropertyID column,
                                    CFStringRef* outTitle, SInt16* outJustification);
// Ids are not 0 and not in the browser yet, and a container must be open; nothing is added
// when one is refused.
OSStatus AddDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 numItems,
                             const DataBrowserItemID* items, DataBrowserPropertyID preSortProperty);
// No items (0, null) removes every item.
OSStatus RemoveDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 numItems,
                                const DataBrowserItemID* items,
                                DataBrowserPropertyID preSortProperty);
// No items (0, null) marks every item.
OSStatus UpdateDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 numItems,
                                const DataBrowserItemID* items,
                                DataBrowserPropertyID preSortProperty,
                                DataBrowserPropertyID propertyID);
OSStatus GetDataBrowserItemCount(ControlRef browser, DataBrowserItemID container, Boolean recurse,
                                 DataBrowserItemState state, UInt32* outCount);
// Appends the ids of the items in that state, in the order shown, to a Memory Manager handle.
OSStatus GetDataBrowserItems(ControlRef browser, DataBrowserItemID container, Boolean recurse,
                             DataBrowserItemState state, Handle items);
OSStatus SetDataBrowserSelectedItems(ControlRef browser, UInt32 numItems,
                                     const DataBrowserItemID* items,
                                     DataBrowserSetOption operation);
Boolean IsDataBrowserItemSelected(ControlRef browser, DataBrowserItemID item);
OSStatus SetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags flags);
OSStatus GetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags* outFlags);
OSStatus SetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID property);
OSStatus GetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID* outProperty);
OSStatus SetDataBrowserTableViewHiliteStyle(ControlRef browser,
                                            DataBrowserTableViewHiliteStyle style);
// Inside the cell data callback: the text of the cell asked for.
OSStatus SetDataBrowserItemDataText(DataBrowserItemDataRef itemData, CFStringRef text);

// Container mode (data_browser_tree.cpp). Items added under a container hang below it and
// are shown after it, siblings in the order added (or by the compare callback when a sort
// property is set). Opening a container sends kDataBrowserContainerOpened, upon which the
// caller adds its children; closing one sends kDataBrowserContainerClosing, removes every item
// below it and sends kDataBrowserContainerClosed. Removing an item removes those below it.
OSStatus SetDataBrowserListViewDisclosureColumn(ControlRef browser, DataBrowserPropertyID column,
                                                Boolean expandableRows);
OSStatus OpenDataBrowserContainer(ControlRef browser, DataBrowserItemID container);
OSStatus CloseDataBrowserContainer(ControlRef browser, DataBrowserItemID container);
// kDataBrowserItemIsSelected and kDataBrowserContainerIsOpen.
OSStatus GetDataBrowserItemState(ControlRef browser, DataBrowserItemID item,
                                 DataBrowserItemState* outState);
// Puts the container's children (and theirs, with sortChildren) into the order of the
// compare callback over the sort property, or the disclosure column when none is set.
OSStatus SortDataBrowserContainer(ControlRef browser, DataBrowserItemID container,
                                  Boolean sortChildren);
// Inside the cell data callback: an icon (an IconRef) and a boolean answer.
OSStatus SetDataBrowserItemDataIcon(DataBrowserItemDataRef itemData, void* icon);
OSStatus SetDataBrowserItemDataBooleanValue(DataBrowserItemDataRef itemData, Boolean value);

namespace test {
// One cell as the item data callback answers it.
struct BrowserCell {
    OSStatus status = 0;
    std::u16string text;
    void* icon = nullptr;
    bool boolean = false;
};
BrowserCell QueryBrowserCell(ControlRef browser, DataBrowserItemID item,
                             DataBrowserPropertyID property);
} // namespace test

} // namespace tbx
