// The one implementation of the syntax-tree node: owns its children.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <string>
#include <vector>

namespace translate {

class ASNodeImpl : public DLLImpl<ASNode> {
public:
    explicit ASNodeImpl(NodeType type);
    ASNodeImpl(NodeType type, const char* value);
    ASNodeImpl(const ASNodeImpl&) = delete;
    ASNodeImpl& operator=(const ASNodeImpl&) = delete;

    NodeType getType() override { return m_type; }
    void setType(NodeType type) override { m_type = type; }
    const char* getValue() override { return m_value.c_str(); }
    void setValue(const char* text) override { m_value = text ? text : ""; }
    int getStatus() override { return m_status; }
    void setStatus(int status) override { m_status = status; }
    ASNode* get(unsigned int index) override;
    ASNode* set(unsigned int index, ASNode* child) override;
    int append(ASNode* child) override;
    int insert(unsigned int index, ASNode* child) override;
    ASNode* remove(unsigned int index) override;
    int indexOf(ASNode* child) override;
    ASNode* getParent() override { return m_pParent; }
    void setParent(ASNode* parent) override { m_pParent = parent; }
    int count() override { return static_cast<int>(m_children.size()); }
    ASNode** getChildren() override { return m_children.data(); }
    const char* toString() override;
    ASNode* clone() override;
    ASNode* cloneTree() override;

    // Slots allocated for children; grows to twice the count plus one when full.
    unsigned int capacity() const { return static_cast<unsigned int>(m_children.capacity()); }

protected:
    // Frees the subtree without recursion, so long chains cannot exhaust the stack.
    ~ASNodeImpl() override;

private:
    bool Accepts(ASNode* child);
    void MakeRoom();

    NodeType m_type;
    int m_status = 0;
    std::string m_value;
    std::string m_text;
    ASNode* m_pParent = nullptr;
    std::vector<ASNode*> m_children; // owned
};

} // namespace translate
