// Statements: blocks, branches, loops with break and continue, with, handlers, return and
// definitions.
#include "ascompiler/codegen/generator.h"

#include <algorithm>
#include <cstdint>

namespace translate {
namespace {

bool IsLiteral(ASNode* node) {
    const ASNode::NodeType type = node->getType();
    if (type == ASNode::Number || type == ASNode::String)
        return true;
    const std::string_view value = node->getValue();
    return type == ASNode::Identifier && (value == "true" || value == "false");
}

// For a literal loop condition: the value that makes a bare If fall through, replacing one
// that is true; false when the value is not true.
bool NegateTrueLiteral(Literal& value) {
    switch (value.type()) {
    case Value::kBoolean:
        if (!value.integerValue())
            return false;
        value = Literal::boolean(false);
        return true;
    case Value::kInteger:
        if (value.integerValue() <= 0)
            return false;
        value = Literal::integer(0);
        return true;
    case Value::kDouble:
        if (!(value.doubleValue() > 0))
            return false;
        value = Literal::number(0.0);
        return true;
    case Value::kString:
        if (value.text() == "0")
            return false;
        value = Literal::string("0");
        return true;
    default:
        return false;
    }
}

// How far an else-if chain's jumps to its end reach at once: as far as a branch offset holds.
constexpr int kChainJumpReach = INT16_MAX;

// Saves the loops of the enclosing code while a function or handler body is generated:
// break and continue never leave a function.
struct LoopScope {
    explicit LoopScope(std::vector<bool>& loops) : m_loops(loops), m_saved(std::move(loops)) {
        m_loops.clear();
    }
    ~LoopScope() { m_loops = std::move(m_saved); }
    std::vector<bool>& m_loops;
    std::vector<bool> m_saved;
};

struct LoopEntry {
    LoopEntry(std::vector<bool>& loops, bool forIn) : m_loops(loops) { loops.push_back(forIn); }
    ~LoopEntry() { m_loops.pop_back(); }
    std::vector<bool>& m_loops;
};

} // namespace

void Generator::Body(ASNode* body, CodingList& list) {
    if (!body)
        return;
    discardValues(body);
    generate(body, list);
}

void Generator::Block(ASNode* node, CodingList& list) {
    for (int i = 0; i < node->count(); ++i)
        Body(child(node, i), list);
}

// An else-if chain is generated in one loop over its links rather than by recursion through
// each else-statement. Each link is its condition, Not, If past its then-statement, the
// then-statement and a Jump to the chain's end; the last link's Jump and the else-statement
// only when that statement has code.
void Generator::If(ASNode* node, CodingList& list) {
    std::vector<IfLink> links;
    for (ASNode* n = node;; n = child(n, 2)) {
        links.push_back({n, {}, {}});
        if (!child(n, 2) || child(n, 2)->getType() != ASNode::If)
            break;
    }
    // Generated last part first, as the parts of one if are.
    CodingList elseList;
    Body(child(links.back().node, 2), elseList);
    for (size_t i = links.size(); i-- > 0;) {
        Body(child(links[i].node, 1), links[i].then);
        generate(child(links[i].node, 0), i == 0 ? list : links[i].test);
    }
    placeChain(links, elseList, list);
}

void Generator::placeChain(std::vector<IfLink>& links, CodingList& elseList, CodingList& list) {
    const int elseLength = actionLength(elseList);
    int position = 0;
    for (size_t i = 0; i < links.size(); ++i) {
        IfLink& link = links[i];
        position += actionLength(link.test) + 6 + actionLength(link.then);
        link.jumps = i + 1 < links.size() || elseLength > 0;
        if (link.jumps)
            link.jumpEnd = position += 5;
    }
    const int end = position + elseLength;
    // Each link's Jump goes straight to the chain's end, as a lone if's does, wherever its 16-bit
    // offset holds that; one further away lands on the furthest later Jump within reach (or the
    // next one), which goes on from there.
    const size_t jumping = links.back().jumps ? links.size() : links.size() - 1;
    size_t reach = jumping;
    for (size_t i = links.size(); i-- > 0;) {
        IfLink& link = links[i];
        if (!link.jumps)
            continue;
        link.jump = end - link.jumpEnd;
        if (link.jump <= kChainJumpReach)
            continue;
        while (reach > i + 1 && links[reach - 1].jumpEnd - 5 - link.jumpEnd > kChainJumpReach)
            --reach;
        const size_t to = std::max(reach, i + 2) - 1;
        if (to < jumping)
            link.jump = links[to].jumpEnd - 5 - link.jumpEnd;
    }
    for (IfLink& link : links) {
        moveAll(list, link.test);
        emit(list, 0x12);
        emitOperand(list, 0x9D, actionLength(link.then) + (link.jumps ? 5 : 0));
        if (link.jumps) {
            moveAll(list, link.then);
            emitOperand(list, 0x99, link.jump);
        } else {
            appendBranch(list, link.then);
        }
    }
    appendBranch(list, elseList);
    // Nothing after the chain may join the code its jumps measured.
    if (links.size() > 1 && !list.empty())
        list.back()->seal();
}

void Generator::resolve(CodingList& body, int start, int breakTarget, int continueTarget) {
    int pos = start;
    for (CodingPtr& c : body) {
        pos += c->getLength(m_info.version);
        if (c->code() == kBreakCode)
            c.reset(new ValueAction(0x99, breakTarget - pos));
        else if (c->code() == kContinueCode)
            c.reset(new ValueAction(0x99, continueTarget - pos));
    }
}

void Generator::closeLoop(CodingList& test, CodingList& body, CodingList& list) {
    const int l = actionLength(body) + 5;
    emitOperand(test, 0x9D, l);
    const int k = actionLength(test);
    emitOperand(body, 0x99, -(l + k));
    resolve(body, k, l + k, 0);
    appendBranch(list, test);
    appendBranch(list, body);
}

void Generator::While(ASNode* node, CodingList& list) {
    LoopEntry loop(m_info.loops, false);
    CodingList body, test;
    Body(child(node, 1), body);
    generate(child(node, 0), test);
    emit(test, 0x12);
    closeLoop(test, body, list);
}

void Generator::DoWhile(ASNode* node, CodingList& list) {
    LoopEntry loop(m_info.loops, false);
    CodingList body, test;
    Body(child(node, 0), body);
    const int b = actionLength(body);
    generate(child(node, 1), test);
    const int total = b + actionLength(test) + 5;
    emitOperand(test, 0x9D, -total);
    resolve(body, 0, total, b);
    appendBranch(list, body);
    appendBranch(list, test);
}

bool Generator::negateTrueTest(CodingList& test) {
    if (test.back()->code() != 0x96 || !test.back()->isRun())
        return false;
    auto* run = static_cast<RecordRun*>(test.back().get());
    Literal last = run->lastValue();
    if (!NegateTrueLiteral(last))
        return false;
    run->replaceLastValue(last);
    return true;
}

void Generator::For(ASNode* node, CodingList& list) {
    LoopEntry loop(m_info.loops, false);
    CodingList init, test, update, body;
    // The initialiser's value is not used either.
    Body(child(node, 0), init);
    ASNode* condition = child(node, 1);
    generate(condition, test);
    int k = actionLength(test);
    Body(child(node, 2), update);
    const int u = actionLength(update);
    Body(child(node, 3), body);
    const int b = actionLength(body);
    if (k > 0) {
        const int skip = u + b + 5;
        if (condition && IsLiteral(condition) && negateTrueTest(test)) {
            emitOperand(test, 0x9D, skip);
            k += 5;
        } else {
            emit(test, 0x12);
            emitOperand(test, 0x9D, skip);
            k += 6;
        }
    }
    emitOperand(update, 0x99, -(k + b + u + 5));
    resolve(body, k, k + b + u + 5, k + b);
    appendBranch(list, init);
    appendBranch(list, test);
    appendBranch(list, body);
    appendBranch(list, update);
}

void Generator::forInCleanup(CodingList& list) {
    // Drops enumerated names down to and including the null that ends them.
    RecordRun* run = openRun(list);
    run->appendPush(Literal::null());
    run->appendAction(0x49);
    run->appendAction(0x12);
    emitOperand(list, 0x9D, -11);
    list.back()->seal();
}

void Generator::ForIn(ASNode* node, CodingList& list) {
    ASNode* variable = child(node, 0);
    ASNode* object = child(node, 1);
    if (!variable || !object ||
        (variable->getType() != ASNode::Identifier &&
         variable->getType() != ASNode::DefineVariable))
        throw CompileError{"for-in needs a variable name"};
    if (object->getType() == ASNode::Identifier) {
        addReference(list, object->getValue());
        emit(list, 0x46);
    } else if (m_info.version >= 6) {
        generate(object, list);
        emit(list, 0x55);
    } else {
        throw CompileError{"for-in over an expression needs SWF 6"};
    }
    LoopEntry loop(m_info.loops, true);
    CodingList body, test;
    addReference(body, variable->getValue());
    addLiteral(body, Literal::registerIndex(0));
    emit(body, 0x1D);
    Body(child(node, 2), body);
    emitOperand(test, 0x87, 0);
    addLiteral(test, Literal::null());
    emit(test, 0x49);
    closeLoop(test, body, list);
}

void Generator::Jump(ASNode* node, CodingList& list) {
    const bool isBreak = node->getType() == ASNode::Break;
    if (m_info.loops.empty())
        throw CompileError{isBreak ? "break outside a loop" : "continue outside a loop"};
    if (isBreak && m_info.loops.back())
        forInCleanup(list);
    emit(list, new ValueAction(isBreak ? kBreakCode : kContinueCode, 0));
}

void Generator::With(ASNode* node, CodingList& list) {
    m_info.context.push_back("With");
    generate(child(node, 0), list);
    CodingList body;
    for (int i = 1; i < node->count(); ++i)
        Body(child(node, i), body);
    emitOperand(list, 0x94, actionLength(body));
    appendBranch(list, body);
    m_info.context.pop_back();
}

void Generator::Event(ASNode* node, CodingList& list) {
    const bool clip = node->getType() == ASNode::OnClipEvent;
    ASNode* parent = node->getParent();
    if (!parent || parent->getType() != (clip ? ASNode::MovieClip : ASNode::Button))
        throw CompileError{"an event handler must stand at the top of its script"};
    int flags = 0;
    const int n = node->count();
    for (int i = 0; i + 1 < n; ++i) {
        ASNode* literal = child(node, i);
        const std::string name = literal->getValue();
        if (clip) {
            if (!m_builtins.isClipEvent(name))
                throw CompileError{"unknown clip event " + name};
            flags |= m_builtins.clipEvent(name);
            continue;
        }
        const int bits = m_builtins.buttonEvent(name);
        if (bits >= 0) {
            flags |= bits;
        } else if (literal->getType() == ASNode::String && name.size() == 1 &&
                   static_cast<unsigned char>(name[0]) >= 1 &&
                   static_cast<unsigned char>(name[0]) < 128) {
            // The key code sits in the seven bits 9 to 15.
            flags |= static_cast<unsigned char>(name[0]) << 9;
        } else {
            throw CompileError{"unknown button event " + name};
        }
    }
    CodingList actions;
    if (m_info.repeated)
        emit(actions, new TableAction(m_info.pool));
    LoopScope scope(m_info.loops);
    if (n > 0)
        Body(child(node, n - 1), actions);
    emit(list, new ASEvent(node->getType(), flags, std::move(actions)));
}

void Generator::Return(ASNode* node, CodingList& list) {
    if (node->count() > 0)
        generate(child(node, 0), list);
    else
        addLiteral(list, Literal::undefined());
    int forIns = 0;
    for (bool forIn : m_info.loops)
        forIns += forIn ? 1 : 0;
    if (forIns > 0) {
        // Leaving enumerations: keep the result aside while their names are dropped.
        emitOperand(list, 0x87, 0);
        emit(list, 0x17);
        for (int i = 0; i < forIns; ++i)
            forInCleanup(list);
        openRun(list)->appendPush(Literal::registerIndex(0));
    }
    emit(list, 0x3E);
}

void Generator::DefineVariable(ASNode* node, CodingList& list) {
    addReference(list, node->getValue());
    ASNode* parent = node->getParent();
    const bool target = parent && parent->getType() >= ASNode::Assign &&
                        parent->getType() <= ASNode::AssignBitXor && parent->get(0) == node;
    emit(list, target ? 0x3C : 0x41);
}

void Generator::DefineFunction(ASNode* node, CodingList& list) {
    const int n = node->count();
    CodingList body;
    {
        LoopScope scope(m_info.loops);
        if (n > 0)
            Body(child(node, n - 1), body);
    }
    emitFunction(node, body, list);
}

void Generator::emitFunction(ASNode* node, CodingList& body, CodingList& list) {
    std::vector<std::string> arguments;
    if (node->count() == 2) {
        ASNode* args = child(node, 0);
        if (args->getType() == ASNode::List) {
            for (int i = 0; i < args->count(); ++i)
                arguments.emplace_back(child(args, i)->getValue());
        } else {
            arguments.emplace_back(args->getValue());
        }
    }
    const std::string name = node->getType() == ASNode::DefineFunction ? node->getValue() : "";
    emit(list, new NewFunctionAction(name, std::move(arguments), std::move(body)));
}

} // namespace translate
