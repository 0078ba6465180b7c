#include "platform/xml/cf_xml_tree.h"

#include <climits>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <string>
#include <utility>

#include "platform/text_encoding.h"
#include "platform/xml/safe_document.h"

namespace tbx {

namespace {

CFStringRef MakeString(const xmlChar* utf8, const xml::StandIns& standIns) {
    return new CFString(standIns.Utf16(reinterpret_cast<const char*>(utf8)));
}

// "prefix:name" when the node has a namespace prefix.
std::string QualifiedName(const xmlChar* name, xmlNsPtr ns) {
    std::string out;
    if (ns && ns->prefix) {
        out = reinterpret_cast<const char*>(ns->prefix);
        out += ':';
    }
    out += reinterpret_cast<const char*>(name);
    return out;
}

bool IsBlank(const std::u16string& s) {
    for (char16_t c : s)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
    return true;
}

std::unique_ptr<CFTree> MakeElement(xmlNodePtr element, const xml::StandIns& standIns) {
    const std::string name = QualifiedName(element->name, element->ns);
    auto node = new CFXMLNode(kCFXMLNodeTypeElement,
                              MakeString(reinterpret_cast<const xmlChar*>(name.c_str()), standIns));
    auto* attributes = new CFDictionary;
    for (xmlAttrPtr a = element->properties; a; a = a->next) {
        const std::string key = QualifiedName(a->name, a->ns);
        xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a));
        attributes->Set(MakeString(reinterpret_cast<const xmlChar*>(key.c_str()), standIns),
                        MakeString(value, standIns));
        xmlFree(value);
    }
    node->MutableInfo().attributes = attributes;
    node->MutableInfo().isEmpty = element->children == nullptr;
    return std::make_unique<CFTree>(node);
}

// Text pieces that end up side by side (around a dropped comment, or CDATA beside text)
// become one text node.
void AppendText(CFTree& parent, std::u16string& pending, bool skipWhitespace) {
    if (pending.empty())
        return;
    if (!(skipWhitespace && IsBlank(pending)))
        parent.MutableChildren().push_back(
            std::make_unique<CFTree>(new CFXMLNode(kCFXMLNodeTypeText, new CFString(pending))));
    pending.clear();
}

void Convert(xmlNodePtr first, CFTree& root, bool skipWhitespace, const xml::StandIns& standIns) {
    struct Frame {
        xmlNodePtr next;
        CFTree* parent;
        std::u16string text;
    };
    std::vector<Frame> stack;
    stack.push_back({first, &root, {}});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        xmlNodePtr node = frame.next;
        if (!node) {
            AppendText(*frame.parent, frame.text, skipWhitespace);
            stack.pop_back();
            continue;
        }
        frame.next = node->next;
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            frame.text += standIns.Utf16(reinterpret_cast<const char*>(node->content));
            break;
        case XML_ELEMENT_NODE: {
            AppendText(*frame.parent, frame.text, skipWhitespace);
            auto child = MakeElement(node, standIns);
            CFTree* raw = child.get();
            frame.parent->MutableChildren().push_back(std::move(child));
            stack.push_back({node->children, raw, {}}); // `frame` is not used after this
            break;
        }
        default: // comments, processing instructions, document type
            break;
        }
    }
}

} // namespace

CFXMLNode::CFXMLNode(CFXMLNodeTypeCode type, CFStringRef string) : _type(type), _string(string) {}

CFXMLNode::~CFXMLNode() {
    CFRelease(_string);
    CFRelease(_info.attributes);
}

CFTree::~CFTree() {
    // Deep documents are taken apart without recursion.
    std::vector<std::unique_ptr<CFTree>> pending = std::move(_children);
    while (!pending.empty()) {
        std::unique_ptr<CFTree> tree = std::move(pending.back());
        pending.pop_back();
        for (auto& child : tree->_children)
            pending.push_back(std::move(child));
        tree->_children.clear();
    }
    CFRelease(_node);
}

CFXMLTreeRef CFXMLTreeCreateFromData(CFAllocatorRef, CFDataRef data, CFURLRef,
                                     CFOptionFlags options, CFIndex) {
    const CFIndex length = CFDataGetLength(data);
    if (!data || length <= 0 || length > INT_MAX)
        return nullptr;
    // Errors are results, not messages.
    const int parserOptions = XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
    xml::StandIns standIns(false);
    xmlDocPtr document =
        xml::ReadDocument(std::string_view(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                                           std::size_t(length)),
                          parserOptions, standIns);
    if (!document)
        return nullptr;
    auto* root = new CFTree(new CFXMLNode(kCFXMLNodeTypeDocument, nullptr));
    Convert(document->children, *root, (options & kCFXMLParserSkipWhitespace) != 0, standIns);
    xmlFreeDoc(document);
    return root;
}

CFIndex CFTreeGetChildCount(CFTreeRef tree) {
    return tree ? static_cast<CFIndex>(tree->Children().size()) : 0;
}

CFTreeRef CFTreeGetChildAtIndex(CFTreeRef tree, CFIndex index) {
    if (!tree || index < 0 || index >= CFTreeGetChildCount(tree))
        return nullptr;
    return tree->Children()[static_cast<std::size_t>(index)].get();
}

CFTreeRef CFTreeGetFirstChild(CFTreeRef tree) {
    return CFTreeGetChildAtIndex(tree, 0);
}

CFXMLNodeRef CFXMLTreeGetNode(CFXMLTreeRef tree) {
    return tree ? tree->Node() : nullptr;
}

CFXMLNodeTypeCode CFXMLNodeGetTypeCode(CFXMLNodeRef node) {
    return node ? node->Type() : static_cast<CFXMLNodeTypeCode>(0);
}

CFStringRef CFXMLNodeGetString(CFXMLNodeRef node) {
    return node ? node->String() : nullptr;
}

const void* CFXMLNodeGetInfoPtr(CFXMLNodeRef node) {
    return node ? node->Info() : nullptr;
}

} // namespace tbx
