// The code generator: rewrites a syntax tree, picks the constant pool and turns the tree
// into codings for one SWF version. Refused constructs throw CompileError.
#pragma once

#include "ascompiler/codegen/as_info.h"
#include "ascompiler/codegen/builtins.h"
#include "ascompiler/codegen/coding.h"
#include "ascompiler/codegen/record_run.h"

#include <algorithm>
#include <string_view>

namespace translate {

class Generator {
public:
    Generator(const Builtins& builtins, ASInfo& info) : m_builtins(builtins), m_info(info) {}

    // Both passes that run before generation.
    void reorder(ASNode* node);
    void findStrings(ASNode* node);
    void generate(ASNode* node, CodingList& list);

    // Marks a node standing as a statement, and the members of a block or expression list.
    static void discardValues(ASNode* node);

private:
    // Passes.
    void hoist(ASNode* parent, int slot, ASNode* child);
    void rewrite(ASNode* node);
    void FindStrings(ASNode* node, bool inGetProperty);
    void FindCallStrings(ASNode* node, bool inGetProperty);
    // A node to walk for strings, or without one a text to offer.
    struct StringStep {
        ASNode* node;
        const char* offer;
        bool inGetProperty;
    };
    // Offers the node's text once what is queued after this has been walked.
    void offerAfter(ASNode* node) { m_stringSteps.push_back({nullptr, node->getValue(), false}); }

    // Pushing and list helpers.
    void addLiteral(CodingList& list, const Literal& value);
    void addLiteral(CodingList& list, int n);
    void addReference(CodingList& list, std::string_view text);
    // Lists start with room for several codings, as most hold a few: a list grows once or
    // twice rather than at every power of two.
    static void emit(CodingList& list, Coding* coding) {
        CodingPtr owned(coding);
        if (list.size() == list.capacity())
            list.reserve(list.empty() ? 8 : 2 * list.size());
        list.push_back(std::move(owned));
    }
    // Actions without operands join the run of records at the list's end.
    static void emit(CodingList& list, int code) {
        if (code < 0x80)
            openRun(list)->appendAction(code);
        else
            emit(list, new Action(code));
    }
    // An action with a one- or two-byte operand: CompileError for a branch or with block out
    // of its field's range.
    static void emitOperand(CodingList& list, int code, int operand) {
        openRun(list)->appendOperand(code, operand);
    }
    // The unsealed run at the list's end, or a new one.
    static RecordRun* openRun(CodingList& list) {
        if (!list.empty() && list.back()->isRun() && !list.back()->sealed())
            return static_cast<RecordRun*>(list.back().get());
        auto* run = new RecordRun();
        emit(list, run);
        return run;
    }
    // Moves the codings of from to the end of list, growing it geometrically.
    static void moveAll(CodingList& list, CodingList& from) {
        const size_t size = list.size() + from.size();
        if (size > list.capacity())
            list.reserve(std::max(size, 2 * list.capacity()));
        for (CodingPtr& c : from)
            list.push_back(std::move(c));
        from.clear();
    }
    // Moves a measured branch into the list; its last coding is sealed.
    static void appendBranch(CodingList& list, CodingList& branch);
    static int lastCode(const CodingList& list);
    // Removes the last coding when it is one of the read actions and not sealed; returns its
    // code, or 0.
    static int removeRead(CodingList& list);
    void popIfDiscarded(ASNode* node, CodingList& list);

    // Statements.
    void Script(ASNode* node, CodingList& list);
    void Block(ASNode* node, CodingList& list);
    void If(ASNode* node, CodingList& list);
    void While(ASNode* node, CodingList& list);
    void DoWhile(ASNode* node, CodingList& list);
    void For(ASNode* node, CodingList& list);
    void ForIn(ASNode* node, CodingList& list);
    void With(ASNode* node, CodingList& list);
    void Event(ASNode* node, CodingList& list);
    void Jump(ASNode* node, CodingList& list);
    void Return(ASNode* node, CodingList& list);
    void DefineVariable(ASNode* node, CodingList& list);
    void DefineFunction(ASNode* node, CodingList& list);
    void Body(ASNode* body, CodingList& list);
    void resolve(CodingList& body, int start, int breakTarget, int continueTarget);
    // Ends the test with the branch out past the body and the body with the jump back to the
    // test, where a continue goes too; then places both.
    void closeLoop(CodingList& test, CodingList& body, CodingList& list);
    static void forInCleanup(CodingList& list);

    // Expressions.
    void Number(ASNode* node, CodingList& list);
    void Identifier(ASNode* node, CodingList& list);
    void Chain(ASNode* node, CodingList& list);
    void Arguments(ASNode* call, CodingList& list);
    void NewObject(ASNode* node, CodingList& list);
    void DefineArray(ASNode* node, CodingList& list);
    void DefineObject(ASNode* node, CodingList& list);
    void Unary(ASNode* node, CodingList& list);
    // Two-operand operators, && and || among them.
    static bool isOperator(ASNode* node);
    void Operators(ASNode* node, CodingList& list);
    void Select(ASNode* node, CodingList& list);
    void Assign(ASNode* node, CodingList& list);
    void Increment(ASNode* node, CodingList& list);
    void Delete(ASNode* operand, ASNode* node, CodingList& list);
    static void store(int read, CodingList& list);
    // Whether running the node's code can change anything or give another value the next
    // time: calls other than the built-in reads, new, increments, assignments, delete.
    bool hasSideEffects(ASNode* node);
    // Copies the reference that a target's code left (a name, or an object or clip and a
    // key) and reads it, so that the code that computed it runs once.
    void readAgain(int read, CodingList& list);

    // Calls, built-in or not.
    void Call(ASNode* node, CodingList& list);
    void Builtin(ASNode* node, std::string_view name, CodingList& list);
    static Literal numberValue(std::string_view text);

    ASNode* child(ASNode* node, int i) { return node->get(static_cast<unsigned int>(i)); }
    ASNode* arg(ASNode* node, int i, std::string_view name);

    const Builtins& m_builtins;
    ASInfo& m_info;
    int m_depth = 0;
    std::vector<StringStep> m_stringSteps;
    // Operators of the chains being generated whose left operand's code comes first.
    struct PendingOperator {
        ASNode* node;
        CodingList right; // the branch of && and ||
    };
    std::vector<PendingOperator> m_operators;
    // Per block being rewritten: the function definitions that move to its start.
    std::vector<std::vector<ASNode*>> m_hoisted;
};

} // namespace translate
