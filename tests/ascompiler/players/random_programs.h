// Random scripts that are also JavaScript with the same meaning: several names in one var
// (timeline and function locals, recursion), and targets of assignments and increments whose
// object or key has side effects (increments inside subscripts, calls as objects and keys).
#pragma once

#include <cstdint>
#include <string>

namespace stravel::testing {

// A program whose every name at the top starts with `prefix`, so that several can share one
// timeline. Its values stay small integers and strings, its calls take one argument and no
// name is read before it is set: what it traces does not depend on the few places where the
// player's order or conversions differ from JavaScript's.
std::string RandomProgram(uint64_t seed, const std::string& prefix);

} // namespace stravel::testing
