// Scripts at the edges of what the compiler takes: setProperty with property names in each
// argument and in calls nested there, operator and else-if chains longer than any nesting it
// allows, and nesting deep enough to exhaust the stack.
#pragma once

#include <string>
#include <vector>

namespace stravel::testing {

struct EdgeScript {
    std::string name;
    std::string script;
    std::string expected; // traced lines joined by '|'; empty: the script must be refused
};

std::vector<EdgeScript> EdgeScripts();

} // namespace stravel::testing
