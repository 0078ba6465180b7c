#include "tests/ascompiler/players/edge_scripts.h"

#include <iterator>
#include <random>

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

// 1 + (2 + (3 + ... (n))), the sum of 1 to n.
std::string GroupedSum(int n) {
    std::string text;
    for (int i = 1; i < n; ++i)
        text += std::to_string(i) + " + (";
    return text + std::to_string(n) + std::string(static_cast<size_t>(n - 1), ')');
}

// n == 0 ? 0 : n == 1 ? 1 : ... : -1, over `links` values.
std::string SelectChain(int links) {
    std::string text;
    for (int i = 0; i < links; ++i)
        text += "n == " + std::to_string(i) + " ? " + std::to_string(i) + " : ";
    return text + "-1";
}

std::string AssignmentChain(int links) {
    std::string text;
    for (int i = 0; i < links; ++i)
        text += "a" + std::to_string(i) + " = ";
    return text + "5";
}

// Takes v's elements, members or results for as long as they are of the kind, and traces how
// many levels that took and what was left.
std::string Unwrap(const std::string& test, const std::string& step) {
    return "; d = 0; while (" + test + ") { v = " + step + "; d++; } trace(d + \" \" + v);";
}

} // namespace

std::vector<EdgeScript> EdgeScripts() {
    constexpr int kLevels = 500;
    const std::string unwrapArray = Unwrap("v instanceof Array", "v[0]");
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
        // A string that names a property, in any case, is that property, as the player takes
        // a name.
        {"set_property_named_by_string",
         R"(setProperty("", "_alpha", 25); setProperty("", "_X", 12); setProperty("", "_yScale", 50);
            trace(_alpha + " " + _x + " " + _yscale);)",
         "25 12 50"},
        {"get_property_named_by_string",
         R"(_x = 9; _alpha = 50; trace(getProperty("", "_x") + " " + getProperty("", "_ALPHA") +
            " " + getProperty("", _Alpha));)",
         "9 50 50"},
        {"set_property_string_in_with",
         R"(with (_root) { setProperty("", "_XSCALE", 200); } trace(_xscale);)", "200"},
        // Built-ins leave nothing on the stack: those that give no value stand for undefined
        // where one is used, and the results of calls are dropped, in loops too.
        {"action_values",
         R"(x = trace("t"); trace(typeof(x)); o = {a: 1, b: 2, c: 3}; n = 0;
            for (k in o) { y = setProperty("", _alpha, 100); z = gotoAndStop(1); n++; }
            trace(n + " " + typeof(y) + typeof(z));)",
         "t|undefined|3 undefinedundefined"},
        {"dropped_call_results",
         R"(o = {a: 1, b: 2, c: 3}; n = 0; for (k in o) { loadMovieNum("none.swf", 9); n++; }
            trace(n);)",
         "3"},
        {"built_ins_in_for_in",
         R"(o = {a: 1, b: 2, c: 3}; s = 0;
            for (k in o) { trace(typeof(k)); s += Number(o[k]); } trace(s);)",
         "string|string|string|6"},
        // Any other number of arguments than a built-in takes is refused.
        {"trace_extra_in_for_in", R"(o = {a: 1, b: 2}; for (k in o) trace(k, "x");)", "",
         "trace takes 1 argument, not 2"},
        {"set_property_extra", R"(x = setProperty("", _alpha, 50, 1);)", "",
         "setProperty takes 3 arguments, not 4"},
        {"trace_without_argument", "trace();", "", "trace takes 1 argument, not 0"},
        {"trace_nine", "trace(1, 2, 3, 4, 5, 6, 7, 8, 9);", "", "trace takes 1 argument, not 9"},
        {"get_timer_extra", "t = getTimer(1);", "", "getTimer takes no arguments, not 1"},
        {"goto_extra", R"(gotoAndPlay("s", 1, 2);)", "",
         "gotoAndPlay takes 1 or 2 arguments, not 3"},
        {"start_drag_between", R"(startDrag("", true, 1);)", "",
         "startDrag takes 1, 2 or 6 arguments, not 3"},
        {"get_url_extra", R"(getURL("a", "_self", "GET", 1);)", "",
         "getURL takes 1, 2 or 3 arguments, not 4"},
        {"substring_short", R"(s = substring("abc", 1);)", "",
         "substring takes 3 arguments, not 2"},
        {"string_extra", "s = String(1, 2);", "", "String takes 1 argument, not 2"},
        {"void_extra", "v = void(1, 2);", "", "void takes 1 argument, not 2"},
        {"eval_extra", R"(x = eval("a", "b");)", "", "eval takes 1 argument, not 2"},
        {"duplicate_extra", R"(duplicateMovieClip("a", "b", 1, 2);)", "",
         "duplicateMovieClip takes 3 arguments, not 4"},
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
        {"else_selects_500", "n = 499; trace(" + SelectChain(kLevels) + ");", "499"},
        {"assignments_1000", AssignmentChain(1000) + "; trace(a0 + a999);", "10"},
        // Every form of nesting, 500 deep.
        {"grouped_sum_500", "x = " + GroupedSum(kLevels) + "; trace(x);", "125250"},
        {"calls_500",
         "function inc(v) { return v + 1; } trace(" + Nested("inc(", "0", ")", kLevels) + ");",
         "500"},
        {"method_calls_500",
         "o = {m: function (v) { return v + 2; }}; trace(" + Nested("o.m(", "0", ")", kLevels) +
             ");",
         "1000"},
        {"built_in_calls_500", "trace(" + Nested("String(", "7", ")", kLevels) + " + 1);", "71"},
        {"subscripts_500", "a = [0]; trace(" + Nested("a[", "0", "]", kLevels) + " + 7);", "7"},
        {"arrays_500", "v = " + Nested("[", "7", "]", kLevels) + unwrapArray, "500 7"},
        {"constructions_500", "v = " + Nested("new Array(", "\"z\"", ")", kLevels) + unwrapArray,
         "500 z"},
        {"objects_500",
         "v = " + Nested("{v: ", "7", "}", kLevels) + Unwrap("typeof(v) == \"object\"", "v.v"),
         "500 7"},
        {"function_literals_500",
         "v = " + Nested("function () { return ", "7", "; }", kLevels) +
             Unwrap("typeof(v) == \"function\"", "v()"),
         "500 7"},
        {"assigned_function_literals_500",
         "v = " + Nested("function () { g = ", "7", "; return g; }", kLevels) +
             Unwrap("typeof(v) == \"function\"", "v()"),
         "500 7"},
        {"negations_501", "trace(" + Nested("-(", "7", ")", kLevels + 1) + ");", "-7"},
        {"nots_501", "trace(" + std::string(kLevels + 1, '!') + "0);", "true"},
        {"selects_500", "c = true; trace(" + Nested("(c ? ", "7", " : 0)", kLevels) + ");", "7"},
        {"blocks_500",
         "t = true; x = 0; " + Nested("if (t) { ", "x = 7;", " }", kLevels) + " trace(x);", "7"},
    };
}

