#include "platform/prefs/property_list.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <mutex>
#include <vector>

#include "platform/cf_data.h"
#include "platform/cf_number.h"
#include "platform/cf_string.h"
#include "platform/text_encoding.h"

namespace tbx::plist {

namespace {

// A value of a kind the preferences do not use (array, dictionary, date), kept as written.
class Fragment : public CFObject {
public:
    explicit Fragment(std::string xml) : xml(std::move(xml)) {}
    std::string xml;
};

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const UInt8* bytes, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; i += 3) {
        const uint32_t chunk = static_cast<uint32_t>(bytes[i]) << 16 |
                               (i + 1 < n ? static_cast<uint32_t>(bytes[i + 1]) << 8 : 0) |
                               (i + 2 < n ? bytes[i + 2] : 0);
        out += kAlphabet[chunk >> 18 & 63];
        out += kAlphabet[chunk >> 12 & 63];
        out += i + 1 < n ? kAlphabet[chunk >> 6 & 63] : '=';
        out += i + 2 < n ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

bool Base64Decode(const std::string& text, std::vector<UInt8>& out) {
    uint32_t chunk = 0;
    int bits = 0;
    int padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const char* at = std::strchr(kAlphabet, c);
        if (!at || c == 0 || padding > 0)
            return false;
        chunk = chunk << 6 | static_cast<uint32_t>(at - kAlphabet);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<UInt8>(chunk >> bits));
        }
    }
    return padding <= 2;
}

bool IsXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

std::string Escape(const std::u16string& text) {
    std::string out;
    for (char32_t c : text::Utf16ToUtf32(text)) {
        if (text::IsByteEscape(c)) {
            // A byte that was not UTF-8 when read goes back as it was.
            text::AppendUtf8Escaped(out, c);
            continue;
        }
        if (!IsXmlCharacter(c))
            continue;
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r': // a raw one would be read back as a line feed
            out += "&#13;";
            break;
        default:
            text::AppendUtf8(out, c);
        }
    }
    return out;
}

std::string Content(xmlNodePtr node) {
    xmlChar* text = xmlNodeGetContent(node);
    std::string out = text ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return out;
}

// Bytes that are not UTF-8 reach the XML parser as characters of a private-use block that
// the list does not otherwise hold, and come out of it as byte escapes.
class ByteStandIns {
public:
    // The list as the parser can take it.
    std::string Prepare(const std::string& bytes) {
        std::u16string checked;
        if (text::Utf8ToUtf16(bytes, checked) || DeclaresOtherEncoding(bytes))
            return bytes;
        const std::u32string wide = text::Utf8ToUtf32Escaped(bytes);
        constexpr char32_t kFirst = 0xF0000, kBlocks = 0xFF; // plane 15, less its last block
        std::vector<bool> used(kBlocks);
        for (char32_t c : wide)
            if (c >= kFirst && c < kFirst + kBlocks * 0x100)
                used[(c - kFirst) >> 8] = true;
        for (char32_t block = 0; block < kBlocks; ++block) {
            if (used[block])
                continue;
            _base = kFirst + block * 0x100;
            std::string out;
            out.reserve(bytes.size() + bytes.size() / 2);
            for (char32_t c : wide)
                text::AppendUtf8(out, text::IsByteEscape(c) ? _base + (c - 0xDC00) : c);
            return out;
        }
        return bytes; // every block in use: the parser decides
    }

    // Parser output with the stand-ins back as the bytes they were.
    std::string Bytes(const std::string& utf8) const {
        if (!_base)
            return utf8;
        std::u16string units;
        text::Utf8ToUtf16(utf8, units);
        return text::Utf16ToUtf8Escaped(Utf16Restored(units));
    }

    std::u16string Utf16(const std::string& utf8) const {
        std::u16string out;
        text::Utf8ToUtf16(utf8, out);
        return _base ? Utf16Restored(out) : out;
    }

private:
    // A list that says it is not UTF-8 is the parser's to decode.
    static bool DeclaresOtherEncoding(const std::string& bytes) {
        const std::string head = bytes.substr(0, bytes.find("?>"));
        const std::size_t at = head.find("encoding=");
        if (head.compare(0, 5, "<?xml") != 0 || at == std::string::npos || at + 9 >= head.size())
            return false;
        std::string name = head.substr(at + 10, head.find(head[at + 9], at + 10) - (at + 10));
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name != "utf-8" && name != "utf8";
    }

    std::u16string Utf16Restored(const std::u16string& out) const {
        std::u16string restored;
        for (char32_t c : text::Utf16ToUtf32(out))
            text::AppendUtf16(restored, c >= _base + 0x80 && c <= _base + 0xFF
                                            ? text::EscapeByte(static_cast<uint8_t>(c - _base))
                                            : c);
        return restored;
    }

    char32_t _base = 0;
};

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

CFTypeRef MakeFragment(xmlDocPtr document, xmlNodePtr node, const ByteStandIns& standIns) {
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, document, node, 0, 0);
    std::string xml(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                    static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return new Fragment(standIns.Bytes(xml));
}

