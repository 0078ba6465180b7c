// The factories through which the parser builds every node; the caller owns the result.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <cstddef>

namespace translate {

ASNode* NewASNode(ASNode::NodeType type);
ASNode* ValueASNode(ASNode::NodeType type, const char* text);
// The value is the first length bytes of text.
ASNode* ValueASNode(ASNode::NodeType type, const char* text, std::size_t length);
// left, then right, become the new node's children.
ASNode* BinaryASNode(ASNode::NodeType type, ASNode* left, ASNode* right);

} // namespace translate
