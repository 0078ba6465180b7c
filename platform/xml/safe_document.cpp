#include "platform/xml/safe_document.h"

#include <cctype>
#include <climits>
#include <libxml/parser.h>
#include <mutex>
#include <vector>

#include "platform/text_encoding.h"

namespace tbx::xml {

namespace {

// Stand-ins come from plane 15 (private use), 256 at a time: one block the document does not
// use. Offsets below 0x20 stand for control characters, 0x7E and 0x7F for U+FFFE and U+FFFF,
// 0x80 and above for the bytes of byte escapes.
constexpr char32_t kFirstStandIn = 0xF0000;
constexpr char32_t kStandInBlocks = 0xFF; // the plane less its last block

// A document that says it is not UTF-8, or starts with a wider form, is the parser's.
bool LeftToParser(std::string_view bytes) {
    if (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0' || (uint8_t(bytes[0]) >= 0xFE)))
        return true;
    if (bytes.substr(0, 5) != "<?xml")
        return false;
    const std::string_view head = bytes.substr(0, bytes.find("?>"));
    const std::size_t at = head.find("encoding=");
    if (at == std::string_view::npos || at + 9 >= head.size())
        return false;
    std::string name(head.substr(at + 10, head.find(head[at + 9], at + 10) - (at + 10)));
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name != "utf-8" && name != "utf8";
}

// Whether any byte is not UTF-8 or any character is one to be carried raw.
bool NeedsStandIns(std::string_view bytes, bool controls) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = p[i];
        int n = 1;
        if (c >= 0x80 && (n = text::DecodeUtf8Sequence(p + i, bytes.size() - i, c)) == 0)
            return true;
        if (IsCarriedRaw(c, controls))
            return true;
        i += std::size_t(n);
    }
    return false;
}

// The parse under way on this thread, for the handlers below.
struct Parse {
    xmlParserCtxtPtr context;
    bool entityMet = false;
};
thread_local Parse* tParse = nullptr;

void Refuse() {
    tParse->entityMet = true;
    xmlStopParser(tParse->context);
}

void RefuseEntity(void*, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
    Refuse();
}

void RefuseUnparsedEntity(void*, const xmlChar*, const xmlChar*, const xmlChar*, const xmlChar*) {
    Refuse();
}

// libxml2 hands on, rather than replaces, a reference to an entity that an outside document
// type would have to declare; it has no text to give.
void RefuseReference(void*, const xmlChar*) {
    Refuse();
}

} // namespace

bool IsXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsCarriedRaw(char32_t c, bool controls) {
    if (text::IsByteEscape(c))
        return true;
    return controls && (c < 0x20 || c == 0xFFFE || c == 0xFFFF) && !IsXmlCharacter(c);
}

std::string_view StandIns::Prepare(std::string_view bytes, std::string& converted) {
    _base = 0;
    if (LeftToParser(bytes) || !NeedsStandIns(bytes, _controls))
        return bytes;
    const std::u32string wide = text::Utf8ToUtf32Escaped(bytes);
    std::vector<bool> used(kStandInBlocks);
    for (char32_t c : wide)
        if (c >= kFirstStandIn && c < kFirstStandIn + kStandInBlocks * 0x100)
            used[(c - kFirstStandIn) >> 8] = true;
    for (char32_t block = 0; block < kStandInBlocks; ++block) {
        if (used[block])
            continue;
        _base = kFirstStandIn + block * 0x100;
        converted.clear();
        converted.reserve(bytes.size() + bytes.size() / 2);
        for (char32_t c : wide) {
            if (!IsCarriedRaw(c, _controls))
                text::AppendUtf8(converted, c);
            else if (text::IsByteEscape(c))
                text::AppendUtf8(converted, _base + (c - 0xDC00));
            else
                text::AppendUtf8(converted, _base + (c < 0x20 ? c : c - 0xFFFE + 0x7E));
        }
        return converted;
    }
    return bytes; // every block in use: the parser decides
}

char32_t StandIns::Restored(char32_t c) const {
    if (!_base || c < _base || c > _base + 0xFF)
        return c;
    const char32_t offset = c - _base;
    if (offset >= 0x80)
        return text::EscapeByte(uint8_t(offset));
    if (offset < 0x20)
        return offset;
    return offset >= 0x7E ? 0xFFFE + (offset - 0x7E) : c;
}

std::u16string StandIns::Utf16(const char* utf8) const {
    std::u16string units;
    if (utf8)
        text::Utf8ToUtf16(utf8, units);
    if (!_base)
        return units;
    std::u16string restored;
    for (char32_t c : text::Utf16ToUtf32(units))
        text::AppendUtf16(restored, Restored(c));
    return restored;
}

std::string StandIns::Bytes(std::string_view utf8) const {
    if (!_base)
        return std::string(utf8);
    std::u16string units;
    text::Utf8ToUtf16(utf8, units);
    std::u32string restored = text::Utf16ToUtf32(units);
    for (char32_t& c : restored)
        c = Restored(c);
    return text::Utf32ToUtf8Escaped(restored);
}

xmlDocPtr ReadDocument(std::string_view bytes, int options, StandIns& standIns) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });
    std::string converted;
    const std::string_view text = standIns.Prepare(bytes, converted);
    if (text.empty() || text.size() > INT_MAX)
        return nullptr;
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context)
        return nullptr;
    // Refused at the declaration, before any reference is expanded even once.
    context->sax->entityDecl = RefuseEntity;
    context->sax->unparsedEntityDecl = RefuseUnparsedEntity;
    context->sax->reference = RefuseReference;
    Parse parse{context};
    tParse = &parse;
    xmlDocPtr document = xmlCtxtReadMemory(context, text.data(), int(text.size()), nullptr, nullptr,
                                           options | XML_PARSE_NONET);
    tParse = nullptr;
    xmlFreeParserCtxt(context);
    if (document && parse.entityMet) {
        xmlFreeDoc(document);
        return nullptr;
    }
    return document;
}

} // namespace tbx::xml
