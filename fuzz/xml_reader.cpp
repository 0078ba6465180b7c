// XML documents: open arbitrary bytes as a file, walk every element and read the usual
// attributes and texts the way the callers do.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/xml/xml_reader.h"

namespace {

void Visit(const CBK_XmlDomNode& node) {
    CBK_String text;
    node.GetText(text, L"");
    node.GetSafeText(text, L"");
    node.GetTextAsNumber(0);
    node.GetTextAsU32(0);
    node.GetTextAsFloat(0);
    node.TextIsTrue();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder && *folder ? folder : "/tmp") + "/stravel_fuzz_xml_" +
               std::to_string(getpid()) + ".xml";
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CBK_XmlReader reader;
    if (reader.Open(CBK_Path(std::wstring(path.begin(), path.end())))) {
        std::vector<CBK_XmlDomNode> pending(1);
        reader.GetRootNode(pending.back());
        while (!pending.empty()) {
            CBK_XmlDomNode node = pending.back();
            pending.pop_back();
            node.GetNodeName();
            Visit(node);
            CBK_XmlDomNamedNodeMap map;
            if (node.GetAttributes(map)) {
                for (const char* name : {"encoding", "version", "name", "value", "path"}) {
                    CBK_XmlDomNode value;
                    if (map.GetItem(name, value))
                        Visit(value);
                }
            }
            CBK_XmlDomNodeList list;
            node.GetChildren(list);
            for (int32_t i = 0; i < list.GetListLength(); ++i) {
                CBK_XmlDomNode child;
                if (list.GetChild(i, child))
                    pending.push_back(child);
            }
        }
    }
    std::remove(path.c_str());
    // The reference decoder over the bytes taken as text.
    std::wstring wide(data, data + size);
    CBK_XmlDomNode::DecodeReferences(wide);
    return 0;
}
