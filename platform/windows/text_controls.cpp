// Static text and edit text: text kept as UTF-16, given as CFStrings or Mac Roman bytes; the
// edit field adds a selection and a key filter.
#include <algorithm>

#include "platform/text_encoding.h"
#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"

namespace tbx {

using namespace windows_detail;

namespace {

void SetText(Control& c, std::u16string text) {
    c.text = std::move(text);
    c.selectionStart = c.selectionEnd = static_cast<SInt16>(c.text.size());
}

class Texts final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control& c, Point) const override {
        return c.kind == ControlKind::EditText ? kControlEditTextPart : kControlNoPart;
    }

    bool TakesFocus(const Control& c) const override { return c.kind == ControlKind::EditText; }

    bool ShowsText() const override { return true; }

    OSStatus SetData(Control& c, OSType tag, UInt32 size, const void* data) const override {
        if (tag == kControlStaticTextCFStringTag) {
            CFStringRef string = nullptr;
            if (OSStatus status = ReadValue(data, size, string); status != noErr || !string)
                return paramErr;
            SetText(c, string->Text());
            return noErr;
        }
        if (tag == kControlStaticTextTextTag) {
            if (size && !data)
                return paramErr;
            std::u16string text;
            text::Decode(static_cast<const uint8_t*>(data), size, kCFStringEncodingMacRoman, false,
                         text);
            SetText(c, std::move(text));
            return noErr;
        }
        if (c.kind != ControlKind::EditText)
            return errDataNotSupported;
        if (tag == kControlEditTextSelectionTag) {
            ControlEditTextSelectionRec selection;
            if (OSStatus status = ReadValue(data, size, selection); status != noErr)
                return status;
            const SInt16 length = static_cast<SInt16>(c.text.size());
            c.selectionStart = std::clamp<SInt16>(selection.selStart, 0, length);
            c.selectionEnd = std::clamp<SInt16>(selection.selEnd, c.selectionStart, length);
            return noErr;
        }
        if (tag == kControlEditTextKeyFilterTag) {
            ControlKeyFilterUPP filter = nullptr;
            if (OSStatus status = ReadValue(data, size, filter); status != noErr)
                return status;
            c.keyFilter = reinterpret_cast<void*>(filter);
            return noErr;
        }
        return errDataNotSupported;
    }

    OSStatus GetData(const Control& c, OSType tag, UInt32 bufferSize, void* data,
                     UInt32* actualSize) const override {
        if (tag == kControlStaticTextCFStringTag) {
            if (actualSize)
                *actualSize = sizeof(CFStringRef);
            if (!data)
                return noErr;
            if (bufferSize < sizeof(CFStringRef))
                return paramErr;
            CFStringRef copy = new CFString(c.text);
            std::memcpy(data, &copy, sizeof copy);
            return noErr;
        }
        if (tag == kControlStaticTextTextTag) {
            std::string bytes;
            for (char16_t ch : c.text) {
                const int b = text::UnicodeToMacRoman(ch);
                bytes.push_back(static_cast<char>(b < 0 ? '?' : b));
            }
            if (actualSize)
                *actualSize = static_cast<UInt32>(bytes.size());
            if (data)
                std::memcpy(data, bytes.data(), std::min<std::size_t>(bufferSize, bytes.size()));
            return noErr;
        }
        if (c.kind != ControlKind::EditText)
            return errDataNotSupported;
        if (tag == kControlEditTextSelectionTag)
            return WriteValue(ControlEditTextSelectionRec{c.selectionStart, c.selectionEnd},
                              bufferSize, data, actualSize);
        if (tag == kControlEditTextKeyFilterTag)
            return WriteValue(reinterpret_cast<ControlKeyFilterUPP>(c.keyFilter), bufferSize, data,
                              actualSize);
        return errDataNotSupported;
    }
};

} // namespace

namespace windows_detail {

const ControlFamily& TextFamily() {
    static const Texts family;
    return family;
}

} // namespace windows_detail

OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::StaticText, outControl, &c);
    if (status == noErr) {
        c->text = TextOf(text);
        if (style)
            c->fontStyle = *style;
    }
    return status;
}

OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                      Boolean isPassword, const ControlFontStyleRec* style,
                                      ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::EditText, outControl, &c);
    if (status == noErr) {
        SetText(*c, TextOf(text));
        c->password = isPassword;
        if (style)
            c->fontStyle = *style;
    }
    return status;
}

} // namespace tbx
