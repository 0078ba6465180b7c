// The factories through which the parser builds every node; the caller owns the result.
// Inline, as the parser builds a node for almost every token.
#pragma once

#include "ascompiler/tree/as_node.h"
#include "ascompiler/tree/as_node_impl.h"

#include <cstddef>

namespace translate {

inline ASNode* NewASNode(ASNode::NodeType type) {
    return new ASNodeImpl(type);
}

inline ASNode* ValueASNode(ASNode::NodeType type, const char* text) {
    return new ASNodeImpl(type, text);
}

// The value is the first length bytes of text.
inline ASNode* ValueASNode(ASNode::NodeType type, const char* text, std::size_t length) {
    return new ASNodeImpl(type, text, length);
}

// left, then right, become the new node's children.
inline ASNode* BinaryASNode(ASNode::NodeType type, ASNode* left, ASNode* right) {
    auto* node = new ASNodeImpl(type);
    node->append(left);
    node->append(right);
    return node;
}

} // namespace translate
