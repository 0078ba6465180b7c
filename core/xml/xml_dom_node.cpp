#include "core/xml/xml_dom_node.h"

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "core/codec/base64.h"

#include "core/strings/string_functions.h"
#include "core/strings/wide_text.h"

int32_t CBK_XmlDomNode::m_EncodingType = 0;

namespace {

struct NamedReference {
    const wchar_t* text;
    std::size_t length;
    wchar_t character;
};

constexpr NamedReference kNamed[] = {
    {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''}, {L"&amp;", 5, L'&'},
    {L"&lt;", 4, L'<'},   {L"&gt;", 4, L'>'},
};

// A "&#x...;" reference at `at`: its length and character, or 0.
std::size_t MatchHexReference(const std::wstring& text, std::size_t at, wchar_t& character) {
    constexpr std::size_t kMaxDigits = 8;
    if (text.compare(at, 3, L"&#x") != 0)
        return 0;
    std::size_t i = at + 3;
    uint32_t value = 0;
    while (i < text.size() && i - (at + 3) < kMaxDigits && BK_HexDigitValue(text[i]) >= 0)
        value = value << 4 | static_cast<uint32_t>(BK_HexDigitValue(text[i++]));
    if (i == at + 3 || i >= text.size() || text[i] != L';')
        return 0;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    character = static_cast<wchar_t>(value);
    return i + 1 - at;
}

} // namespace

std::wstring CBK_XmlDomNode::DecodeReferences(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != L'&') {
            out += text[i++];
            continue;
        }
        std::size_t length = 0;
        wchar_t character = 0;
        for (const NamedReference& named : kNamed) {
            if (text.compare(i, named.length, named.text) == 0) {
                length = named.length;
                character = named.character;
                break;
            }
        }
        if (length == 0)
            length = MatchHexReference(text, i, character);
        if (length == 0) {
            out += text[i++];
        } else {
            out += character;
            i += length;
        }
    }
    return out;
}

bool CBK_XmlDomNode::GetNodeName(CBK_String& name) const {
    if (!_element)
        return false;
    tbx::CFStringRef string = tbx::CFXMLNodeGetString(tbx::CFXMLTreeGetNode(_element));
    if (!string)
        return false;
    return name.SetString(string);
}

std::wstring CBK_XmlDomNode::GetNodeName() const {
    CBK_String name;
    return GetNodeName(name) ? std::wstring(name.GetConstString()) : std::wstring();
}

bool CBK_XmlDomNode::GetChildren(CBK_XmlDomNodeList& list) const {
    list._element = _element;
    list._documentPath = _documentPath;
    return true;
}

bool CBK_XmlDomNode::GetChild(CBK_XmlDomNode& out) const {
    tbx::CFTreeRef child = tbx::CFTreeGetFirstChild(_element);
    if (!child || out.HasElement())
        return false;
    out._element = child;
    out._value = nullptr;
    out._documentPath = _documentPath;
    return true;
}

bool CBK_XmlDomNode::GetAttributes(CBK_XmlDomNamedNodeMap& map) const {
    tbx::CFXMLNodeRef node = tbx::CFXMLTreeGetNode(_element);
    auto* info = static_cast<const tbx::CFXMLElementInfo*>(tbx::CFXMLNodeGetInfoPtr(node));
    if (!info)
        return false;
    map._info = info;
    map._node = node;
    map._documentPath = _documentPath;
    return true;
}

bool CBK_XmlDomNode::GetText(CBK_String& text, const wchar_t* def) const {
    if (_element) {
        tbx::CFTreeRef child = tbx::CFTreeGetFirstChild(_element);
        tbx::CFStringRef string = tbx::CFXMLNodeGetString(tbx::CFXMLTreeGetNode(child));
        if (!string)
            return false;
        return text.SetString(string);
    }
    if (_value) {
        // Carriage-return line ends read as a carriage return; a lone line feed is kept.
        const std::wstring value = BK_WidenCFString(_value);
        std::wstring out;
        out.reserve(value.size());
        for (std::size_t i = 0; i < value.size(); ++i)
            if (!(value[i] == L'\n' && i > 0 && value[i - 1] == L'\r'))
                out += value[i];
        return text.SetString(out.c_str());
    }
    text.SetString(def ? def : L"");
    return false;
}

std::wstring CBK_XmlDomNode::GetText(const wchar_t* def) const {
    CBK_String text;
    return GetText(text, def) ? std::wstring(text.GetConstString()) : std::wstring();
}

bool CBK_XmlDomNode::GetSafeText(CBK_String& text, const wchar_t* def) const {
    if (!GetText(text, def))
        return false;
    return text.SetString(DecodeReferences(text.GetConstString()).c_str());
}

