// The document model handed out by the XML reader: element and attribute nodes, the list of
// an element's children and the map of its attributes. They refer into the reader's tree
// and are valid while the reader that produced them lives.
#pragma once

#include <cstdint>
#include <string>

#include "core/paths/path.h"
#include "core/strings/string.h"
#include "platform/xml/cf_xml_tree.h"

class CBK_XmlDomNodeList;
class CBK_XmlDomNamedNodeMap;

class CBK_XmlDomNode {
public:
    // 0: no or another encoding, 1: "UTF-8", 2: "UTF-16"; set by every successful Open of a
    // reader.
    static int32_t m_EncodingType;

    CBK_XmlDomNode() = default;

    bool GetNodeName(CBK_String& name) const;
    std::wstring GetNodeName() const;
    bool GetChildren(CBK_XmlDomNodeList& list) const;
    // False when there is no child or `out` already holds an element.
    bool GetChild(CBK_XmlDomNode& out) const;
    bool GetAttributes(CBK_XmlDomNamedNodeMap& map) const;

    // An element's text (its first child), or an attribute's value with CR LF read as CR.
    // False without text; an empty node gives `def`.
    bool GetText(CBK_String& text, const wchar_t* def) const;
    std::wstring GetText(const wchar_t* def) const;
    // The text with its references decoded once more.
    bool GetSafeText(CBK_String& text, const wchar_t* def) const;
    std::wstring GetSafeText(const wchar_t* def) const;
    int32_t GetTextAsNumber(int32_t def) const;
    int32_t GetTextAsS32(int32_t def) const;
    uint32_t GetTextAsU32(uint32_t def) const;
    double GetTextAsFloat(double def) const;
    bool TextIsTrue() const;
    // The text as a path; a relative one is taken from the document's place. `path` is
    // unchanged without text.
    bool GetTextAsPath(CBK_Path& path) const;
    // The base64 text's bytes when they fit into `max`.
    bool GetBinaryData(unsigned char* buffer, int32_t max, int32_t* size) const;
    // The base64 text's bytes as text: wide characters of four bytes each in memory order
    // when the document declares an encoding, else 8-bit text. A partial character at the end
    // is dropped. `def` and false without text or when decoding fails.
    bool GetDecodedText(CBK_String& text, const wchar_t* def) const;
    std::wstring GetDecodedText(const wchar_t* def) const;

    void Destroy();

    // Replaces, left to right, "&quot;", "&apos;", "&amp;", "&lt;", "&gt;" and "&#x" with
    // one to eight hexadecimal digits and ";" naming a character from U+0001 to U+10FFFF
    // other than a surrogate. Anything else stays as it is.
    static std::wstring DecodeReferences(const std::wstring& text);

private:
    friend class CBK_XmlDomParser;
    friend class CBK_XmlDomNodeList;
    friend class CBK_XmlDomNamedNodeMap;

    bool HasElement() const { return _element != nullptr; }

    tbx::CFXMLTreeRef _element = nullptr;
    tbx::CFStringRef _value = nullptr; // an attribute's value
    CBK_Path _documentPath;
};

class CBK_XmlDomNodeList {
public:
    int32_t GetListLength() const;
    // False when there is no such child or `out` already holds an element.
    bool GetChild(int32_t index, CBK_XmlDomNode& out) const;

private:
    friend class CBK_XmlDomNode;
    tbx::CFXMLTreeRef _element = nullptr;
    CBK_Path _documentPath;
};

class CBK_XmlDomNamedNodeMap {
public:
    // The attribute of exactly this name (UTF-8); `out` is rebound whatever it held.
    bool GetItem(const char* name, CBK_XmlDomNode& out) const;

private:
    friend class CBK_XmlDomNode;
    const tbx::CFXMLElementInfo* _info = nullptr;
    tbx::CFXMLNodeRef _node = nullptr;
    CBK_Path _documentPath;
};
