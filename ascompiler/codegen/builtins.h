// The fixed vocabulary of the player: events, key names, properties, folded constants and
// the functions that compile to dedicated actions.
#pragma once

#include "ascompiler/codegen/coding.h"

#include <cstdint>
#include <string_view>

namespace translate {

// How a built-in function compiles.
enum class CallForm : uint8_t {
    None,
    UserCall, // as a call of a user function
    Actions,  // the arguments in order, then its action
    Delete,
    Duplicate, // duplicateMovieClip
    Eval,
    FsCommand,
    GetProperty,
    GetUrl,
    GetVersion,
    Goto,  // gotoAndPlay, gotoAndStop
    Scene, // nextScene, prevScene
    Load,  // loadMovie, loadVariables
    Print, // print, printAsBitmap
    SetProperty,
    StartDrag,
    UnloadMovie,
    Void,
};

// Everything the vocabulary says about one name.
struct BuiltinName {
    std::string_view name;
    int buttonEvent = -1; // condition bits, or -1
    int clipEvent = 0;    // flag, or 0
    int property = -1;    // index, or -1
    int constant = -1;    // index among the folded constants, or -1
    bool function = false;
    bool discard = false;  // a call that leaves no value worth keeping
    bool readOnly = false; // a call that only reads: running it twice changes nothing
    CallForm form = CallForm::None;
    // The argument counts that a built-in compiled to actions takes, bit n for n arguments.
    uint8_t counts = 0;
    // The action that ends an Actions call, and where SWF 6 has its own, that one.
    uint8_t action = 0;
    uint8_t action6 = 0;
};

class Builtins {
public:
    Builtins();

    // The entry of a name, or null when the vocabulary does not know it.
    const BuiltinName* find(std::string_view name) const;

    // Condition bits of a button event or a "<key>" name; -1 when unknown.
    int buttonEvent(std::string_view name) const;
    // Flag of a clip event; 0 when unknown.
    int clipEvent(std::string_view name) const;
    bool isButtonEvent(std::string_view name) const { return buttonEvent(name) >= 0; }
    bool isClipEvent(std::string_view name) const { return clipEvent(name) != 0; }
    bool isProperty(std::string_view name) const;
    // Index of a property; 0 for any other name.
    int propertyIndex(std::string_view name) const;
    // Index of the property a name stands for where the player takes it as one, case aside;
    // -1 for any other name.
    int propertyNamed(std::string_view name) const;
    bool isConstant(std::string_view name) const;
    // A new copy, owned by the caller; the name must be a constant.
    Value* getConstant(std::string_view name) const;
    // The same as a literal to push.
    Literal constant(std::string_view name) const;
    bool isFunction(std::string_view name) const;
    bool isDiscardFunction(std::string_view name) const;

private:
    const struct NameTable& m_table;
};

} // namespace translate
