// Random scripts that are also JavaScript with the same meaning: several names in one var
// (timeline and function locals, recursion), and targets of assignments and increments whose
// object or key has side effects (increments inside subscripts, calls as objects and keys).
#pragma once

#include <cstdint>
#include <string>

namespace stravel::testing {

// The file that programs include, found in the folder they are compiled in, and its text.
inline constexpr char kIncludedName[] = "trace_included.as";
inline constexpr char kIncludedText[] = "trace(\"included \" + included);\n";

// A program whose every name at the top but `included` starts with `prefix`, so that several
// can share one timeline. Its values stay small integers and strings, its calls take one
// argument and no name is read before it is set: what it traces does not depend on the few
// places where the player's order or conversions differ from JavaScript's. Comments stand
// between its tokens.
std::string RandomProgram(uint64_t seed, const std::string& prefix);

// The program as JavaScript: its #include lines replaced by the included text.
std::string AsJavaScript(const std::string& program);

} // namespace stravel::testing
