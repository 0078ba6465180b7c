#include "ascompiler/tree/node_factory.h"

#include "ascompiler/tree/as_node_impl.h"

namespace translate {

ASNode* NewASNode(ASNode::NodeType type) {
    return new ASNodeImpl(type);
}

ASNode* ValueASNode(ASNode::NodeType type, const char* text) {
    return new ASNodeImpl(type, text);
}

ASNode* ValueASNode(ASNode::NodeType type, const char* text, std::size_t length) {
    return new ASNodeImpl(type, text, length);
}

ASNode* BinaryASNode(ASNode::NodeType type, ASNode* left, ASNode* right) {
    auto* node = new ASNodeImpl(type);
    node->append(left);
    node->append(right);
    return node;
}

} // namespace translate
