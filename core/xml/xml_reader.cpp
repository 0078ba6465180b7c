#include "core/xml/xml_reader.h"

#include <cstdio>
#include <cstring>

#include "core/codec/base64.h"
#include "core/files/whole_file.h"

bool CBK_XmlDomParser::LoadFile(const CBK_Path& path) {
    Destroy();
    _path = path;
    const bool ok = BK_ReadWholeFile(path, _bytes, kMaxFileSize);
    if (ok)
        _data = tbx::CFDataCreateWithBytesNoCopy(nullptr, _bytes.data(),
                                                 static_cast<tbx::CFIndex>(_bytes.size()),
                                                 tbx::kCFAllocatorNull);
    if (_data)
        _tree =
            tbx::CFXMLTreeCreateFromData(nullptr, _data, nullptr, tbx::kCFXMLParserSkipWhitespace,
                                         tbx::kCFXMLNodeCurrentVersion);
    if (!_tree) {
        Destroy();
        return false;
    }
    return true;
}

bool CBK_XmlDomParser::GetRootNode(CBK_XmlDomNode& out) const {
    if (out.HasElement())
        return false;
    // The outermost element; the tree holds nothing else at the top but blank-free text.
    for (tbx::CFIndex i = 0; i < tbx::CFTreeGetChildCount(_tree); ++i) {
        tbx::CFTreeRef child = tbx::CFTreeGetChildAtIndex(_tree, i);
        if (tbx::CFXMLNodeGetTypeCode(tbx::CFXMLTreeGetNode(child)) == tbx::kCFXMLNodeTypeElement) {
            out._element = child;
            out._value = nullptr;
            out._documentPath = _path;
            return true;
        }
    }
    return false;
}

void CBK_XmlDomParser::Destroy() {
    tbx::CFRelease(_tree);
    _tree = nullptr;
    tbx::CFRelease(_data);
    _data = nullptr;
    std::vector<uint8_t>().swap(_bytes);
}

bool CBK_XmlReader::Open(const CBK_Path& path) {
    if (!LoadFile(path))
        return false;
    CBK_XmlDomNode root;
    CBK_XmlDomNamedNodeMap attributes;
    CBK_XmlDomNode encoding;
    CBK_String text;
    if (GetRootNode(root) && root.GetAttributes(attributes) &&
        attributes.GetItem("encoding", encoding) && encoding.GetText(text, nullptr)) {
        if (text.CompareTo(L"UTF-8", true))
            _encodingType = 1;
        else if (text.CompareTo(L"UTF-16", true))
            _encodingType = 2;
        else
            _encodingType = 0;
    }
    CBK_XmlDomNode::m_EncodingType = _encodingType;
    return true;
}

uint32_t CBK_XmlReader::ReadBinary(const unsigned char* text, uint32_t length, unsigned char* out,
                                   uint32_t capacity) const {
    CBK_Base64 decoded;
    if (!decoded.Decode(text, length) || decoded.GetSize() > capacity ||
        (!out && decoded.GetSize() > 0))
        return 0;
    if (decoded.GetSize() > 0)
        std::memcpy(out, decoded.GetData(), decoded.GetSize());
    return static_cast<uint32_t>(decoded.GetSize());
}
