// The multilingual text engine: a text object over a frame in a window, with its text as
// UTF-16, a selection, margins, a background and input privileges. A read-only object refuses
// TXNSetData (kTXNReadOnlyErr) until it is made writable again.
#pragma once

#include <cstddef>

#include "platform/files/fs_types.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

namespace tbx {

using TXNFrameID = UInt32;
using TXNFrameOptions = UInt32;
using TXNFrameType = UInt32;
using TXNFileType = OSType;
using TXNPermanentTextEncodingType = UInt32;
using TXNDataType = OSType;
using TXNOffset = UInt32;
using TXNControlTag = UInt32;
using TXNScrollBarState = UInt32;
using ItemCount = std::size_t;

union TXNControlData {
    UInt32 uValue;
    SInt32 sValue;
    void* marginsPtr;
};

struct TXNMargins {
    SInt16 topMargin = 0;
    SInt16 leftMargin = 0;
    SInt16 bottomMargin = 0;
    SInt16 rightMargin = 0;
};

struct TXNBackground {
    UInt32 bgType = 1; // a colour
    RGBColor color;
};

inline constexpr TXNFrameType kTXNTextEditStyleFrameType = 1;
inline constexpr TXNFileType kTXNTextensionFile = FourCC("txtn");
inline constexpr TXNPermanentTextEncodingType kTXNSystemDefaultEncoding = 0;
inline constexpr TXNDataType kTXNUnicodeTextData = FourCC("utxt");
inline constexpr TXNControlTag kTXNIOPrivilegesTag = FourCC("iopv");
inline constexpr TXNControlTag kTXNMarginsTag = FourCC("marg");
inline constexpr UInt32 kTXNReadWrite = 0;
inline constexpr UInt32 kTXNReadOnly = 1;
inline constexpr TXNOffset kTXNStartOffset = 0;
inline constexpr TXNOffset kTXNEndOffset = 0x7FFFFFFF;
inline constexpr TXNScrollBarState kScrollBarsAlwaysActive = 1;
inline constexpr UInt32 kTXNBackgroundTypeRGB = 1;
inline constexpr OSStatus kTXNReadOnlyErr = -22022;
inline constexpr OSStatus kTXNInvalidObjectErr = -22023;
inline constexpr OSStatus kTXNUnsupportedDataTypeErr = -22024;

OSStatus TXNNewObject(const FSSpec* file, WindowRef window, const Rect* frame,
                      TXNFrameOptions options, TXNFrameType frameType, TXNFileType fileType,
                      TXNPermanentTextEncodingType encoding, TXNObject* outObject,
                      TXNFrameID* outFrame, void* refCon);
void TXNDeleteObject(TXNObject object);
// Replaces the range (offsets in UTF-16 units, pinned to the text) with the UTF-16 data.
OSStatus TXNSetData(TXNObject object, TXNDataType type, const void* data, std::size_t size,
                    TXNOffset start, TXNOffset end);
// A new handle with the range as UTF-16; the caller disposes of it.
OSStatus TXNGetDataEncoded(TXNObject object, TXNOffset start, TXNOffset end, Handle* outData,
                           TXNDataType encoding);
std::size_t TXNDataSize(TXNObject object);
OSStatus TXNSetTXNObjectControls(TXNObject object, Boolean clearAll, ItemCount count,
                                 const TXNControlTag tags[], const TXNControlData data[]);
OSStatus TXNGetTXNObjectControls(TXNObject object, ItemCount count, const TXNControlTag tags[],
                                 TXNControlData data[]);
OSStatus TXNSetBackground(TXNObject object, const TXNBackground* background);
void TXNSetFrameBounds(TXNObject object, SInt32 top, SInt32 left, SInt32 bottom, SInt32 right,
                       TXNFrameID frame);
void TXNGetViewRect(TXNObject object, Rect* rect);
OSStatus TXNActivate(TXNObject object, TXNFrameID frame, TXNScrollBarState state);
void TXNFocus(TXNObject object, Boolean focus);
void TXNDraw(TXNObject object, GWorldPtr port);
OSStatus TXNSetSelection(TXNObject object, TXNOffset start, TXNOffset end);
void TXNGetSelection(TXNObject object, TXNOffset* start, TXNOffset* end);

namespace test {
struct TextObjectState {
    bool exists = false;
    std::u16string text;
    bool readOnly = false;
    bool active = false;
    bool focused = false;
    Rect frame;
    TXNMargins margins;
    RGBColor background;
    TXNFrameOptions options = 0;
    UInt32 drawCount = 0;
    TXNOffset selectionStart = 0, selectionEnd = 0;
    void* refCon = nullptr;
};
TextObjectState ReadTextObject(TXNObject object);
} // namespace test

} // namespace tbx
