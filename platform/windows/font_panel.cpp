#include "platform/windows/font_panel.h"

#include <cstring>
#include <map>

#include "platform/handle_table.h"

namespace tbx {

namespace {

struct StyleAttributes {
    std::map<ATSUAttributeTag, std::vector<uint8_t>> attributes;
};

struct Panel {
    TypedHandleTable<ATSUStyle, StyleAttributes> styles;
    bool visible = false;
    test::FontSelection selection;
};

Panel& ThePanel() {
    static Panel panel;
    return panel;
}

} // namespace

OSStatus ATSUCreateStyle(ATSUStyle* outStyle) {
    if (!outStyle)
        return paramErr;
    *outStyle = ThePanel().styles.Add(std::make_unique<StyleAttributes>());
    return noErr;
}

OSStatus ATSUDisposeStyle(ATSUStyle style) {
    return ThePanel().styles.Remove(style) ? noErr : kATSUInvalidStyleErr;
}

OSStatus ATSUSetAttributes(ATSUStyle ref, UInt32 count, const ATSUAttributeTag tags[],
                           const ByteCount sizes[], const ATSUAttributeValuePtr values[]) {
    StyleAttributes* style = ThePanel().styles.Get(ref);
    if (!style)
        return kATSUInvalidStyleErr;
    if (count && (!tags || !sizes || !values))
        return paramErr;
    for (UInt32 i = 0; i < count; ++i) {
        if (!values[i])
            return paramErr;
        auto bytes = static_cast<const uint8_t*>(values[i]);
        style->attributes[tags[i]].assign(bytes, bytes + sizes[i]);
    }
    return noErr;
}

OSStatus ATSUGetAttribute(ATSUStyle ref, ATSUAttributeTag tag, ByteCount size, void* value,
                          ByteCount* actualSize) {
    StyleAttributes* style = ThePanel().styles.Get(ref);
    if (!style)
        return kATSUInvalidStyleErr;
    auto found = style->attributes.find(tag);
    if (found == style->attributes.end())
        return paramErr;
    if (actualSize)
        *actualSize = found->second.size();
    if (value) {
        if (size < found->second.size())
            return paramErr;
        std::memcpy(value, found->second.data(), found->second.size());
    }
    return noErr;
}

OSStatus FPShowHideFontPanel() {
    ThePanel().visible = !ThePanel().visible;
    return noErr;
}

Boolean FPIsFontPanelVisible() {
    return ThePanel().visible;
}

OSStatus SetFontInfoForSelection(OSType styleType, UInt32 numStyles, void* styles,
                                 EventTargetRef target) {
    if (styleType != kFontSelectionATSUIType || (numStyles && !styles))
        return paramErr;
    test::FontSelection selection;
    selection.given = true;
    selection.target = target;
    if (numStyles) {
        ATSUStyle style = static_cast<ATSUStyle*>(styles)[0];
        if (!ThePanel().styles.Get(style))
            return kATSUInvalidStyleErr;
        ATSUGetAttribute(style, kATSUFontTag, sizeof selection.font, &selection.font, nullptr);
        ATSUGetAttribute(style, kATSUSizeTag, sizeof selection.size, &selection.size, nullptr);
    }
    ThePanel().selection = selection;
    return noErr;
}

namespace test {
FontSelection LastFontSelection() {
    return ThePanel().selection;
}
void ResetFontPanel() {
    ThePanel().visible = false;
    ThePanel().selection = FontSelection{};
}
} // namespace test

} // namespace tbx
