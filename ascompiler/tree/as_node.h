// The syntax-tree node that passes from the parser to the code generator.
#pragma once

#include "ascompiler/tree/dll_interface.h"

namespace translate {

class ASNode : public DLLInterface {
public:
    // Display names in nodeNames, index = type.
    enum NodeType {
        NoOp = 0,
        Array = 1,
        Button = 2,
        MovieClip = 3,
        List = 4,
        ExpressionList = 5,
        If = 6,
        For = 7,
        ForIn = 8,
        While = 9,
        DoWhile = 10,
        With = 11,
        OnClipEvent = 12,
        On = 13,
        Break = 14,
        Return = 15,
        Continue = 16,
        Value = 17,
        Constant = 18,
        Number = 19,
        String = 20,
        Identifier = 21,
        Attribute = 22,
        Method = 23,
        Function = 24,
        NewObject = 25,
        Subscript = 26,
        DefineVariable = 27,
        DefineArray = 28,
        DefineFunction = 29,
        DefineAttribute = 30,
        DefineMethod = 31,
        DefineObject = 32,
        Add = 33,
        Sub = 34,
        Mul = 35,
        Div = 36,
        Mod = 37,
        LSL = 38,
        ASR = 39,
        LSR = 40,
        BitAnd = 41,
        BitOr = 42,
        BitXor = 43,
        And = 44,
        Or = 45,
        Equal = 46,
        NotEqual = 47,
        GreaterThan = 48,
        LessThan = 49,
        GreaterThanEqual = 50,
        LessThanEqual = 51,
        Select = 52,
        Not = 53,
        BitNot = 54,
        Plus = 55,
        Minus = 56,
        PreInc = 57,
        PreDec = 58,
        PostInc = 59,
        PostDec = 60,
        Assign = 61,
        AssignAdd = 62,
        AssignSub = 63,
        AssignMul = 64,
        AssignDiv = 65,
        AssignMod = 66,
        AssignLSL = 67,
        AssignASR = 68,
        AssignLSR = 69,
        AssignBitAnd = 70,
        AssignBitOr = 71,
        AssignBitXor = 72,
        Delete = 73,
        InstanceOf = 74,
    };
    static constexpr int NodeTypeCount = 75;

    virtual NodeType getType() = 0;
    virtual void setType(NodeType type) = 0;
    virtual const char* getValue() = 0;
    virtual void setValue(const char* text) = 0;
    virtual int getStatus() = 0;
    virtual void setStatus(int status) = 0;
    // Out-of-range indices give null, 0 or -1 and change nothing. A node that already has a
    // parent, or the node itself, is refused by set, append and insert.
    virtual ASNode* get(unsigned int index) = 0;
    virtual ASNode* set(unsigned int index, ASNode* child) = 0;
    virtual int append(ASNode* child) = 0;
    virtual int insert(unsigned int index, ASNode* child) = 0;
    virtual ASNode* remove(unsigned int index) = 0;
    virtual int indexOf(ASNode* child) = 0;
    virtual ASNode* getParent() = 0;
    virtual void setParent(ASNode* parent) = 0;
    virtual int count() = 0;
    virtual ASNode** getChildren() = 0;
    // Valid until the next toString() or the node's destruction.
    virtual const char* toString() = 0;
    virtual ASNode* clone() = 0;
    virtual ASNode* cloneTree() = 0;

protected:
    ~ASNode() override = default;
};

extern const char* const nodeNames[ASNode::NodeTypeCount];

} // namespace translate