std::wstring CBK_XmlDomNode::GetSafeText(const wchar_t* def) const {
    CBK_String text;
    return GetSafeText(text, def) ? std::wstring(text.GetConstString()) : std::wstring();
}

int32_t CBK_XmlDomNode::GetTextAsNumber(int32_t def) const {
    CBK_String text;
    return GetText(text, nullptr) ? text.GetAsNumber() : def;
}

int32_t CBK_XmlDomNode::GetTextAsS32(int32_t def) const {
    CBK_String text;
    return GetText(text, nullptr) ? text.GetAsS32() : def;
}

uint32_t CBK_XmlDomNode::GetTextAsU32(uint32_t def) const {
    CBK_String text;
    return GetText(text, nullptr) ? text.GetAsU32() : def;
}

double CBK_XmlDomNode::GetTextAsFloat(double def) const {
    CBK_String text;
    return GetText(text, nullptr) ? text.GetAsFloat() : def;
}

bool CBK_XmlDomNode::TextIsTrue() const {
    CBK_String text;
    return GetText(text, nullptr) && text.CompareTo(L"true", false);
}

bool CBK_XmlDomNode::GetTextAsPath(CBK_Path& path) const {
    CBK_String text;
    // A name keeps its line ends as they were: folding them would name another file.
    if (_value ? !text.SetString(_value) : !GetText(text, nullptr))
        return false;
    CBK_Path value(text.GetConstString());
    if (value.IsRelative())
        value.Set(BK_PathAbsoluteFromRelative(value, _documentPath).c_str());
    path = value;
    return true;
}

namespace {

bool DecodeBase64(const CBK_String& text, CBK_Base64& decoded) {
    const std::string bytes = BK_StringWideToAnsi(text.GetConstString());
    return decoded.Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

} // namespace

bool CBK_XmlDomNode::GetBinaryData(unsigned char* buffer, int32_t max, int32_t* size) const {
    CBK_String text;
    CBK_Base64 decoded;
    if (!GetText(text, nullptr) || !DecodeBase64(text, decoded) || max < 0 ||
        decoded.GetSize() > static_cast<std::size_t>(max) || (!buffer && decoded.GetSize() > 0))
        return false;
    if (decoded.GetSize() > 0)
        std::memcpy(buffer, decoded.GetData(), decoded.GetSize());
    if (size)
        *size = static_cast<int32_t>(decoded.GetSize());
    return true;
}

bool CBK_XmlDomNode::GetDecodedText(CBK_String& text, const wchar_t* def) const {
    CBK_String encoded;
    CBK_Base64 decoded;
    if (!GetText(encoded, nullptr) || !DecodeBase64(encoded, decoded)) {
        text.SetString(def ? def : L"");
        return false;
    }
    std::wstring value;
    if (m_EncodingType != 0) {
        const std::size_t count = decoded.GetSize() / sizeof(wchar_t);
        value.resize(count);
        if (count > 0)
            std::memcpy(value.data(), decoded.GetData(), count * sizeof(wchar_t));
        // The text ends at its first null character, as a terminated string does.
        value.resize(std::wcslen(value.c_str()));
    } else {
        const char* bytes = reinterpret_cast<const char*>(decoded.GetData());
        value = BK_StringAnsiToWide(std::string(bytes, decoded.GetSize()).c_str());
    }
    return text.SetString(value.c_str());
}

std::wstring CBK_XmlDomNode::GetDecodedText(const wchar_t* def) const {
    CBK_String text;
    return GetDecodedText(text, def) ? std::wstring(text.GetConstString()) : std::wstring();
}

void CBK_XmlDomNode::Destroy() {
    _element = nullptr;
    _value = nullptr;
}

int32_t CBK_XmlDomNodeList::GetListLength() const {
    return static_cast<int32_t>(tbx::CFTreeGetChildCount(_element));
}

bool CBK_XmlDomNodeList::GetChild(int32_t index, CBK_XmlDomNode& out) const {
    tbx::CFTreeRef child = tbx::CFTreeGetChildAtIndex(_element, index);
    if (!child || out.HasElement())
        return false;
    out._element = child;
    out._value = nullptr;
    out._documentPath = _documentPath;
    return true;
}

bool CBK_XmlDomNamedNodeMap::GetItem(const char* name, CBK_XmlDomNode& out) const {
    if (!_info || !name)
        return false;
    tbx::CFStringRef key =
        tbx::CFStringCreateWithCString(nullptr, name, tbx::kCFStringEncodingUTF8);
    tbx::CFTypeRef value = tbx::CFDictionaryGetValue(_info->attributes, key);
    tbx::CFRelease(key);
    if (!value || tbx::CFGetTypeID(value) != tbx::CFStringGetTypeID())
        return false;
    out._element = nullptr;
    out._value = static_cast<tbx::CFStringRef>(value);
    out._documentPath = _documentPath;
    return true;
}
