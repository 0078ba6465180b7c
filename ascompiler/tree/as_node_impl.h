// The one implementation of the syntax-tree node: owns its children. Nodes live in the compile
// arena, as a tree is built and freed as a whole; the first few children and a short value
// live inside the node, so that most nodes are one block.
#pragma once

#include "ascompiler/tree/as_node.h"
#include "ascompiler/tree/node_arena.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace translate {

class ASNodeImpl final : public DLLImpl<ASNode>, public ArenaAllocated<ArenaKind::Tree> {
public:
    explicit ASNodeImpl(NodeType type) : m_type(type) { m_shortValue[0] = '\0'; }
    ASNodeImpl(NodeType type, const char* value) : ASNodeImpl(type) { setValue(value); }
    ASNodeImpl(NodeType type, const char* value, std::size_t length) : ASNodeImpl(type) {
        setValue(value, length);
    }
    ASNodeImpl(const ASNodeImpl&) = delete;
    ASNodeImpl& operator=(const ASNodeImpl&) = delete;

    NodeType getType() override { return m_type; }
    void setType(NodeType type) override { m_type = type; }
    const char* getValue() override { return m_pValue; }
    void setValue(const char* text) override;
    // The first length bytes of text, which need not end there.
    void setValue(const char* text, std::size_t length) {
        if (length >= kShortValue || m_pValue != m_shortValue)
            return SetLongValue(text, length);
        std::memmove(m_shortValue, text, length);
        m_shortValue[length] = '\0';
    }
    int getStatus() override { return m_status; }
    void setStatus(int status) override { m_status = status; }
    ASNode* get(unsigned int index) override;
    ASNode* set(unsigned int index, ASNode* child) override;
    int append(ASNode* child) override {
        if (!Accepts(child))
            return count();
        if (m_count == m_capacity)
            MakeRoom();
        child->setParent(this);
        m_pChildren[m_count++] = child;
        return count();
    }
    int insert(unsigned int index, ASNode* child) override;
    ASNode* remove(unsigned int index) override;
    int indexOf(ASNode* child) override;
    ASNode* getParent() override { return m_pParent; }
    void setParent(ASNode* parent) override { m_pParent = parent; }
    int count() override { return static_cast<int>(m_count); }
    ASNode** getChildren() override { return m_pChildren; }
    const char* toString() override;
    ASNode* clone() override;
    ASNode* cloneTree() override;

    // Slots allocated for children; grows to twice the count plus one when full.
    unsigned int capacity() const { return m_capacity; }

protected:
    // Frees the subtree without recursion, so long chains cannot exhaust the stack.
    ~ASNodeImpl() override;

private:
    static constexpr unsigned int kInlineChildren = 4;
    static constexpr std::size_t kShortValue = 24;

    bool Accepts(ASNode* child) { return child && child != this && !child->getParent(); }
    void MakeRoom();
    void FreeSubtree();
    // Frees what the node holds apart from its children, leaving it empty.
    void ReleaseParts() {
        if (m_pChildren != m_inlineChildren)
            ArenaRelease(std::exchange(m_pChildren, m_inlineChildren));
        FreeValue();
        m_text.reset();
    }
    void FreeValue() {
        if (m_pValue != m_shortValue)
            ArenaRelease(std::exchange(m_pValue, m_shortValue));
    }
    void SetLongValue(const char* text, std::size_t length);

    NodeType m_type;
    int m_status = 0;
    ASNode* m_pParent = nullptr;
    ASNode** m_pChildren = m_inlineChildren; // owned; m_inlineChildren or a block of its own
    unsigned int m_count = 0;
    unsigned int m_capacity = kInlineChildren;
    ASNode* m_inlineChildren[kInlineChildren];
    char* m_pValue = m_shortValue;       // m_shortValue or a block of its own
    std::unique_ptr<std::string> m_text; // made by the first toString(): most nodes never need it
    char m_shortValue[kShortValue];
};

} // namespace translate
