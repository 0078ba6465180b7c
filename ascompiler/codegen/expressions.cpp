// Expressions: literals, names, access chains, literals of arrays and objects, operators,
// assignments, increments and delete.
#include "ascompiler/codegen/generator.h"

#include "core/strings/string_functions.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace translate {
namespace {

int OperatorCode(ASNode::NodeType type) {
    switch (type) {
    case ASNode::Add:
    case ASNode::AssignAdd:
        return 0x47;
    case ASNode::Sub:
    case ASNode::AssignSub:
        return 0x0B;
    case ASNode::Mul:
    case ASNode::AssignMul:
        return 0x0C;
    case ASNode::Div:
    case ASNode::AssignDiv:
        return 0x0D;
    case ASNode::Mod:
    case ASNode::AssignMod:
        return 0x3F;
    case ASNode::LSL:
    case ASNode::AssignLSL:
        return 0x63;
    case ASNode::ASR:
    case ASNode::AssignASR:
        return 0x64;
    case ASNode::LSR:
    case ASNode::AssignLSR:
        return 0x65;
    case ASNode::BitAnd:
    case ASNode::AssignBitAnd:
        return 0x60;
    case ASNode::BitOr:
    case ASNode::AssignBitOr:
        return 0x61;
    case ASNode::BitXor:
    case ASNode::AssignBitXor:
        return 0x62;
    case ASNode::Equal:
    case ASNode::NotEqual:
        return 0x49;
    case ASNode::InstanceOf:
        return 0x54;
    default:
        return 0x48; // the comparisons
    }
}

bool IsHex(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

} // namespace

Literal Generator::numberValue(std::string_view text) {
    if (text == "0")
        return Literal::number(0.0);
    if (IsHex(text)) {
        // Accumulated as a double so that digits beyond 32 bits do not wrap.
        double value = 0.0;
        for (size_t i = 2; i < text.size(); ++i) {
            const int digit = BK_HexDigitValue(static_cast<unsigned char>(text[i]));
            if (digit < 0)
                break;
            value = value * 16.0 + digit;
        }
        if (value <= std::numeric_limits<int32_t>::max())
            return Literal::integer(static_cast<int32_t>(value));
        return Literal::number(value);
    }
    if (text.find_first_of(".eE") != std::string_view::npos)
        return Literal::number(Double::parse(text));
    // Decimal digits: an Integer where 32 bits hold the value, else a Double.
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size() &&
        value <= std::numeric_limits<int32_t>::max())
        return Literal::integer(static_cast<int32_t>(value));
    if (ec == std::errc::result_out_of_range ||
        (ec == std::errc() && end == text.data() + text.size()))
        return Literal::number(Double::parse(text));
    return Literal::integer(Integer::hxtoi(text));
}

void Generator::Number(ASNode* node, CodingList& list) {
    addLiteral(list, numberValue(node->getValue()));
    popIfDiscarded(node, list);
}

void Generator::Identifier(ASNode* node, CodingList& list) {
    const std::string_view name = node->getValue();
    if (name == "null") {
        addLiteral(list, Literal::null());
    } else if (name == "true" || name == "false") {
        addLiteral(list, Literal::boolean(name == "true"));
    } else if (m_builtins.isProperty(name)) {
        if (m_info.inContext("With")) {
            addReference(list, name);
            emit(list, 0x1C);
        } else {
            addReference(list, "");
            addLiteral(list, m_builtins.propertyIndex(name));
            emit(list, 0x22);
        }
    } else {
        addReference(list, name);
        emit(list, 0x1C);
    }
    popIfDiscarded(node, list);
}

void Generator::Arguments(ASNode* call, CodingList& list) {
    for (int i = call->count() - 1; i >= 0; --i)
        generate(child(call, i), list);
    addLiteral(list, call->count());
}

void Generator::Chain(ASNode* node, CodingList& list) {
    const int n = node->count();
    for (int i = n - 1; i >= 1; --i) {
        ASNode* e = child(node, i);
        if (e->getType() == ASNode::Method ||
            (e->getType() == ASNode::Function && std::string_view(e->getValue()) != "eval"))
            Arguments(e, list);
    }
    if (n > 0)
        generate(child(node, 0), list);
    for (int i = 1; i < n; ++i) {
        ASNode* e = child(node, i);
        switch (e->getType()) {
        case ASNode::Function:
            if (lastCode(list) == 0x4E && !list.back()->sealed()) {
                list.back()->setCode(0x52);
            } else if (i == 1 && child(node, 0)->getType() == ASNode::Function &&
                       std::string_view(child(node, 0)->getValue()) == "eval") {
                emit(list, 0x3D); // eval left the function's name
            } else {
                // A function value: a method call without a name calls the object itself.
                addReference(list, "");
                emit(list, 0x52);
            }
            break;
        case ASNode::Method:
            addReference(list, e->getValue());
            emit(list, 0x52);
            break;
        case ASNode::Attribute:
            addReference(list, e->getValue());
            emit(list, 0x4E);
            break;
        case ASNode::Subscript:
            generate(child(e, 0), list);
            emit(list, 0x4E);
            break;
        default:
            break;
        }
    }
    popIfDiscarded(node, list);
}

