// Reading the system's XML documents: the parsed tree of one file and its root element.
#pragma once

#include <cstdint>
#include <vector>

#include "core/paths/path.h"
#include "core/xml/xml_dom_node.h"
#include "platform/xml/cf_xml_tree.h"

class CBK_XmlDomParser {
public:
    CBK_XmlDomParser() = default;
    CBK_XmlDomParser(const CBK_XmlDomParser&) = delete;
    CBK_XmlDomParser& operator=(const CBK_XmlDomParser&) = delete;
    virtual ~CBK_XmlDomParser() { Destroy(); }

    // Reads and parses the whole file; false, holding nothing, when either fails.
    // False for a file that is not a regular file or holds more than kMaxFileSize bytes.
    bool LoadFile(const CBK_Path& path);
    static constexpr std::size_t kMaxFileSize = std::size_t(256) << 20;
    // The outermost element. False when there is none or `out` already holds an element.
    bool GetRootNode(CBK_XmlDomNode& out) const;
    void Destroy();

protected:
    tbx::CFXMLTreeRef _tree = nullptr;
    tbx::CFDataRef _data = nullptr;
    std::vector<uint8_t> _bytes;
    CBK_Path _path;
};

class CBK_XmlReader : public CBK_XmlDomParser {
public:
    // Loads the file, then takes the encoding type from the root's "encoding" attribute
    // (kept when there is none) into CBK_XmlDomNode::m_EncodingType.
    bool Open(const CBK_Path& path);
    bool Close() { return true; }
    // The base64 text's bytes when they fit into `capacity`: their number, else 0.
    uint32_t ReadBinary(const unsigned char* text, uint32_t length, unsigned char* out,
                        uint32_t capacity) const;

private:
    int32_t _encodingType = 0;
};
