#include "platform/prefs/property_list.h"

#include <charconv>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <vector>

#include "platform/cf_data.h"
#include "platform/cf_number.h"
#include "platform/cf_string.h"
#include "platform/text_encoding.h"
#include "platform/xml/safe_document.h"

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

std::string Escape(const std::u16string& text) {
    std::string out;
    for (char32_t c : text::Utf16ToUtf32(text)) {
        if (xml::IsCarriedRaw(c, true)) {
            // A byte that was not UTF-8 when read, or a control character, goes out as it
            // is, as other writers of these lists do; no form of XML 1.0 could carry it.
            text::AppendUtf8Escaped(out, c);
            continue;
        }
        if (!xml::IsXmlCharacter(c))
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

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

CFTypeRef MakeFragment(xmlDocPtr document, xmlNodePtr node, const xml::StandIns& standIns) {
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, document, node, 0, 0);
    std::string dumped(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                       static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return new Fragment(standIns.Bytes(dumped));
}

CFTypeRef ReadValue(xmlDocPtr document, xmlNodePtr node, const xml::StandIns& standIns) {
    const std::string name = reinterpret_cast<const char*>(node->name);
    if (name == "string")
        return new CFString(standIns.Utf16(Content(node).c_str()));
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
    xml::StandIns standIns(true);
    xmlDocPtr document =
        xml::ReadDocument(bytes, XML_PARSE_NOERROR | XML_PARSE_NOWARNING, standIns);
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
        result.Set(standIns.Utf16(Content(node).c_str()), object);
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