void Generator::NewObject(ASNode* node, CodingList& list) {
    Arguments(node, list);
    addReference(list, node->getValue());
    emit(list, 0x40);
    popIfDiscarded(node, list);
}

void Generator::DefineArray(ASNode* node, CodingList& list) {
    Arguments(node, list);
    emit(list, 0x42);
    popIfDiscarded(node, list);
}

void Generator::DefineObject(ASNode* node, CodingList& list) {
    int pairs = 0;
    for (int i = 0; i < node->count(); ++i) {
        ASNode* pair = child(node, i);
        if (pair->getType() != ASNode::DefineAttribute || pair->count() < 2)
            continue;
        ASNode* key = child(pair, 0);
        // A name key stands for itself, never for the variable of that name.
        if (key->getType() == ASNode::Identifier)
            addReference(list, key->getValue());
        else
            generate(key, list);
        generate(child(pair, 1), list);
        ++pairs;
    }
    addLiteral(list, pairs);
    emit(list, 0x43);
    popIfDiscarded(node, list);
}

void Generator::Unary(ASNode* node, CodingList& list) {
    ASNode* operand = child(node, 0);
    const ASNode::NodeType type = node->getType();
    if (!operand)
        throw CompileError{"an operator is missing its operand"};
    if ((type == ASNode::Plus || type == ASNode::Minus) && operand->getType() == ASNode::Number) {
        Literal value = numberValue(operand->getValue());
        if (std::string_view(operand->getValue()) == "0") {
            addLiteral(list, 0);
            popIfDiscarded(node, list);
            return;
        }
        if (type == ASNode::Minus) {
            if (value.type() == Value::kInteger)
                value = Literal::integer(-value.integerValue());
            else
                value = Literal::number(-value.doubleValue());
        }
        if (value.type() == Value::kInteger && value.integerValue() == 0)
            addLiteral(list, 0);
        else
            addLiteral(list, value);
    } else if (type == ASNode::Minus) {
        addLiteral(list, 0);
        generate(operand, list);
        emit(list, 0x0B);
    } else if (type == ASNode::Plus) {
        generate(operand, list);
    } else if (type == ASNode::Not) {
        generate(operand, list);
        emit(list, 0x12);
    } else {
        generate(operand, list);
        addLiteral(list, Literal::number(4294967295.0));
        emit(list, 0x62);
    }
    popIfDiscarded(node, list);
}

bool Generator::isOperator(ASNode* node) {
    const ASNode::NodeType type = node->getType();
    return (type >= ASNode::Add && type <= ASNode::LessThanEqual) || type == ASNode::InstanceOf;
}

// Parsed chains lean to the left, so the loop walks down the left operands: each operator
// emits what comes before its left operand's code on the way down and the rest on the way
// back up. > and <= take their right operand first; && and || keep theirs aside as the branch
// that the left operand's value may skip.
void Generator::Operators(ASNode* node, CodingList& list) {
    const size_t base = m_operators.size();
    struct Unwind {
        std::vector<PendingOperator>& pending;
        size_t base;
        ~Unwind() { pending.resize(base); }
    } unwind{m_operators, base};
    ASNode* n = node;
    while (n && isOperator(n)) {
        const ASNode::NodeType type = n->getType();
        CodingList right;
        if (type == ASNode::And || type == ASNode::Or) {
            emit(right, 0x17);
            generate(child(n, 1), right);
        } else if (type == ASNode::GreaterThan || type == ASNode::LessThanEqual) {
            generate(child(n, 1), list);
        }
        m_operators.push_back({n, std::move(right)});
        n = child(n, 0);
    }
    generate(n, list);
    while (m_operators.size() > base) {
        PendingOperator pending = std::move(m_operators.back());
        m_operators.pop_back();
        n = pending.node;
        const ASNode::NodeType type = n->getType();
        if (type == ASNode::And || type == ASNode::Or) {
            emit(list, 0x4C);
            if (type == ASNode::And)
                emit(list, 0x12);
            emitOperand(list, 0x9D, actionLength(pending.right));
            appendBranch(list, pending.right);
        } else {
            if (type != ASNode::GreaterThan && type != ASNode::LessThanEqual)
                generate(child(n, 1), list);
            emit(list, OperatorCode(type));
            if (type == ASNode::NotEqual || type == ASNode::GreaterThanEqual ||
                type == ASNode::LessThanEqual)
                emit(list, 0x12);
        }
        popIfDiscarded(n, list);
    }
}

void Generator::Select(ASNode* node, CodingList& list) {
    CodingList whenFalse, whenTrue;
    generate(child(node, 2), whenFalse);
    generate(child(node, 1), whenTrue);
    generate(child(node, 0), list);
    emitOperand(list, 0x9D, actionLength(whenFalse) + 5);
    appendBranch(list, whenFalse);
    emitOperand(list, 0x99, actionLength(whenTrue));
    appendBranch(list, whenTrue);
    popIfDiscarded(node, list);
}

