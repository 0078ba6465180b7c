// CBK_ImageFilter: the base of every image filter: a display name, its settings, a Filter
// that rewrites a 24-bit CBK_Image in place, the controls that edit its settings inside the
// filter dialog, an XML form and a settings-changed event.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/events/event.h"
#include "core/xml/xml_dom_node.h"
#include "core/xml/xml_writer.h"
#include "media/image/image.h"
#include "platform/windows/carbon_types.h"

class CBK_Dialog;

class CBK_ImageFilter {
public:
    CBK_ImageFilter() = default;
    CBK_ImageFilter(const CBK_ImageFilter&) = delete;
    CBK_ImageFilter& operator=(const CBK_ImageFilter&) = delete;
    virtual ~CBK_ImageFilter() = default;

    // A new filter of the same class with the same settings (no handlers), owned by the caller.
    virtual CBK_ImageFilter* MakeCopy();
    // Rewrites the image in place; the base leaves it as it is.
    virtual bool Filter(CBK_Image& image);
    // Builds the setting controls in `area` of the dialog's window, growing the dialog to
    // make room; the base has none.
    virtual bool InitControls(CBK_Dialog& dialog, tbx::Rect& area);
    // Destroys the controls that InitControls built.
    virtual bool KillControls();
    // True when the code is one of this filter's controls (its handler has run).
    virtual bool OnCommand(uint32_t code, tbx::EventRef& event);
    virtual bool OnNotify(int32_t, int32_t) { return false; }
    virtual bool OnScroll(int32_t, int32_t) { return false; }
    // Reads the filter's own attributes, stored as they stand; missing ones keep their value.
    virtual bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes);
    // Writes the filter's own attributes, each as `" name="value` (see WriteXml).
    virtual bool _WriteXmlSettings(CBK_XmlWriter& writer);

    void SetFilterName(const wchar_t* name) { m_strName = name ? name : L""; }
    const std::wstring& GetFilterName() const { return m_strName; }

    // Grows the dialog's height by `pixels`.
    static void ExpandDialogHeight(CBK_Dialog& dialog, int32_t pixels);

    // `<filter name="NAME" ... />` and a newline; always true.
    bool WriteXml(CBK_XmlWriter& writer);
    // The element's attributes through _ReadXmlSettings; always true.
    bool ReadXml(CBK_XmlDomNode& element);

    // Fired with the filter whenever a setting changes through a setter or a control.
    TBK_Event<CBK_ImageFilter*> m_evSettingsChanged;

protected:
    // Stores a new value and fires the event; nothing when it is unchanged.
    template <typename T>
    void _ChangeSetting(T& setting, T value) {
        if (setting == value)
            return;
        setting = value;
        m_evSettingsChanged.Fire(this);
    }

    // One attribute of _WriteXmlSettings: `" name="` and the value (integers in decimal,
    // doubles in general notation with up to six significant digits).
    static void _WriteAttribute(CBK_XmlWriter& writer, const char* name, int32_t value);
    static void _WriteAttribute(CBK_XmlWriter& writer, const char* name, double value);
    static void _WriteAttribute(CBK_XmlWriter& writer, const char* name, const char* value);
    // The attribute's value into `value` when it is present.
    static void _ReadAttribute(CBK_XmlDomNamedNodeMap& attributes, const char* name,
                               int32_t& value);
    static void _ReadAttribute(CBK_XmlDomNamedNodeMap& attributes, const char* name, double& value);

    std::wstring m_strName;
};

// Settings are stored as read, but Filter works with them held to their controls' range, so
// that no stored value can ask for a huge window, table or coordinate.
inline int32_t BK_FilterSetting(int32_t value, int32_t low, int32_t high) {
    return std::clamp(value, low, high);
}
inline double BK_FilterSetting(double value, double low, double high) {
    return value >= low ? std::min(value, high) : low; // NaN gives the low end
}
// A double setting as the whole number its controls show: truncated, saturated to 32 bits,
// NaN as 0 (a value read from a file may be anything).
inline int32_t BK_TruncateSetting(double value) {
    if (!(value == value))
        return 0;
    if (value <= -2147483648.0)
        return INT32_MIN;
    if (value >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(value);
}
