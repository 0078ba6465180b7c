// The fixed vocabulary of the player: events, key names, properties, folded constants and
// the functions that compile to dedicated actions.
#pragma once

#include "ascompiler/codegen/coding.h"

#include <map>
#include <set>
#include <string>

namespace translate {

class Builtins {
public:
    Builtins();

    // Condition bits of a button event or a "<key>" name; -1 when unknown.
    int buttonEvent(const std::string& name) const;
    // Flag of a clip event; 0 when unknown.
    int clipEvent(const std::string& name) const;
    bool isButtonEvent(const std::string& name) const { return m_buttonEvents.count(name) > 0; }
    bool isClipEvent(const std::string& name) const { return m_clipEvents.count(name) > 0; }
    bool isProperty(const std::string& name) const { return m_properties.count(name) > 0; }
    // Index of a property; 0 for any other name.
    int propertyIndex(const std::string& name) const;
    bool isConstant(const std::string& name) const { return m_constants.count(name) > 0; }
    // A new copy, owned by the caller; the name must be a constant.
    Value* getConstant(const std::string& name) const;
    bool isFunction(const std::string& name) const { return m_functions.count(name) > 0; }
    bool isDiscardFunction(const std::string& name) const {
        return m_discardFunctions.count(name) > 0;
    }

private:
    std::map<std::string, int> m_buttonEvents;
    std::map<std::string, int> m_clipEvents;
    std::map<std::string, int> m_properties;
    std::map<std::string, ValuePtr> m_constants;
    std::set<std::string> m_functions;
    std::set<std::string> m_discardFunctions;
};

} // namespace translate