std::vector<EdgeScript> NestedExpressions(uint64_t seed, int count) {
    // Each form wraps the expression so far between its two texts, a digit k standing for
    // each #, and gives sign * value + perK * k + plus.
    struct Form {
        const char* before;
        const char* after;
        int sign;
        int perK;
        int plus;
    };
    const Form forms[] = {
        {"(# + ", ")", 1, 1, 0},
        {"(# - ", ")", -1, 1, 0},
        {"-(", ")", -1, 0, 0},
        {"inc(", ")", 1, 0, 1},
        {"[#, ", "][1]", 1, 0, 0},
        {"{a: #, b: ", "}.b", 1, 0, 0},
        {"(t ? ", " : #)", 1, 0, 0},
        {"(f ? # : ", ")", 1, 0, 0},
        {"(function (x) { return # - x; })(", ")", -1, 1, 0},
        {"new Array(#, ", ")[1]", 1, 0, 0},
        {"Number(", ")", 1, 0, 0},
        {"o.m(", ")", 1, 0, 3},
        {"(# * 2 + ", ")", 1, 2, 0},
    };
    std::mt19937_64 random(seed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto fill = [](std::string text, int k) {
        for (char& c : text)
            if (c == '#')
                c = static_cast<char>('0' + k);
        return text;
    };
    const std::string preamble = "function inc(v) { return v + 1; } "
                                 "o = {m: function (v) { return v + 3; }}; t = true; f = false; ";
    std::vector<EdgeScript> scripts;
    for (int s = 0; s < count; ++s) {
        int64_t value = pick(10);
        std::string text = std::to_string(value);
        for (int level = 300 + pick(251); level > 0; --level) {
            const Form& form = forms[pick(static_cast<int>(std::size(forms)))];
            const int k = pick(10);
            text = fill(form.before, k) + text + fill(form.after, k);
            value = form.sign * value + form.perK * k + form.plus;
        }
        scripts.push_back({"nested_" + std::to_string(s), preamble + "trace(" + text + ");",
                           std::to_string(value)});
    }
    return scripts;
}

} // namespace stravel::testing