CFTypeRef ReadValue(xmlDocPtr document, xmlNodePtr node, const ByteStandIns& standIns) {
    const std::string name = reinterpret_cast<const char*>(node->name);
    if (name == "string")
        return new CFString(standIns.Utf16(Content(node)));
    if (name == "true")
        return CFRetain(kCFBooleanTrue);
    if (name == "false")
        return CFRetain(kCFBooleanFalse);
    if (name == "integer") {
        std::string text = Trimmed(Content(node));
        if (!text.empty() && text[0] == '+')
            text.erase(0, 1);
        int64_t v = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (error == std::errc() && end == text.data() + text.size() && !text.empty())
            return CFNumber::Integer(v);
    } else if (name == "real") {
        const std::string text = Trimmed(Content(node));
        double v = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (error == std::errc() && end == text.data() + text.size() && !text.empty())
            return CFNumber::Real(v, false);
    } else if (name == "data") {
        std::vector<UInt8> bytes;
        if (Base64Decode(Content(node), bytes))
            return CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
    }
    return MakeFragment(document, node, standIns);
}

xmlNodePtr NextElement(xmlNodePtr node) {
    while (node && node->type != XML_ELEMENT_NODE)
        node = node->next;
    return node;
}

void WriteValue(std::string& out, CFTypeRef value) {
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID()) {
        out += "<string>" + Escape(static_cast<CFStringRef>(value)->Text()) + "</string>";
    } else if (type == CFBooleanGetTypeID()) {
        out += CFBooleanGetValue(static_cast<CFBooleanRef>(value)) ? "<true/>" : "<false/>";
    } else if (type == CFNumberGetTypeID()) {
        auto number = static_cast<CFNumberRef>(value);
        char text[64];
        std::to_chars_result r;
        if (!number->IsReal())
            r = std::to_chars(text, text + sizeof text, number->IntegerValue());
        else if (number->IsSingle())
            r = std::to_chars(text, text + sizeof text, static_cast<float>(number->RealValue()));
        else
            r = std::to_chars(text, text + sizeof text, number->RealValue());
        out += number->IsReal() ? "<real>" : "<integer>";
        out.append(text, r.ptr);
        out += number->IsReal() ? "</real>" : "</integer>";
    } else if (type == CFDataGetTypeID()) {
        auto data = static_cast<CFDataRef>(value);
        out +=
            "<data>" +
            Base64Encode(CFDataGetBytePtr(data), static_cast<std::size_t>(CFDataGetLength(data))) +
            "</data>";
    } else if (auto* fragment = dynamic_cast<const Fragment*>(value)) {
        out += fragment->xml;
    } else {
        out += "<string></string>";
    }
}

} // namespace

Dictionary::Dictionary(const Dictionary& other) {
    for (const auto& [key, value] : other._entries)
        _entries.emplace(key, CFRetain(value));
}

Dictionary& Dictionary::operator=(const Dictionary& other) {
    if (this != &other) {
        Clear();
        for (const auto& [key, value] : other._entries)
            _entries.emplace(key, CFRetain(value));
    }
    return *this;
}

Dictionary::~Dictionary() {
    Clear();
}

void Dictionary::Clear() {
    for (auto& entry : _entries)
        CFRelease(entry.second);
    _entries.clear();
}

void Dictionary::Set(const std::u16string& key, CFTypeRef value) {
    auto found = _entries.find(key);
    if (found != _entries.end()) {
        CFRelease(found->second);
        _entries.erase(found);
    }
    if (value)
        _entries.emplace(key, CFRetain(value));
}

CFTypeRef Dictionary::Find(const std::u16string& key) const {
    auto found = _entries.find(key);
    return found == _entries.end() ? nullptr : found->second;
}

bool Parse(const std::string& bytes, Dictionary& out) {
    if (Trimmed(bytes).empty())
        return true;
    if (bytes.size() > INT_MAX)
        return false;
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });
    ByteStandIns standIns;
    const std::string text = standIns.Prepare(bytes);
    if (text.size() > INT_MAX)
        return false;
    xmlDocPtr document = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!document)
        return false;
    xmlNodePtr root = xmlDocGetRootElement(document);
    xmlNodePtr dict = root ? NextElement(root->children) : nullptr;
    if (!root || std::strcmp(reinterpret_cast<const char*>(root->name), "plist") != 0 || !dict ||
        std::strcmp(reinterpret_cast<const char*>(dict->name), "dict") != 0) {
        xmlFreeDoc(document);
        return false;
    }
    Dictionary result;
    for (xmlNodePtr node = NextElement(dict->children); node;) {
        xmlNodePtr value = NextElement(node->next);
        if (std::strcmp(reinterpret_cast<const char*>(node->name), "key") != 0 || !value) {
            xmlFreeDoc(document);
            return false;
        }
        CFTypeRef object = ReadValue(document, value, standIns);
        result.Set(standIns.Utf16(Content(node)), object);
        CFRelease(object);
        node = NextElement(value->next);
    }
    xmlFreeDoc(document);
    out = result;
    return true;
}

std::string Serialize(const Dictionary& dictionary) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : dictionary.Entries()) {
        out += "\t<key>" + Escape(key) + "</key>\n\t";
        WriteValue(out, value);
        out += '\n';
    }
    out += "</dict>\n</plist>\n";
    return out;
}

} // namespace tbx::plist
