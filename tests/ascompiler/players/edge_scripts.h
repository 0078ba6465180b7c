// Scripts at the edges of what the compiler takes: setProperty with property names in each
// argument and in calls nested there, operator and else-if chains longer than any nesting it
// allows, every form of nesting 500 deep, and built-ins given another number of arguments
// than they take (nesting deep enough to exhaust the stack is the code generator test's).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace stravel::testing {

struct EdgeScript {
    std::string name;
    std::string script;
    std::string expected;     // traced lines joined by '|'
    std::string refusal = {}; // when not empty, the script is refused with a message holding it
};

std::vector<EdgeScript> EdgeScripts();

// `count` scripts, each tracing one expression that nests forms of every kind (groups, calls,
// method calls, array and object literals, function literals, new, ?:, signs, built-ins) 300
// to 550 deep, with the value that the test itself computes.
std::vector<EdgeScript> NestedExpressions(uint64_t seed, int count);

} // namespace stravel::testing
