#include "tests/ascompiler/players/edge_scripts.h"

namespace stravel::testing {
namespace {

// 1 - 2 + 3 - 4 ... to n: -n/2 for an even n, and only if every operator takes its left
// operand from the terms before it.
std::string Alternating(int n) {
    std::string text = "1";
    for (int i = 2; i <= n; ++i)
        text += (i % 2 ? " + " : " - ") + std::to_string(i);
    return text;
}

std::string Repeated(const std::string& term, const std::string& join, int n,
                     const std::string& last) {
    std::string text;
    for (int i = 1; i < n; ++i)
        text += term + join;
    return text + last;
}

// x = v; then an if with an else-if per value 0 .. n-1 that sets r to it, the final else
// setting -1 when there is one; then r is traced. The chain runs once per value.
std::string ElseIfChain(int n, bool finalElse, const std::vector<int>& values) {
    std::string chain;
    for (int i = 0; i < n; ++i)
        chain += (i ? "else if (x == " : "if (x == ") + std::to_string(i) +
                 ") r = " + std::to_string(i) + ";\n";
    if (finalElse)
        chain += "else r = -1;\n";
    std::string script;
    for (int v : values)
        script += "r = -2; x = " + std::to_string(v) + ";\n" + chain + "trace(r);\n";
    return script;
}

std::string Nested(const std::string& open, const std::string& inner, const std::string& close,
                   int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += open;
    text += inner;
    for (int i = 0; i < depth; ++i)
        text += close;
    return text;
}

} // namespace

std::vector<EdgeScript> EdgeScripts() {
    constexpr int kDeep = 100000;
    return {
        // A property name is a value in setProperty's target and value, an index only as its
        // property, and a property given by an expression is that expression's value.
        {"set_property_value", R"(_x = 7; _y = 3; setProperty("", _x, _y); trace(_x);)", "3"},
        {"set_property_quarter", R"(setProperty("", _y, _alpha / 4); trace(_y);)", "25"},
        {"set_property_nested_get",
         R"(_y = 3; setProperty("", _x, getProperty("", _y) + _y); trace(_x);)", "6"},
        {"set_property_nested_call",
         R"(function twice(v) { return v * 2; } _y = 4;
            setProperty("", _x, twice(_y)); trace(_x);)",
         "8"},
        {"set_property_nested_set",
         R"(function put(p, v) { setProperty("", p, v); return v; } _y = 2;
            setProperty("", _x, put(_xscale - 99, _y + 1)); trace(_x + " " + _y);)",
         "3 3"},
        {"set_property_by_expression",
         R"(_x = 1; setProperty("", _x + 1, 40); p = 6; setProperty("", p, 50);
            trace(_xscale + " " + _alpha);)",
         "40 50"},
        {"set_property_in_with",
         R"(_y = 3; with (_root) { setProperty("", _y, 4); } trace(_y + " " + _yscale);)", "4 100"},
        // Chains far longer than anything may nest.
        {"operators_1500",
         "var x = " + Alternating(1500) + "; trace(x); trace(" + Alternating(1500) + " > -751);",
         "-750|true"},
        {"operators_5000", "var x = " + Alternating(5000) + "; trace(x);", "-2500"},
        {"logical_3000",
         "y = " + Repeated("0", " || ", 3000, "\"last\"") +
             "; z = " + Repeated("1", " && ", 3000, "0") + "; trace(y + \" \" + z);",
         "last 0"},
        {"else_if_700", ElseIfChain(700, true, {0, 350, 699, 700}), "0|350|699|-1"},
        // Longer than one branch reaches.
        {"else_if_3000", ElseIfChain(3000, false, {0, 1500, 2999, 3000}), "0|1500|2999|-2"},
        // Nesting that would exhaust the stack is refused.
        {"deep_parentheses", "x = " + Nested("(", "1", ")", kDeep) + ";", ""},
        {"deep_operands", "x = " + Nested("1 + (", "1", ")", kDeep) + ";", ""},
        {"deep_else_blocks", Nested("if (a) b(); else { ", "c();", "} ", kDeep), ""},
        {"deep_then_ifs", Nested("if (a) ", "b();", "", kDeep), ""},
    };
}

} // namespace stravel::testing
