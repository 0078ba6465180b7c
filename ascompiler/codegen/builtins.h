// The fixed vocabulary of the player: events, key names, properties, folded constants and
// the functions that compile to dedicated actions.
#pragma once

#include "ascompiler/codegen/coding.h"

#include <string_view>

namespace translate {

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
