// Core Foundation XML trees: a parsed document as a tree of nodes (document, elements with
// their attributes, text). Comments, processing instructions and the document type are left
// out. Character references and the five predefined entities are already replaced in the
// text and attribute values; a document that declares or uses other entities is refused, and
// nothing is ever loaded from outside. A byte that is not UTF-8 reads as its byte escape.
#pragma once

#include <memory>
#include <vector>

#include "platform/cf_data.h"
#include "platform/cf_dictionary.h"
#include "platform/cf_string.h"
#include "platform/files/cf_url.h"

namespace tbx {

enum CFXMLNodeTypeCode : CFIndex {
    kCFXMLNodeTypeDocument = 1,
    kCFXMLNodeTypeElement = 2,
    kCFXMLNodeTypeText = 6,
};

enum : CFOptionFlags {
    kCFXMLParserNoOptions = 0,
    // Text that is nothing but blanks (space, tab, line feed, carriage return) is dropped.
    kCFXMLParserSkipWhitespace = 1 << 3,
};

enum : CFIndex { kCFXMLNodeCurrentVersion = 1 };

struct CFXMLElementInfo {
    CFDictionaryRef attributes; // name to CFString value; never null for an element
    Boolean isEmpty;            // written as <name/>
};

class CFXMLNode : public CFObject {
public:
    CFXMLNode(CFXMLNodeTypeCode type, CFStringRef string);
    ~CFXMLNode() override;
    CFXMLNodeTypeCode Type() const { return _type; }
    CFStringRef String() const { return _string; }
    const CFXMLElementInfo* Info() const {
        return _type == kCFXMLNodeTypeElement ? &_info : nullptr;
    }
    CFXMLElementInfo& MutableInfo() { return _info; }

private:
    CFXMLNodeTypeCode _type;
    CFStringRef _string;
    CFXMLElementInfo _info{nullptr, false};
};

using CFXMLNodeRef = const CFXMLNode*;

// One node of the tree with its children. The whole tree belongs to its root: release the
// root only.
class CFTree : public CFObject {
public:
    explicit CFTree(CFXMLNodeRef node) : _node(node) {}
    ~CFTree() override;
    CFXMLNodeRef Node() const { return _node; }
    const std::vector<std::unique_ptr<CFTree>>& Children() const { return _children; }
    std::vector<std::unique_ptr<CFTree>>& MutableChildren() { return _children; }

private:
    CFXMLNodeRef _node;
    std::vector<std::unique_ptr<CFTree>> _children;
};

using CFTreeRef = const CFTree*;
using CFXMLTreeRef = CFTreeRef;

// Parses the bytes (any encoding the document declares) into a tree whose root is the
// document node. Null when the data is not a well-formed document or uses entities. Of the options
// only kCFXMLParserSkipWhitespace has an effect.
CFXMLTreeRef CFXMLTreeCreateFromData(CFAllocatorRef, CFDataRef data, CFURLRef dataSource,
                                     CFOptionFlags parseOptions, CFIndex versionOfNodes);

CFIndex CFTreeGetChildCount(CFTreeRef tree);
// Null for an index out of range.
CFTreeRef CFTreeGetChildAtIndex(CFTreeRef tree, CFIndex index);
CFTreeRef CFTreeGetFirstChild(CFTreeRef tree);
CFXMLNodeRef CFXMLTreeGetNode(CFXMLTreeRef tree);

CFXMLNodeTypeCode CFXMLNodeGetTypeCode(CFXMLNodeRef node);
// The element's name, the text, or nothing for the document.
CFStringRef CFXMLNodeGetString(CFXMLNodeRef node);
// The CFXMLElementInfo of an element; null for other nodes.
const void* CFXMLNodeGetInfoPtr(CFXMLNodeRef node);

} // namespace tbx
