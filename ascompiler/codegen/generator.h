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
    [[gnu::noinline]] void addLiteral(CodingList& list, const Literal& value);
    [[gnu::noinline]] void addLiteral(CodingList& list, int n);
    [[gnu::noinline]] void addReference(CodingList& list, std::string_view text);
    // Lists start with room for several codings, as most hold a few: a list grows once or
    // twice rather than at every power of two. Out of line, as are the other helpers' rarer
    // paths, so that they add nothing to the frames of the generators that nest.
    [[gnu::noinline]] static void emit(CodingList& list, Coding* coding);
    // Actions without operands join the run of records at the list's end.
    [[gnu::noinline]] static void emit(CodingList& list, int code);
    // An action with a one- or two-byte operand: CompileError for a branch or with block out
    // of its field's range.
    [[gnu::noinline]] static void emitOperand(CodingList& list, int code, int operand);
    // The unsealed run at the list's end, or a new one.
    static RecordRun* openRun(CodingList& list) {
        if (!list.empty() && list.back()->isRun() && !list.back()->sealed())
            return static_cast<RecordRun*>(list.back().get());
        return newRun(list);
    }
    [[gnu::noinline]] static RecordRun* newRun(CodingList& list);
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
    [[gnu::noinline]] static void appendBranch(CodingList& list, CodingList& branch);
    static int lastCode(const CodingList& list);
    // Removes the last coding when it is one of the read actions and not sealed; returns its
    // code, or 0.
    static int removeRead(CodingList& list);
    void popIfDiscarded(ASNode* node, CodingList& list);

    // Statements.
    [[gnu::noinline]] void Script(ASNode* node, CodingList& list);
    void Block(ASNode* node, CodingList& list);
    void If(ASNode* node, CodingList& list);
    // One link of an else-if chain.
    struct IfLink {
        ASNode* node;
        CodingList test; // the first link's goes straight into the list
        CodingList then;
        int jumpEnd = 0; // where its Jump ends, counted from the first link's Not
        int jump = 0;    // the Jump's offset
        bool jumps = false;
    };
    // Lays out the generated links and else-part of a chain with their branches.
    [[gnu::noinline]] static void placeChain(std::vector<IfLink>& links, CodingList& elseList,
                                             CodingList& list);
    void While(ASNode* node, CodingList& list);
    void DoWhile(ASNode* node, CodingList& list);
    void For(ASNode* node, CodingList& list);
    // Turns a loop test's last pushed literal from true to false, for a bare If: false when
    // the value is not true.
    [[gnu::noinline]] static bool negateTrueTest(CodingList& test);
    void ForIn(ASNode* node, CodingList& list);
    void With(ASNode* node, CodingList& list);
    void Event(ASNode* node, CodingList& list);
    void Jump(ASNode* node, CodingList& list);
    void Return(ASNode* node, CodingList& list);
    void DefineVariable(ASNode* node, CodingList& list);
    void DefineFunction(ASNode* node, CodingList& list);
    [[gnu::noinline]] static void emitFunction(ASNode* node, CodingList& body, CodingList& list);
    void Body(ASNode* body, CodingList& list);
    [[gnu::noinline]] void resolve(CodingList& body, int start, int breakTarget,
                                   int continueTarget);
    // Ends the test with the branch out past the body and the body with the jump back to the
    // test, where a continue goes too; then places both.
    [[gnu::noinline]] void closeLoop(CodingList& test, CodingList& body, CodingList& list);
    [[gnu::noinline]] static void forInCleanup(CodingList& list);

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
    void Builtin(ASNode* node, const BuiltinName& known, CodingList& list);
    // The forms of built-in calls, kept out of line: expressions nested in their arguments
    // find only the frame of the form in hand below them.
    [[gnu::noinline]] void InOrder(ASNode* node, const BuiltinName& known, CodingList& list);
    [[gnu::noinline]] void Duplicate(ASNode* node, CodingList& list);
    [[gnu::noinline]] void Eval(ASNode* node, CodingList& list);
    [[gnu::noinline]] void FsCommand(ASNode* node, CodingList& list);
    [[gnu::noinline]] void GetProperty(ASNode* node, CodingList& list);
    [[gnu::noinline]] void SetProperty(ASNode* node, CodingList& list);
    [[gnu::noinline]] void GetUrl(ASNode* node, CodingList& list);
    [[gnu::noinline]] void Goto(ASNode* node, bool play, CodingList& list);
    [[gnu::noinline]] void Load(ASNode* node, bool movie, CodingList& list);
    [[gnu::noinline]] void Print(ASNode* node, CodingList& list);
    [[gnu::noinline]] void StartDrag(ASNode* node, CodingList& list);
    [[gnu::noinline]] void UnloadMovie(ASNode* node, CodingList& list);
    // The index of the property that a getProperty or setProperty argument names, or -1.
    int propertyArgument(ASNode* node) const;
    static Literal numberValue(std::string_view text);

    static ASNode* child(ASNode* node, int i) { return node->get(static_cast<unsigned int>(i)); }
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
