#include "ascompiler/codegen/generator.h"

#include "ascompiler/tree/node_factory.h"

#include <string>

namespace translate {
namespace {

// Nesting beyond this is refused rather than risking the stack. A level of the parser's
// nesting takes at most two generators here (a member chain around a literal), so whatever
// nests within the parser's limit is generated; chains of assignments and of postfix
// increments, which the parser takes in loops, find their bound here.
constexpr int kMaxDepth = 2500;

bool IsBlock(ASNode::NodeType type) {
    return type == ASNode::Array || type == ASNode::Button || type == ASNode::MovieClip ||
           type == ASNode::List;
}

// Lists whose members stand as statements.
bool IsStatementList(ASNode::NodeType type) {
    return type == ASNode::List || type == ASNode::ExpressionList;
}

struct DepthGuard {
    explicit DepthGuard(int& depth) : m_depth(depth) {
        if (++m_depth > kMaxDepth)
            throw CompileError{"Script nests too deeply"};
    }
    ~DepthGuard() { --m_depth; }
    int& m_depth;
};

} // namespace

void Generator::discardValues(ASNode* node) {
    node->setStatus(1);
    if (!IsStatementList(node->getType()))
        return;
    std::vector<ASNode*> lists{node};
    while (!lists.empty()) {
        ASNode* list = lists.back();
        lists.pop_back();
        for (int i = 0; i < list->count(); ++i) {
            ASNode* member = list->get(static_cast<unsigned int>(i));
            member->setStatus(1);
            if (IsStatementList(member->getType()))
                lists.push_back(member);
        }
    }
}

// Both passes walk with a stack of their own rather than by recursion, so that a long chain
// of operators or else-ifs, however deep its tree, costs no stack.
void Generator::reorder(ASNode* root) {
    struct Open {
        ASNode* node;
        int next;  // the child to walk next
        int count; // children when the walk began: hoisting leaves the count as it was
    };
    std::vector<Open> open;
    auto enter = [&](ASNode* node) {
        if (IsBlock(node->getType())) {
            m_info.nodeStack.push_back(node);
            m_info.numberStack.push_back(0);
            m_hoisted.emplace_back();
        }
        open.push_back({node, 0, node->count()});
    };
    enter(root);
    while (!open.empty()) {
        Open& top = open.back();
        if (top.next < top.count) {
            ASNode* c = child(top.node, top.next);
            // A leaf has nothing to rewrite.
            if (c->count() > 0) {
                enter(c);
                continue;
            }
            hoist(top.node, top.next++, c);
            continue;
        }
        ASNode* node = top.node;
        open.pop_back();
        rewrite(node);
        if (!open.empty()) {
            Open& parent = open.back();
            hoist(parent.node, parent.next++, node);
        }
    }
}

void Generator::hoist(ASNode* parent, int slot, ASNode* c) {
    // A named function definition leaves a NoOp in its slot and moves, in source order, to the
    // start of the innermost enclosing block once that block has been walked (so no list is
    // shifted while it is walked).
    if (c->getType() != ASNode::DefineFunction || m_hoisted.empty())
        return;
    parent->set(static_cast<unsigned int>(slot), NewASNode(ASNode::NoOp));
    m_hoisted.back().push_back(c);
    ++m_info.numberStack.back();
}

void Generator::rewrite(ASNode* node) {
    const ASNode::NodeType type = node->getType();
    switch (type) {
    case ASNode::Value:
        if (node->count() >= 2 && child(node, 0)->getType() == ASNode::Identifier &&
            child(node, 1)->getType() == ASNode::Attribute) {
            // Joined in place: no constant's name is as long as the buffer.
            const std::string_view object = child(node, 0)->getValue();
            const std::string_view member = child(node, 1)->getValue();
            char name[32];
            if (object.size() + member.size() + 2 > sizeof name)
                break;
            object.copy(name, object.size());
            name[object.size()] = '.';
            member.copy(name + object.size() + 1, member.size());
            name[object.size() + 1 + member.size()] = 0;
            if (m_builtins.isConstant(std::string_view(name, object.size() + 1 + member.size()))) {
                // Members and calls after the constant apply to its value.
                const bool more = node->count() > 2;
                ASNode* constant = more ? child(node, 0) : node;
                constant->setType(ASNode::Constant);
                constant->setValue(name);
                for (unsigned int i = more ? 1 : 0; i < 2; ++i)
                    if (ASNode* old = node->set(i, NewASNode(ASNode::NoOp)))
                        old->destroy();
            }
        }
        break;
    case ASNode::Function: {
        const std::string_view value = node->getValue();
        if (value == "fscommand" && node->count() > 0 &&
            child(node, 0)->getType() == ASNode::String) {
            child(node, 0)->setValue(
                ("FSCommand:" + std::string(child(node, 0)->getValue())).c_str());
        } else if ((value == "print" || value == "printAsBitmap") && node->count() >= 2) {
            const std::string prefix = value == "print" ? "print:" : "printasbitmap:";
            ASNode* target = child(node, 1);
            const std::string old = target->getValue();
            target->setValue((old == "bmovie" ? prefix : prefix + "#" + old).c_str());
        }
        break;
    }
    default:
        break;
    }
    if (!IsBlock(type))
        return;
    std::vector<ASNode*> moved = std::move(m_hoisted.back());
    m_hoisted.pop_back();
    m_info.nodeStack.pop_back();
    m_info.numberStack.pop_back();
    if (moved.empty())
        return;
    std::vector<ASNode*> rest;
    while (node->count() > 0)
        rest.push_back(node->remove(static_cast<unsigned int>(node->count() - 1)));
    for (ASNode* f : moved)
        node->append(f);
    for (auto it = rest.rbegin(); it != rest.rend(); ++it)
        node->append(*it);
}

void Generator::findStrings(ASNode* root) {
    std::vector<StringStep>& steps = m_stringSteps;
    steps.clear();
    steps.push_back({root, "", false});
    while (!steps.empty()) {
        const StringStep step = steps.back();
        steps.pop_back();
        if (step.node)
            FindStrings(step.node, step.inGetProperty);
        else
            m_info.addString(step.offer);
    }
}

// Offers what the node offers at once and queues its children, and what it offers after
// them, in reverse order of their walk.
void Generator::FindStrings(ASNode* node, bool inGetProperty) {
    const int n = node->count();
    ASNode* const* children = node->getChildren();
    std::vector<StringStep>& steps = m_stringSteps;
    auto walk = [&](int i) { steps.push_back({children[i], "", inGetProperty}); };
    switch (node->getType()) {
    case ASNode::NoOp:
        return;
    case ASNode::Value:
        // Calls last to first, then the other elements first to last.
        for (int i = n - 1; i >= 0; --i)
            if (children[i]->getType() != ASNode::Function)
                walk(i);
        for (int i = 0; i < n; ++i)
            if (children[i]->getType() == ASNode::Function)
                walk(i);
        return;
    case ASNode::String:
    case ASNode::DefineVariable:
        m_info.addString(node->getValue());
        return;
    case ASNode::Identifier: {
        const std::string_view name = node->getValue();
        if (name == "true" || name == "false" || name == "null")
            return;
        ASNode* parent = node->getParent();
        const ASNode::NodeType parentType = parent ? parent->getType() : ASNode::NoOp;
        // Only property names start with an underscore; only handlers name events.
        const bool special = (!name.empty() && name[0] == '_') || parentType == ASNode::On ||
                             parentType == ASNode::OnClipEvent;
        const BuiltinName* known = special ? m_builtins.find(name) : nullptr;
        if (!known) {
            m_info.addString(name);
            return;
        }
        if (parentType == ASNode::OnClipEvent && known->clipEvent != 0)
            return;
        if (parentType == ASNode::On && known->buttonEvent >= 0)
            return;
        if (known->property >= 0) {
            if (parentType == ASNode::Value && !inGetProperty)
                m_info.addString(name);
            return;
        }
        m_info.addString(name);
        return;
    }
    case ASNode::Attribute:
    case ASNode::Method:
    case ASNode::NewObject:
        // Children last to first, then the name.
        offerAfter(node);
        for (int i = 0; i < n; ++i)
            walk(i);
        return;
    case ASNode::Function:
        FindCallStrings(node, inGetProperty);
        return;
    case ASNode::DefineArray:
        for (int i = 0; i < n; ++i)
            walk(i);
        return;
    case ASNode::DefineFunction:
        if (n > 0)
            walk(n - 1);
        return;
    default:
        for (int i = n - 1; i >= 0; --i)
            walk(i);
        return;
    }
}

void Generator::FindCallStrings(ASNode* node, bool inGetProperty) {
    const std::string_view name = node->getValue();
    const int n = node->count();
    std::vector<StringStep>& steps = m_stringSteps;
    auto walk = [&](int i, bool getProperty) {
        steps.push_back({child(node, i), "", getProperty});
    };
    if (!m_builtins.isFunction(name)) {
        if (!name.empty())
            offerAfter(node);
        for (int i = n - 1; i >= 0; --i)
            walk(i, inGetProperty);
    } else if (name == "fscommand") {
        m_info.addString("FSCommand:");
        for (int i = n - 1; i >= 0; --i)
            walk(i, inGetProperty);
    } else if (name == "getURL" || name == "loadMovie" || name == "loadVariables") {
        if (n == 1)
            steps.push_back({nullptr, "", false}); // the empty target
        for (int i = std::min(n, 2) - 1; i >= 0; --i)
            walk(i, inGetProperty);
    } else if (name == "gotoAndPlay" || name == "gotoAndStop") {
        if (n > 0)
            walk(n - 1, inGetProperty);
    } else if (name == "print" || name == "printAsBitmap") {
        for (int i = 0; i < n; ++i)
            walk(i, inGetProperty);
    } else {
        const bool getProperty = inGetProperty || name == "getProperty";
        // A property's name as the property of getProperty or setProperty is pushed as its
        // index.
        const int index = (name == "getProperty" || name == "setProperty") && n > 1
                              ? propertyArgument(child(node, 1))
                              : -1;
        for (int i = n - 1; i >= 0; --i)
            if (i != 1 || index < 0)
                walk(i, getProperty);
    }
}

void Generator::addLiteral(CodingList& list, const Literal& value) {
    openRun(list)->appendValue(value);
}

void Generator::addLiteral(CodingList& list, int n) {
    if (n != 0)
        addLiteral(list, Literal::integer(n));
    else
        addLiteral(list, Literal::number(0.0));
}

void Generator::addReference(CodingList& list, std::string_view text) {
    const int index = m_info.repeated ? m_info.indexOf(text) : -1;
    if (index >= 0)
        addLiteral(list, Literal::tableIndex(index));
    else
        addLiteral(list, Literal::string(text));
}

void Generator::emit(CodingList& list, Coding* coding) {
    CodingPtr owned(coding);
    if (list.size() == list.capacity())
        list.reserve(list.empty() ? 8 : 2 * list.size());
    list.push_back(std::move(owned));
}

void Generator::emit(CodingList& list, int code) {
    if (code < 0x80)
        openRun(list)->appendAction(code);
    else
        emit(list, new Action(code));
}

void Generator::emitOperand(CodingList& list, int code, int operand) {
    openRun(list)->appendOperand(code, operand);
}

RecordRun* Generator::newRun(CodingList& list) {
    auto* run = new RecordRun();
    emit(list, run);
    return run;
}

void Generator::appendBranch(CodingList& list, CodingList& branch) {
    if (branch.empty())
        return;
    branch.back()->seal();
    moveAll(list, branch);
}

int Generator::lastCode(const CodingList& list) {
    return list.empty() ? -1 : list.back()->code();
}

int Generator::removeRead(CodingList& list) {
    if (list.empty() || list.back()->sealed())
        return 0;
    const int code = list.back()->code();
    if (code != 0x1C && code != 0x4E && code != 0x22 && code != 0x3C)
        return 0;
    if (!list.back()->isRun() || !static_cast<RecordRun*>(list.back().get())->removeLast())
        list.pop_back();
    return code;
}

void Generator::popIfDiscarded(ASNode* node, CodingList& list) {
    if (node->getStatus() == 1)
        emit(list, 0x17);
}

ASNode* Generator::arg(ASNode* node, int i, std::string_view name) {
    ASNode* a = child(node, i);
    if (!a)
        throw CompileError{std::string(name) + " is missing an argument"};
    return a;
}

void Generator::generate(ASNode* node, CodingList& list) {
    if (!node)
        return;
    DepthGuard guard(m_depth);
    switch (node->getType()) {
    case ASNode::Array:
    case ASNode::Button:
    case ASNode::MovieClip:
        Script(node, list);
        break;
    case ASNode::List:
        Block(node, list);
        break;
    case ASNode::ExpressionList:
        for (int i = 0; i < node->count(); ++i)
            generate(child(node, i), list);
        break;
    case ASNode::If:
        If(node, list);
        break;
    case ASNode::For:
        For(node, list);
        break;
    case ASNode::ForIn:
        ForIn(node, list);
        break;
    case ASNode::While:
        While(node, list);
        break;
    case ASNode::DoWhile:
        DoWhile(node, list);
        break;
    case ASNode::With:
        With(node, list);
        break;
    case ASNode::OnClipEvent:
    case ASNode::On:
        Event(node, list);
        break;
    case ASNode::Break:
    case ASNode::Continue:
        Jump(node, list);
        break;
    case ASNode::Return:
        Return(node, list);
        break;
    case ASNode::Value:
        Chain(node, list);
        break;
    case ASNode::Constant:
        addLiteral(list, m_builtins.constant(node->getValue()));
        popIfDiscarded(node, list);
        break;
    case ASNode::Number:
        Number(node, list);
        break;
    case ASNode::String:
        addReference(list, node->getValue());
        popIfDiscarded(node, list);
        break;
    case ASNode::Identifier:
        Identifier(node, list);
        break;
    case ASNode::Attribute:
        addReference(list, node->getValue());
        emit(list, 0x4E);
        popIfDiscarded(node, list);
        break;
    case ASNode::Method:
        addReference(list, node->getValue());
        emit(list, 0x52);
        break;
    case ASNode::Function:
        Call(node, list);
        break;
    case ASNode::NewObject:
        NewObject(node, list);
        break;
    case ASNode::Subscript:
        generate(child(node, 0), list);
        emit(list, 0x4E);
        break;
    case ASNode::DefineVariable:
        DefineVariable(node, list);
        break;
    case ASNode::DefineArray:
        DefineArray(node, list);
        break;
    case ASNode::DefineFunction:
    case ASNode::DefineMethod:
        DefineFunction(node, list);
        break;
    case ASNode::DefineAttribute:
        // Handled by its object literal.
        break;
    case ASNode::DefineObject:
        DefineObject(node, list);
        break;
    case ASNode::Select:
        Select(node, list);
        break;
    case ASNode::Not:
    case ASNode::BitNot:
    case ASNode::Plus:
    case ASNode::Minus:
        Unary(node, list);
        break;
    case ASNode::PreInc:
    case ASNode::PreDec:
    case ASNode::PostInc:
    case ASNode::PostDec:
        Increment(node, list);
        break;
    case ASNode::Delete:
        Delete(child(node, 0), node, list);
        break;
    default:
        if (node->getType() >= ASNode::Assign && node->getType() <= ASNode::AssignBitXor)
            Assign(node, list);
        else if (isOperator(node))
            Operators(node, list);
        break;
    }
}

void Generator::Script(ASNode* node, CodingList& list) {
    const ASNode::NodeType kind = node->getType();
    CodingList local;
    if (kind == ASNode::Array && m_info.repeated)
        emit(local, new TableAction(m_info.pool));
    for (int i = 0; i < node->count(); ++i) {
        ASNode* statement = child(node, i);
        const ASNode::NodeType type = statement->getType();
        // A handler script holds handlers of its one kind only.
        if (kind == ASNode::Button && type != ASNode::On && type != ASNode::NoOp)
            throw CompileError{"a button script may hold only on() handlers"};
        if (kind == ASNode::MovieClip && type != ASNode::OnClipEvent && type != ASNode::NoOp)
            throw CompileError{"a clip script may hold only onClipEvent() handlers"};
        discardValues(statement);
        generate(statement, local);
    }
    emit(list, new ASArray(kind, std::move(local)));
}

} // namespace translate
