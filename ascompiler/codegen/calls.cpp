// Calls of named functions: user functions and the built-ins that compile to actions.
#include "ascompiler/codegen/generator.h"

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

} // namespace

void Generator::Call(ASNode* node, CodingList& list) {
    const std::string_view name = node->getValue();
    const BuiltinName* known = m_builtins.find(name);
    if (!known || !known->function || name == "hitTest") {
        Arguments(node, list);
        addReference(list, name);
        emit(list, 0x3D);
    } else {
        Builtin(node, name, list);
    }
    // delete pops its own result; loadVariables and set leave none.
    if (node->getStatus() == 1 && !(known && known->discard) && name != "delete" &&
        name != "loadVariables" && name != "set")
        emit(list, 0x17);
}

void Generator::Builtin(ASNode* node, std::string_view name, CodingList& list) {
    const int n = node->count();
    auto need = [&](int count) {
        if (n < count)
            throw CompileError{std::string(name) + " needs " + std::to_string(count) + " argument" +
                               (count > 1 ? "s" : "")};
    };
    auto all = [&](int code) {
        for (int i = 0; i < n; ++i)
            generate(child(node, i), list);
        emit(list, code);
    };
    auto level = [&](ASNode* number) {
        return "_level" + std::to_string(Integer::hxtoi(number->getValue()));
    };

    if (name == "delete") {
        need(1);
        Delete(child(node, 0), node, list);
    } else if (name == "duplicateMovieClip") {
        need(3);
        generate(child(node, 0), list);
        generate(child(node, 1), list);
        ASNode* depth = child(node, 2);
        if (Is(depth, ASNode::Number)) {
            addLiteral(list,
                       Literal::integer(static_cast<int32_t>(
                           static_cast<uint32_t>(Integer::hxtoi(depth->getValue())) + 16384u)));
        } else {
            addLiteral(list, Literal::integer(16384));
            generate(depth, list);
            emit(list, 0x47);
        }
        emit(list, 0x24);
    } else if (name == "eval") {
        need(1);
        ASNode* first = child(node, 0);
        generate(first, list);
        ASNode* parent = node->getParent();
        bool read = true;
        if (Is(parent, ASNode::Value)) {
            ASNode* next = parent->get(static_cast<unsigned int>(parent->indexOf(node) + 1));
            if (!next || Is(next, ASNode::Method) || Is(next, ASNode::Function))
                read = false;
        } else if (n != 1 || Is(first, ASNode::Number) || Is(first, ASNode::String)) {
            read = false;
        }
        if (read)
            emit(list, 0x1C);
    } else if (name == "fscommand") {
        need(1);
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
    } else if (name == "getProperty") {
        need(2);
        // An unknown name would read the first property (_x) without a word.
        const std::string_view property = child(node, 1)->getValue();
        if (!m_builtins.isProperty(property))
            throw CompileError{"getProperty needs a property name, not " + std::string(property)};
        generate(child(node, 0), list);
        addLiteral(list, Literal::integer(m_builtins.propertyIndex(property)));
        emit(list, 0x22);
    } else if (name == "getTimer") {
        emit(list, 0x34);
    } else if (name == "getURL") {
        need(1);
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
    } else if (name == "getVersion") {
        addLiteral(list, Literal::string("/:$version"));
        emit(list, 0x1C);
    } else if (name == "gotoAndPlay" || name == "gotoAndStop") {
        need(1);
        const bool play = name == "gotoAndPlay";
        ASNode* frame = child(node, n - 1);
        if (Is(frame, ASNode::Number)) {
            emitOperand(list, 0x81, Integer::hxtoi(frame->getValue()) - 1);
            if (play)
                emit(list, 0x06);
        } else {
            generate(frame, list);
            emitOperand(list, 0x9F, play ? 1 : 0);
        }
    } else if (name == "loadMovie" || name == "loadVariables") {
        const bool movie = name == "loadMovie";
        if (n != 2 && n != 3)
            throw CompileError{std::string(name) + " takes two or three arguments"};
        ASNode* url = child(node, 0);
        ASNode* target = child(node, 1);
        if (movie && n == 2 && Is(target, ASNode::Number)) {
            if (Is(url, ASNode::String)) {
                emit(list, new StringAction(0x83, url->getValue(), level(target)));
            } else {
                generate(url, list);
                addReference(list, level(target));
                emitOperand(list, 0x9A, 0);
            }
            return;
        }
        generate(url, list);
        generate(target, list);
        const int base = movie ? 0x40 : 0xC0;
        const int method = n == 3 ? (SendMethod(child(node, 2)) == 1 ? 1 : 2) : 0;
        emitOperand(list, 0x9A, base | method);
    } else if (name == "nextFrame") {
        emit(list, 0x04);
    } else if (name == "nextScene" || name == "prevScene") {
        emitOperand(list, 0x81, 0);
    } else if (name == "Number" || name == "String") {
        need(1);
        generate(child(node, 0), list);
        emit(list, name == "Number" ? 0x4A : 0x4B);
    } else if (name == "play") {
        emit(list, 0x06);
    } else if (name == "prevFrame") {
        emit(list, 0x05);
    } else if (name == "print" || name == "printAsBitmap") {
        need(2);
        addReference(list, child(node, 1)->getValue());
        generate(child(node, 0), list);
        emitOperand(list, 0x9A, 0);
    } else if (name == "removeMovieClip") {
        need(1);
        all(0x25);
    } else if (name == "set") {
        need(2);
        all(0x1D);
    } else if (name == "setProperty") {
        need(3);
        // Only the property is an index, and a property name there stands for its number;
        // the target and the value read property names as values, as any expression does.
        ASNode* property = child(node, 1);
        for (int i = 0; i < n; ++i) {
            ASNode* a = child(node, i);
            if (a == property && Is(a, ASNode::Identifier) && m_builtins.isProperty(a->getValue()))
                addLiteral(list, m_builtins.propertyIndex(a->getValue()));
            else
                generate(a, list);
        }
        emit(list, 0x23);
    } else if (name == "startDrag") {
        if (n == 6) {
            for (int i = 2; i < 6; ++i)
                generate(child(node, i), list);
            addLiteral(list, Literal::integer(1));
            generate(child(node, 1), list);
        } else if (n == 2) {
            addLiteral(list, 0);
            generate(child(node, 1), list);
        } else if (n == 1) {
            addLiteral(list, 0);
            addLiteral(list, 0);
        } else {
            throw CompileError{"startDrag takes one, two or six arguments"};
        }
        generate(child(node, 0), list);
        emit(list, 0x27);
    } else if (name == "stop") {
        emit(list, 0x07);
    } else if (name == "stopAllSounds") {
        emit(list, 0x09);
    } else if (name == "stopDrag") {
        emit(list, 0x28);
    } else if (name == "targetPath") {
        need(1);
        all(0x45);
    } else if (name == "toggleHighQuality") {
        emit(list, 0x08);
    } else if (name == "trace") {
        need(1);
        all(0x26);
    } else if (name == "typeof") {
        need(1);
        all(0x44);
    } else if (name == "unloadMovie") {
        need(1);
        ASNode* target = child(node, 0);
        if (Is(target, ASNode::Number)) {
            emit(list, new StringAction(0x83, "", level(target)));
        } else {
            addReference(list, "");
            generate(target, list);
            emitOperand(list, 0x9A, 0x40);
        }
    } else if (name == "int") {
        need(1);
        all(0x18);
    } else if (name == "chr" || name == "ord") {
        // From SWF 6 strings are UTF-8: the multibyte forms.
        need(1);
        const bool wide = m_info.version >= 6;
        all(name == "chr" ? (wide ? 0x37 : 0x33) : (wide ? 0x36 : 0x32));
    } else if (name == "substring") {
        need(3);
        all(m_info.version >= 6 ? 0x35 : 0x15);
    } else if (name == "void") {
        need(1);
        all(0x17);
        addLiteral(list, Literal::undefined());
    }
}

} // namespace translate