void Generator::store(int read, CodingList& list) {
    switch (read) {
    case 0x22:
        emit(list, 0x23);
        break;
    case 0x4E:
        emit(list, 0x4F);
        break;
    case 0x3C:
        emit(list, 0x3C);
        break;
    default:
        emit(list, 0x1D);
        break;
    }
}

bool Generator::hasSideEffects(ASNode* node) {
    std::vector<ASNode*> pending{node};
    while (!pending.empty()) {
        ASNode* n = pending.back();
        pending.pop_back();
        switch (n->getType()) {
        case ASNode::Function: {
            const BuiltinName* known = m_builtins.find(n->getValue());
            if (!known || !known->function || !known->readOnly)
                return true;
            break;
        }
        case ASNode::Method:
        case ASNode::NewObject:
        case ASNode::PreInc:
        case ASNode::PreDec:
        case ASNode::PostInc:
        case ASNode::PostDec:
        case ASNode::Delete:
            return true;
        case ASNode::DefineMethod:
            continue; // its body runs only when it is called
        default:
            if (n->getType() >= ASNode::Assign && n->getType() <= ASNode::AssignBitXor)
                return true;
            break;
        }
        for (int i = 0; i < n->count(); ++i)
            pending.push_back(child(n, i));
    }
    return false;
}

void Generator::readAgain(int read, CodingList& list) {
    if (read == 0x22 || read == 0x4E) {
        // Object and key: the key waits in register 0 while the object is copied.
        emitOperand(list, 0x87, 0);
        emit(list, 0x17);
        emit(list, 0x4C);
        addLiteral(list, Literal::registerIndex(0));
        emit(list, 0x4D);
        addLiteral(list, Literal::registerIndex(0));
        emit(list, read);
    } else {
        emit(list, 0x4C);
        emit(list, 0x1C);
    }
}

void Generator::Assign(ASNode* node, CodingList& list) {
    ASNode* target = child(node, 0);
    ASNode* value = child(node, 1);
    if (!target || !value)
        throw CompileError{"an assignment is missing a part"};
    generate(target, list);
    const int read = removeRead(list);
    if (!read)
        throw CompileError{"the left side of an assignment is not a variable, member or property"};
    const bool compound = node->getType() != ASNode::Assign;
    // A declared name (var x += 1) is read as the variable it names.
    if (compound && (read == 0x3C || hasSideEffects(target)))
        readAgain(read, list);
    else if (compound)
        generate(target, list);
    generate(value, list);
    if (compound)
        emit(list, OperatorCode(node->getType()));
    // A used value (a = b = c, f(a = 1)) is kept in register 0 across the store.
    const bool used = node->getStatus() != 1;
    if (used)
        emitOperand(list, 0x87, 0);
    store(read, list);
    if (used)
        addLiteral(list, Literal::registerIndex(0));
}

void Generator::Increment(ASNode* node, CodingList& list) {
    ASNode* target = child(node, 0);
    if (!target)
        throw CompileError{"an increment is missing its operand"};
    const ASNode::NodeType type = node->getType();
    const bool pre = type == ASNode::PreInc || type == ASNode::PreDec;
    const bool used = node->getStatus() != 1;
    const int step = (type == ASNode::PreInc || type == ASNode::PostInc) ? 0x50 : 0x51;
    if (hasSideEffects(target)) {
        // The target's code runs once; the value handed on waits in register 0.
        generate(target, list);
        const int read = removeRead(list);
        if (!read || read == 0x3C)
            throw CompileError{"only a variable, member or property can be incremented"};
        readAgain(read, list);
        if (!pre && used)
            emitOperand(list, 0x87, 0);
        emit(list, step);
        if (pre && used)
            emitOperand(list, 0x87, 0);
        store(read, list);
        if (used)
            addLiteral(list, Literal::registerIndex(0));
        return;
    }
    if (!pre && used)
        generate(target, list);
    generate(target, list);
    const int read = removeRead(list);
    if (!read || read == 0x3C)
        throw CompileError{"only a variable, member or property can be incremented"};
    generate(target, list);
    emit(list, step);
    if (pre && used)
        emitOperand(list, 0x87, 0);
    store(read, list);
    if (pre && used)
        addLiteral(list, Literal::registerIndex(0));
}

void Generator::Delete(ASNode* operand, ASNode* node, CodingList& list) {
    if (!operand)
        throw CompileError{"delete needs an operand"};
    generate(operand, list);
    const int read = removeRead(list);
    if (read == 0x1C)
        emit(list, 0x3B);
    else if (read == 0x4E)
        emit(list, 0x3A);
    else
        throw CompileError{"only a variable or a member can be deleted"};
    popIfDiscarded(node, list);
}

} // namespace translate
