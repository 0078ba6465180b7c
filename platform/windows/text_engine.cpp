#include "platform/windows/text_engine.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/handle_table.h"
#include "platform/memory.h"
#include "platform/windows/world.h"

namespace tbx {
namespace {

struct TextObject {
    WindowRef window = nullptr;
    std::u16string text;
    test::TextObjectState state;
};

TypedHandleTable<TXNObject, TextObject>& Objects() {
    static TypedHandleTable<TXNObject, TextObject> table;
    return table;
}

TextObject* Find(TXNObject object) {
    return Objects().Get(object);
}

} // namespace

OSStatus TXNNewObject(const FSSpec*, WindowRef window, const Rect* frame, TXNFrameOptions options,
                      TXNFrameType, TXNFileType, TXNPermanentTextEncodingType, TXNObject* outObject,
                      TXNFrameID* outFrame, void* refCon) {
    if (!windows_detail::LiveWindow(window))
        return errInvalidWindowRef;
    if (!frame || !outObject)
        return paramErr;
    auto object = std::make_unique<TextObject>();
    object->window = window;
    object->state.exists = true;
    object->state.frame = *frame;
    object->state.options = options;
    object->state.refCon = refCon;
    object->state.background = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    *outObject = Objects().Add(std::move(object));
    if (outFrame)
        *outFrame = 1;
    return noErr;
}

void TXNDeleteObject(TXNObject object) {
    Objects().Remove(object);
}

OSStatus TXNSetData(TXNObject ref, TXNDataType type, const void* data, std::size_t size,
                    TXNOffset start, TXNOffset end) {
    TextObject* object = Find(ref);
    if (!object)
        return kTXNInvalidObjectErr;
    if (type != kTXNUnicodeTextData || size % 2 || (size && !data))
        return kTXNUnsupportedDataTypeErr;
    if (object->state.readOnly)
        return kTXNReadOnlyErr;
    std::u16string units(size / 2, u'\0');
    if (size)
        std::memcpy(units.data(), data, size);
    const std::size_t from = std::min<std::size_t>(start, object->text.size());
    const std::size_t to = std::clamp<std::size_t>(end, from, object->text.size());
    object->text.replace(from, to - from, units);
    object->state.selectionStart = object->state.selectionEnd =
        static_cast<TXNOffset>(from + units.size());
    return noErr;
}

OSStatus TXNGetDataEncoded(TXNObject ref, TXNOffset start, TXNOffset end, Handle* outData,
                           TXNDataType encoding) {
    TextObject* object = Find(ref);
    if (!object)
        return kTXNInvalidObjectErr;
    if (!outData || encoding != kTXNUnicodeTextData)
        return paramErr;
    const std::size_t from = std::min<std::size_t>(start, object->text.size());
    const std::size_t to = std::clamp<std::size_t>(end, from, object->text.size());
    *outData = NewHandle((to - from) * 2);
    if (!*outData)
        return memFullErr;
    std::memcpy(**outData, object->text.data() + from, (to - from) * 2);
    return noErr;
}

std::size_t TXNDataSize(TXNObject ref) {
    TextObject* object = Find(ref);
    return object ? object->text.size() * 2 : 0;
}

OSStatus TXNSetTXNObjectControls(TXNObject ref, Boolean, ItemCount count,
                                 const TXNControlTag tags[], const TXNControlData data[]) {
    TextObject* object = Find(ref);
    if (!object)
        return kTXNInvalidObjectErr;
    if (count && (!tags || !data))
        return paramErr;
    for (ItemCount i = 0; i < count; ++i) {
        if (tags[i] == kTXNIOPrivilegesTag) {
            object->state.readOnly = data[i].uValue == kTXNReadOnly;
        } else if (tags[i] == kTXNMarginsTag) {
            if (!data[i].marginsPtr)
                return paramErr;
            object->state.margins = *static_cast<const TXNMargins*>(data[i].marginsPtr);
        } else {
            return paramErr;
        }
    }
    return noErr;
}

OSStatus TXNGetTXNObjectControls(TXNObject ref, ItemCount count, const TXNControlTag tags[],
                                 TXNControlData data[]) {
    TextObject* object = Find(ref);
    if (!object)
        return kTXNInvalidObjectErr;
    for (ItemCount i = 0; i < count; ++i) {
        if (tags[i] == kTXNIOPrivilegesTag)
            data[i].uValue = object->state.readOnly ? kTXNReadOnly : kTXNReadWrite;
        else
            return paramErr;
    }
    return noErr;
}

OSStatus TXNSetBackground(TXNObject ref, const TXNBackground* background) {
    TextObject* object = Find(ref);
    if (!object)
        return kTXNInvalidObjectErr;
    if (!background)
        return paramErr;
    object->state.background = background->color;
    return noErr;
}

void TXNSetFrameBounds(TXNObject ref, SInt32 top, SInt32 left, SInt32 bottom, SInt32 right,
                       TXNFrameID) {
    if (TextObject* object = Find(ref))
        object->state.frame = Rect{static_cast<SInt16>(top), static_cast<SInt16>(left),
                                   static_cast<SInt16>(bottom), static_cast<SInt16>(right)};
}

void TXNGetViewRect(TXNObject ref, Rect* rect) {
    if (TextObject* object = Find(ref); object && rect)
        *rect = object->state.frame;
}

OSStatus TXNActivate(TXNObject ref, TXNFrameID, TXNScrollBarState) {
    TextObject* object = Find(ref);
    if (!object)
        return kTXNInvalidObjectErr;
    object->state.active = true;
    return noErr;
}

void TXNFocus(TXNObject ref, Boolean focus) {
    if (TextObject* object = Find(ref))
        object->state.focused = focus;
}

void TXNDraw(TXNObject ref, GWorldPtr) {
    if (TextObject* object = Find(ref))
        ++object->state.drawCount;
}

OSStatus TXNSetSelection(TXNObject ref, TXNOffset start, TXNOffset end) {
    TextObject* object = Find(ref);
    if (!object)
        return kTXNInvalidObjectErr;
    const TXNOffset size = static_cast<TXNOffset>(object->text.size());
    object->state.selectionStart = std::min(start, size);
    object->state.selectionEnd = std::clamp(end, object->state.selectionStart, size);
    return noErr;
}

void TXNGetSelection(TXNObject ref, TXNOffset* start, TXNOffset* end) {
    TextObject* object = Find(ref);
    if (start)
        *start = object ? object->state.selectionStart : 0;
    if (end)
        *end = object ? object->state.selectionEnd : 0;
}

namespace test {
TextObjectState ReadTextObject(TXNObject ref) {
    TextObject* object = Find(ref);
    if (!object)
        return {};
    TextObjectState state = object->state;
    state.text = object->text;
    return state;
}
} // namespace test

} // namespace tbx
