#include "ascompiler/tree/as_node_impl.h"

#include <utility>

namespace translate {

const char* const nodeNames[ASNode::NodeTypeCount] = {
    "NoOp",
    "Array",
    "Button",
    "MovieClip",
    "List",
    "ExpressionList",
    "if",
    "for",
    "for..in",
    "while",
    "do..while",
    "With",
    "OnClipEvent",
    "On",
    "Break",
    "Return",
    "Continue",
    "Value",
    "Constant",
    "Number",
    "String",
    "Identifier",
    "Attribute",
    "Method",
    "Function",
    "NewObject",
    "Subscript",
    "Define Variable",
    "Define Array",
    "Define Function",
    "Define Attribute",
    "Define Method",
    "Define Object",
    "+",
    "-",
    "*",
    "/",
    "%",
    "<<",
    ">>",
    ">>>",
    "&",
    "|",
    "^",
    "&&",
    "||",
    "==",
    "!=",
    ">",
    "<",
    ">=",
    "<=",
    "?",
    "!",
    "~",
    "+x",
    "-x",
    "++x",
    "--x",
    "x++",
    "x--",
    "=",
    "+=",
    "-=",
    "*=",
    "/=",
    "%=",
    "<<=",
    ">>=",
    ">>>=",
    "&=",
    "|=",
    "^=",
    "delete",
    "instanceof",
};

ASNodeImpl::ASNodeImpl(NodeType type) : m_type(type) {
    m_children.reserve(4);
}

ASNodeImpl::ASNodeImpl(NodeType type, const char* value) : ASNodeImpl(type) {
    setValue(value);
}

ASNodeImpl::~ASNodeImpl() {
    m_pParent = nullptr;
    std::vector<ASNode*> pending;
    pending.swap(m_children);
    while (!pending.empty()) {
        ASNode* node = pending.back();
        pending.pop_back();
        if (auto* impl = dynamic_cast<ASNodeImpl*>(node)) {
            // Adopt the grandchildren so that the child's own destructor finds none.
            for (ASNode* grandchild : impl->m_children)
                pending.push_back(grandchild);
            impl->m_children.clear();
        }
        if (node)
            node->destroy();
    }
}

bool ASNodeImpl::Accepts(ASNode* child) {
    // A node with a parent is owned already: taking it too would free it twice.
    return child && child != this && !child->getParent();
}

void ASNodeImpl::MakeRoom() {
    if (m_children.size() == m_children.capacity())
        m_children.reserve(2 * m_children.size() + 1);
}

ASNode* ASNodeImpl::get(unsigned int index) {
    return index < m_children.size() ? m_children[index] : nullptr;
}

ASNode* ASNodeImpl::set(unsigned int index, ASNode* child) {
    if (index >= m_children.size() || !Accepts(child))
        return nullptr;
    ASNode* old = std::exchange(m_children[index], child);
    if (old)
        old->setParent(nullptr);
    child->setParent(this);
    return old;
}

int ASNodeImpl::append(ASNode* child) {
    if (!Accepts(child))
        return count();
    MakeRoom();
    child->setParent(this);
    m_children.push_back(child);
    return count();
}

int ASNodeImpl::insert(unsigned int index, ASNode* child) {
    if (index >= m_children.size() || !Accepts(child))
        return 0;
    MakeRoom();
    child->setParent(this);
    m_children.insert(m_children.begin() + index, child);
    return 1;
}

ASNode* ASNodeImpl::remove(unsigned int index) {
    if (index >= m_children.size())
        return nullptr;
    ASNode* child = m_children[index];
    m_children.erase(m_children.begin() + index);
    if (child)
        child->setParent(nullptr);
    return child;
}

int ASNodeImpl::indexOf(ASNode* child) {
    for (size_t i = m_children.size(); i-- > 0;)
        if (m_children[i] == child)
            return static_cast<int>(i);
    return -1;
}

const char* ASNodeImpl::toString() {
    m_text = (m_type >= 0 && m_type < NodeTypeCount) ? nodeNames[m_type] : "";
    if (m_type == String)
        m_text += " = \"" + m_value + "\"; ";
    else if (!m_value.empty())
        m_text += " = " + m_value + "; ";
    return m_text.c_str();
}

ASNode* ASNodeImpl::clone() {
    return new ASNodeImpl(m_type, m_value.c_str());
}

ASNode* ASNodeImpl::cloneTree() {
    // Copies level by level with an explicit stack instead of recursion.
    ASNode* root = clone();
    std::vector<std::pair<ASNode*, ASNode*>> pending{{this, root}};
    while (!pending.empty()) {
        auto [source, copy] = pending.back();
        pending.pop_back();
        for (int i = 0; i < source->count(); ++i) {
            ASNode* child = source->get(static_cast<unsigned int>(i));
            if (!child)
                continue;
            ASNode* childCopy = child->clone();
            copy->append(childCopy);
            pending.emplace_back(child, childCopy);
        }
    }
    return root;
}

} // namespace translate
