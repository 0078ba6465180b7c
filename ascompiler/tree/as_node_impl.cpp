#include "ascompiler/tree/as_node_impl.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <typeinfo>
#include <utility>
#include <vector>

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

ASNodeImpl::~ASNodeImpl() {
    if (m_count > 0)
        FreeSubtree();
    ReleaseParts();
}

void ASNodeImpl::FreeSubtree() {
    std::vector<ASNode*> pending;
    pending.reserve(64);
    pending.assign(m_pChildren, m_pChildren + m_count);
    m_count = 0;
    while (!pending.empty()) {
        ASNode* node = pending.back();
        pending.pop_back();
        if (!node)
            continue;
        // Compared by exact type, cheaper than a cast across the hierarchy on every node.
        if (typeid(*node) != typeid(ASNodeImpl)) {
            node->destroy();
            continue;
        }
        // Adopt the grandchildren, so that each node is freed without a walk of its own.
        auto* impl = static_cast<ASNodeImpl*>(node);
        for (unsigned int i = 0; i < impl->m_count; ++i)
            pending.push_back(impl->m_pChildren[i]);
        impl->m_count = 0;
        // Nothing is left for the destructor to do once the parts are released.
        impl->ReleaseParts();
        ASNodeImpl::operator delete(impl);
    }
}

void ASNodeImpl::setValue(const char* text) {
    setValue(text ? text : "", text ? std::strlen(text) : 0);
}

void ASNodeImpl::SetLongValue(const char* text, std::size_t length) {
    char* place = m_shortValue;
    if (length >= kShortValue) {
        if (length == SIZE_MAX)
            throw std::bad_alloc();
        place = static_cast<char*>(ArenaAllocate(length + 1, ArenaKind::Tree));
    }
    // The text may be this node's own value: copy before letting the old one go.
    std::memmove(place, text, length);
    place[length] = '\0';
    FreeValue();
    m_pValue = place;
}

void ASNodeImpl::MakeRoom() {
    const std::size_t capacity = 2 * std::size_t(m_count) + 1;
    if (capacity > UINT32_MAX / sizeof(ASNode*))
        throw std::bad_alloc();
    auto** slots =
        static_cast<ASNode**>(ArenaAllocate(capacity * sizeof(ASNode*), ArenaKind::Tree));
    std::memcpy(slots, m_pChildren, m_count * sizeof(ASNode*));
    if (m_pChildren != m_inlineChildren)
        ArenaRelease(m_pChildren);
    m_pChildren = slots;
    m_capacity = static_cast<unsigned int>(capacity);
}

ASNode* ASNodeImpl::get(unsigned int index) {
    return index < m_count ? m_pChildren[index] : nullptr;
}

ASNode* ASNodeImpl::set(unsigned int index, ASNode* child) {
    if (index >= m_count || !Accepts(child))
        return nullptr;
    ASNode* old = std::exchange(m_pChildren[index], child);
    if (old)
        old->setParent(nullptr);
    child->setParent(this);
    return old;
}

int ASNodeImpl::insert(unsigned int index, ASNode* child) {
    if (index >= m_count || !Accepts(child))
        return 0;
    if (m_count == m_capacity)
        MakeRoom();
    child->setParent(this);
    std::memmove(m_pChildren + index + 1, m_pChildren + index, (m_count - index) * sizeof(ASNode*));
    m_pChildren[index] = child;
    ++m_count;
    return 1;
}

ASNode* ASNodeImpl::remove(unsigned int index) {
    if (index >= m_count)
        return nullptr;
    ASNode* child = m_pChildren[index];
    std::memmove(m_pChildren + index, m_pChildren + index + 1,
                 (m_count - index - 1) * sizeof(ASNode*));
    --m_count;
    if (child)
        child->setParent(nullptr);
    return child;
}

int ASNodeImpl::indexOf(ASNode* child) {
    for (unsigned int i = m_count; i-- > 0;)
        if (m_pChildren[i] == child)
            return static_cast<int>(i);
    return -1;
}

const char* ASNodeImpl::toString() {
    if (!m_text)
        m_text = std::make_unique<std::string>();
    std::string& text = *m_text;
    text = (m_type >= 0 && m_type < NodeTypeCount) ? nodeNames[m_type] : "";
    if (m_type == String)
        text.append(" = \"").append(m_pValue).append("\"; ");
    else if (*m_pValue)
        text.append(" = ").append(m_pValue).append("; ");
    return text.c_str();
}

ASNode* ASNodeImpl::clone() {
    return new ASNodeImpl(m_type, m_pValue);
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
