// Calls of named functions: user functions and the built-ins that compile to actions.
#include "ascompiler/codegen/generator.h"

#include <string>
#include <vector>

namespace translate {
namespace {

bool Is(ASNode* node, ASNode::NodeType type) {
    return node && node->getType() == type;
}

int SendMethod(ASNode* node) {
    const std::string_view method = node->getValue();
    if (method == "get" || method == "GET")
        return 1;
    if (method == "post" || method == "POST")
        return 2;
    return 0;
}

std::string Level(ASNode* number) {
    return "_level" + std::to_string(Integer::hxtoi(number->getValue()));
}

// "1 argument", "no arguments", "1, 2 or 6 arguments".
std::string CountText(uint8_t counts) {
    std::vector<int> allowed;
    for (int n = 0; n < 8; ++n)
        if (counts & (1u << n))
            allowed.push_back(n);
    if (allowed.size() == 1 && allowed[0] == 0)
        return "no arguments";
    std::string text;
    for (size_t i = 0; i < allowed.size(); ++i) {
        if (i > 0)
            text += i + 1 == allowed.size() ? " or " : ", ";
        text += std::to_string(allowed[i]);
    }
    return text + (allowed.size() == 1 && allowed[0] == 1 ? " argument" : " arguments");
}

// A built-in takes its arguments from the stack by a fixed count: more would stay there for
// the code around the call to take, fewer would take what belongs to that code.
[[noreturn, gnu::cold, gnu::noinline]] void WrongCount(std::string_view name, uint8_t counts,
                                                       int given) {
    throw CompileError{std::string(name) + " takes " + CountText(counts) + ", not " +
                       std::to_string(given)};
}

} // namespace

void Generator::Call(ASNode* node, CodingList& list) {
    const std::string_view name = node->getValue();
    const BuiltinName* known = m_builtins.find(name);
    if (!known || !known->function || known->form == CallForm::UserCall) {
        // A call of a function always leaves its result, whatever the name.
        Arguments(node, list);
        addReference(list, name);
        emit(list, 0x3D);
        popIfDiscarded(node, list);
        return;
    }
    Builtin(node, *known, list);
    if (known->form == CallForm::Delete)
        return; // it pops its own result
    // The actions of the others, loadVariables and set among them, leave no value: where one
    // is used, undefined stands for it rather than whatever the stack held below.
    if (!known->discard && name != "loadVariables" && name != "set")
        popIfDiscarded(node, list);
    else if (node->getStatus() != 1)
        addLiteral(list, Literal::undefined());
}

// Each form has a function of its own, so that only its frame stands on the stack below the
// expressions nested in its arguments.
void Generator::Builtin(ASNode* node, const BuiltinName& known, CodingList& list) {
    const int n = node->count();
    if (n >= 8 || !(known.counts & (1u << n)))
        WrongCount(known.name, known.counts, n);
    switch (known.form) {
    case CallForm::Actions:
    case CallForm::Void:
        InOrder(node, known, list);
        break;
    case CallForm::Delete:
        Delete(child(node, 0), node, list);
        break;
    case CallForm::Duplicate:
        Duplicate(node, list);
        break;
    case CallForm::Eval:
        Eval(node, list);
        break;
    case CallForm::FsCommand:
        FsCommand(node, list);
        break;
    case CallForm::GetProperty:
        GetProperty(node, list);
        break;
    case CallForm::GetUrl:
        GetUrl(node, list);
        break;
    case CallForm::GetVersion:
        addLiteral(list, Literal::string("/:$version"));
        emit(list, 0x1C);
        break;
    case CallForm::Goto:
        Goto(node, known.name == "gotoAndPlay", list);
        break;
    case CallForm::Scene:
        emitOperand(list, 0x81, 0);
        break;
    case CallForm::Load:
        Load(node, known.name == "loadMovie", list);
        break;
    case CallForm::Print:
        Print(node, list);
        break;
    case CallForm::SetProperty:
        SetProperty(node, list);
        break;
    case CallForm::StartDrag:
        StartDrag(node, list);
        break;
    case CallForm::UnloadMovie:
        UnloadMovie(node, list);
        break;
    case CallForm::None:
    case CallForm::UserCall:
        break;
    }
}

void Generator::InOrder(ASNode* node, const BuiltinName& known, CodingList& list) {
    for (int i = 0; i < node->count(); ++i)
        generate(child(node, i), list);
    emit(list, m_info.version >= 6 ? known.action6 : known.action);
    if (known.form == CallForm::Void)
        addLiteral(list, Literal::undefined());
}

void Generator::Duplicate(ASNode* node, CodingList& list) {
    generate(child(node, 0), list);
    generate(child(node, 1), list);
    ASNode* depth = child(node, 2);
    if (Is(depth, ASNode::Number)) {
        addLiteral(list, Literal::integer(static_cast<int32_t>(
                             static_cast<uint32_t>(Integer::hxtoi(depth->getValue())) + 16384u)));
    } else {
        addLiteral(list, Literal::integer(16384));
        generate(depth, list);
        emit(list, 0x47);
    }
    emit(list, 0x24);
}

void Generator::Eval(ASNode* node, CodingList& list) {
    ASNode* first = child(node, 0);
    generate(first, list);
    ASNode* parent = node->getParent();
    bool read = true;
    if (Is(parent, ASNode::Value)) {
        ASNode* next = parent->get(static_cast<unsigned int>(parent->indexOf(node) + 1));
        if (!next || Is(next, ASNode::Method) || Is(next, ASNode::Function))
            read = false;
    } else if (Is(first, ASNode::Number) || Is(first, ASNode::String)) {
        read = false;
    }
    if (read)
        emit(list, 0x1C);
}

void Generator::FsCommand(ASNode* node, CodingList& list) {
    ASNode* command = child(node, 0);
    ASNode* text = child(node, 1);
    if (Is(command, ASNode::String) && (!text || Is(text, ASNode::String))) {
        emit(list, new StringAction(0x83, command->getValue(), text ? text->getValue() : ""));
        return;
    }
    if (Is(command, ASNode::String)) {
        addReference(list, command->getValue());
    } else {
        addReference(list, "FSCommand:");
        generate(command, list);
        emit(list, 0x21);
    }
    if (text)
        generate(text, list);
    else
        addReference(list, "");
    emitOperand(list, 0x9A, 0);
}

int Generator::propertyArgument(ASNode* node) const {
    if (!Is(node, ASNode::Identifier) && !Is(node, ASNode::String))
        return -1;
    return m_builtins.propertyNamed(node->getValue());
}

void Generator::GetProperty(ASNode* node, CodingList& list) {
    // An unknown name would read the first property (_x) without a word.
    const int index = propertyArgument(child(node, 1));
    if (index < 0)
        throw CompileError{"getProperty needs a property name, not " +
                           std::string(child(node, 1)->getValue())};
    generate(child(node, 0), list);
    addLiteral(list, Literal::integer(index));
    emit(list, 0x22);
}

void Generator::SetProperty(ASNode* node, CodingList& list) {
    // Only the property is an index, and a property's name there, as a name or a string,
    // stands for its number; the target and the value read property names as values, as any
    // expression does.
    generate(child(node, 0), list);
    const int index = propertyArgument(child(node, 1));
    if (index >= 0)
        addLiteral(list, index);
    else
        generate(child(node, 1), list);
    generate(child(node, 2), list);
    emit(list, 0x23);
}

void Generator::GetUrl(ASNode* node, CodingList& list) {
    const int n = node->count();
    ASNode* url = child(node, 0);
    if (n == 1) {
        if (Is(url, ASNode::String)) {
            emit(list, new StringAction(0x83, url->getValue(), ""));
        } else {
            generate(url, list);
            addReference(list, "");
            emitOperand(list, 0x9A, 0);
        }
    } else if (n == 2 && Is(url, ASNode::String) && Is(child(node, 1), ASNode::String)) {
        emit(list, new StringAction(0x83, url->getValue(), child(node, 1)->getValue()));
    } else {
        generate(url, list);
        generate(child(node, 1), list);
        emitOperand(list, 0x9A, n >= 3 ? SendMethod(child(node, 2)) : 0);
    }
}

void Generator::Goto(ASNode* node, bool play, CodingList& list) {
    ASNode* frame = child(node, node->count() - 1);
    if (Is(frame, ASNode::Number)) {
        emitOperand(list, 0x81, Integer::hxtoi(frame->getValue()) - 1);
        if (play)
            emit(list, 0x06);
    } else {
        generate(frame, list);
        emitOperand(list, 0x9F, play ? 1 : 0);
    }
}

void Generator::Load(ASNode* node, bool movie, CodingList& list) {
    const int n = node->count();
    ASNode* url = child(node, 0);
    ASNode* target = child(node, 1);
    if (movie && n == 2 && Is(target, ASNode::Number)) {
        if (Is(url, ASNode::String)) {
            emit(list, new StringAction(0x83, url->getValue(), Level(target)));
        } else {
            generate(url, list);
            addReference(list, Level(target));
            emitOperand(list, 0x9A, 0);
        }
        return;
    }
    generate(url, list);
    generate(target, list);
    const int base = movie ? 0x40 : 0xC0;
    const int method = n == 3 ? (SendMethod(child(node, 2)) == 1 ? 1 : 2) : 0;
    emitOperand(list, 0x9A, base | method);
}

void Generator::Print(ASNode* node, CodingList& list) {
    addReference(list, child(node, 1)->getValue());
    generate(child(node, 0), list);
    emitOperand(list, 0x9A, 0);
}

void Generator::StartDrag(ASNode* node, CodingList& list) {
    const int n = node->count();
    if (n == 6) {
        for (int i = 2; i < 6; ++i)
            generate(child(node, i), list);
        addLiteral(list, Literal::integer(1));
        generate(child(node, 1), list);
    } else if (n == 2) {
        addLiteral(list, 0);
        generate(child(node, 1), list);
    } else {
        addLiteral(list, 0);
        addLiteral(list, 0);
    }
    generate(child(node, 0), list);
    emit(list, 0x27);
}

void Generator::UnloadMovie(ASNode* node, CodingList& list) {
    ASNode* target = child(node, 0);
    if (Is(target, ASNode::Number)) {
        emit(list, new StringAction(0x83, "", Level(target)));
    } else {
        addReference(list, "");
        generate(target, list);
        emitOperand(list, 0x9A, 0x40);
    }
}

} // namespace translate
