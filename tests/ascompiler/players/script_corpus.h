// Scripts with the lines a player must trace when it runs them (one line per entry).
#pragma once

namespace stravel::testing {

struct PlayedScript {
    const char* name;
    const char* script;
    const char* expected; // traced lines joined by '|'
    int version = 6;
};

// Played in SWF 6 and 7.
inline constexpr char kCommentsSeparate[] =
    "function f(b) { return/* the value */b; } trace(f(4));\n"
    "var/* declared */c = 3; trace(c + typeof(varc)); trace(7 -/* a\n b */-2);";
// The playing test writes show_a.as, which traces a.
inline constexpr char kIncludeInOrder[] =
    "var a = 1; // set a first\n#include \"show_a.as\"\na = 2; #include \"show_a.as\"\n";
inline constexpr char kCallOfCall[] =
    R"(function mk(n) { return function (x) { return n * 10 + x; }; } trace(mk(1)(2));
       trace((function (x) { return x + 1; })(3)); o = {m: mk}; trace(o.m(3)(4));
       a = [mk]; trace(a[0](5)(6)); trace(eval("mk")(7)(8));)";
inline constexpr char kFoldedConstantMembers[] =
    R"(trace(Key.LEFT.toString(2)); trace(Math.PI.toString().substr(0, 4));
       trace(Key.UP.toString(16).length); trace(Math.SQRT2 > 1);)";

inline const PlayedScript kPlayedScripts[] = {
    {"arithmetic", R"(trace(1 + 2 * 3); trace(7 % 3); trace(10 / 4); trace(-5 + 2);)",
     "7|1|2.5|-3"},
    {"strings", R"(s = "ab" + "cd"; trace(s); trace(s.length); trace("x" + 1 + 2);)", "abcd|4|x12"},
    {"comparisons", R"(trace(3 > 2); trace(2 >= 3); trace(2 <= 2); trace(1 != 1);)",
     "true|false|true|false"},
    {"bitwise",
     R"(trace(5 & 3); trace(5 | 3); trace(5 ^ 3); trace(~5); trace(1 << 4); trace(-16 >> 2);
        trace(-1 >>> 28);)",
     "1|7|6|-6|16|-4|15"},
    {"while_break_continue",
     R"(i = 0; s = ""; while (i < 10) { i++; if (i == 3) continue; if (i == 6) break; s += i; }
        trace(s);)",
     "1245"},
    {"do_while_continue", R"(i = 0; do { i++; if (i == 2) continue; trace(i); } while (i < 4);)",
     "1|3|4"},
    {"for_break_continue",
     R"(s = ""; for (i = 0; i < 5; i++) { if (i == 1) continue; if (i == 4) break; s += i; }
        trace(s);)",
     "023"},
    {"for_ever", R"(n = 0; for (;;) { n++; if (n > 3) break; } trace(n);)", "4"},
    {"for_true", R"(n = 0; for (; true; ) { if (++n == 5) break; } trace(n);)", "5"},
    {"for_zero", R"(n = 0; for (; 0; ) { n = 1; } trace(n);)", "0"},
    {"for_and_condition",
     R"(a = false; n = 0; for (; a && 1; ) { n++; break; } trace(n);
        a = true; for (; a && 1; ) { n++; break; } trace(n);)",
     "0|1"},
    {"for_in", R"(o = {a: 1}; for (k in o) { trace(k + "=" + o[k]); })", "a=1"},
    {"for_in_break", R"(o = {a: 1, b: 2, c: 3}; c = 0; for (k in o) { c++; break; } trace(c);)",
     "1"},
    {"for_in_return",
     R"(function first(o) { for (k in o) { return "got " + typeof(k); } return "none"; }
        trace(first({a: 1, b: 2})); trace(first(new Object())); trace("x" + first({q: 1}));)",
     "got string|none|xgot string"},
    {"for_in_nested", R"(o = {a: 1}; p = {b: 2}; for (i in o) for (j in p) trace(i + j);)", "ab"},
    {"for_in_member", R"(o = {m: {x: 5}}; for (k in o.m) trace(k);)", "x"},
    {"function_locals",
     R"(function f(a) { var b = a * 2; return b + 1; } trace(f(3)); trace(typeof(b));)",
     "7|undefined"},
    {"recursion", R"(function fact(n) { if (n <= 1) return 1; return n * fact(n - 1); }
        trace(fact(5));)",
     "120"},
    {"recursion_select",
     R"(function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); } trace(fib(10));)", "55"},
    {"arguments",
     R"(function g() { return arguments.length; } trace(g(1, 2, 3));
        function h() { return arguments[1]; } trace(h("a", "b"));)",
     "3|b"},
    {"anonymous_function", R"(f = function (x) { return x + 1; }; trace(f(1));)", "2"},
    {"prototype_new",
     R"(function P(n) { this.n = n; } P.prototype.get = function () { return this.n; };
        p = new P(4); trace(p.get());)",
     "4"},
    {"instanceof", R"(a = [1]; trace(a instanceof Array); trace(a instanceof String);)",
     "true|false"},
    {"with", R"(o = {v: 3}; with (o) { trace(v); v = 4; } trace(o.v);)", "3|4"},
    {"select_in_concatenation",
     R"(m = 5; s = (m < 10 ? "0" : "") + m; trace(s); m = 12; s = (m < 10 ? "0" : "") + m;
        trace(s);)",
     "05|12"},
    {"select_in_call",
     R"(function f(x) { return x * 10; } c = true; trace(f(c ? 1 : 2)); c = false;
        trace(f(c ? 1 : 2));)",
     "10|20"},
    {"logical_in_call",
     R"(function id(x) { return x; } a = 0; b = 7; trace(id(a || b)); trace(id(a && b));
        trace(id(b && "y"));)",
     "7|0|y"},
    {"delete",
     R"(o = {a: 1, b: 2}; delete o.a; trace(o.a); trace(o.b); x = 1; delete x; trace(typeof(x));)",
     "undefined|2|undefined"},
    {"member_increments",
     R"(o = {n: 1}; o.n++; ++o.n; trace(o.n); a = [5]; a[0]--; trace(a[0]); trace(typeof(n));)",
     "3|4|undefined"},
    {"increment_values", R"(i = 5; j = i++; k = ++i; trace(j); trace(k); trace(i);)", "5|7|7"},
    {"compound_assignments", R"(x = 10; x += 5; x -= 3; x *= 2; x /= 4; x %= 4; trace(x);)", "2"},
    {"compound_in_chain", R"(a = b = 2; a = b += 3; trace(a); trace(b);)", "5|5"},
    {"assignment_chain", R"(x = y = 3; trace(x + y);)", "6"},
    {"member_compound", R"(o = {n: 2}; o.n += 3; o["n"] *= 2; trace(o.n);)", "10"},
    {"int_chr_substring",
     R"(trace(int(3.7)); trace(chr(65)); trace(substring("hello", 2, 3)); trace(ord("A"));)",
     "3|A|ell|65"},
    {"get_timer", R"(t = getTimer(); trace(typeof(t)); trace(t >= 0);)", "number|true"},
    {"typeof",
     R"(trace(typeof("s")); trace(typeof(1)); trace(typeof(new Object())); trace(typeof(nothingHere));
        trace(typeof(f)); function f() {})",
     "string|number|object|undefined|function"},
    {"conversions", R"(trace(String(12) + 1); trace(Number("3") + 1);)", "121|4"},
    {"arrays", R"(a = [1, 2, 3]; trace(a.length); trace(a[1]); a.push(4); trace(a.join("-"));)",
     "3|2|1-2-3-4"},
    {"objects", R"(o = {a: 1, "b": 2}; trace(o.a + o.b); o.c = 3; trace(o["c"]);)", "3|3"},
    {"nested_members", R"(o = {p: {q: {r: 9}}}; trace(o.p.q.r); o.p.q.r = 10; trace(o.p.q.r);)",
     "9|10"},
    {"method_chain", R"(s = "Hello"; trace(s.toUpperCase()); trace(s.substr(1, 3).toLowerCase());)",
     "HELLO|ell"},
    {"folded_constants", R"(trace(Math.PI > 3.14); trace(Key.LEFT); trace(Math.floor(Math.E));)",
     "true|37|2"},
    {"number_literals",
     R"(trace(0x1F); trace(1e3); trace(1.5); trace(-0.5); trace(3000000000); trace(0x80000000);)",
     "31|1000|1.5|-0.5|3000000000|2147483648"},
    {"unary", R"(x = 4; trace(-x); trace(+x); trace(!x); trace(!0);)", "-4|4|false|true"},
    {"else_if",
     R"(function c(n) { if (n < 0) return "neg"; else if (n == 0) return "zero"; else return "pos"; }
        trace(c(-1)); trace(c(0)); trace(c(5));)",
     "neg|zero|pos"},
    {"empty_blocks", R"(if (true) {} else {} while (false) {} trace("ok");)", "ok"},
    {"expression_lists", R"(i = 0; j = 0; i++, j += 2; trace(i + j); var a = 1, b; trace(a);)",
     "3|1"},
    {"local_list", R"(function v() { var a = 1, b = 2; return a + b; } trace(v());)", "3"},
    {"hoisting", R"(trace(h()); function h() { return "hoisted"; })", "hoisted"},
    {"hoisting_from_if", R"(if (false) function g2() { return 1; } trace(typeof(g2));)",
     "function"},
    {"eval", R"(a = 5; n = "a"; trace(eval(n));)", "5"},
    {"set", R"(set("sv", 42); trace(sv);)", "42"},
    {"void", R"(trace(void(0));)", "undefined"},
    {"nested_loops",
     R"(s = ""; for (i = 0; i < 3; i++) { for (j = 0; j < 3; j++) { if (j == 2) break;
        s += i + "" + j + ","; } } trace(s);)",
     "00,01,10,11,20,21,"},
    {"while_continue_in_block",
     R"(i = 0; n = 0; while (i < 10) { i++; if (i % 2) { continue; } n += i; } trace(n);)", "30"},
    {"do_while_break", R"(i = 0; do { if (i == 3) break; i++; } while (true); trace(i);)", "3"},
    {"string_comparisons", R"(trace("a" < "b"); trace("abc" == "abc"); trace("10" == 10);)",
     "true|true|true"},
    {"null_undefined", R"(trace(null); trace(undefined); trace(null == undefined);)",
     "null|undefined|true"},
    {"escapes", R"(trace("a\tb".length); trace("q\"q");)", "3|q\"q"},
    {"inner_functions",
     R"(function outer() { var x = "o"; function inner() { return "i"; } return x + inner(); }
        trace(outer());)",
     "oi"},
    {"increment_value_in_condition", R"(i = 0; while (i++ < 3) { } trace(i);)", "4"},
    {"new_with_arguments", R"(d = new Array(3); trace(d.length);)", "3"},
    {"dropped_literals", R"(function f() { [1, 2]; new Object(); return "clean"; } trace(f());)",
     "clean"},
    {"concatenation_loop", R"(s = ""; for (i = 0; i < 5; i++) s += i; trace(s);)", "01234"},
    {"properties", R"(trace(_alpha); _alpha = 50; trace(_alpha);)", "100|50"},
    {"return_from_loop",
     R"(function find(a, v) { for (var i = 0; i < a.length; i++) { if (a[i] == v) return i; }
        return -1; } trace(find([4, 5, 6], 6)); trace(find([1], 9));)",
     "2|-1"},
    {"closures", R"(function mk(n) { return function () { return n * 2; }; } f = mk(21);
        trace(f());)",
     "42"},
    {"split", R"(trace("a,b,c".split(",").length);)", "3"},
    {"var_list_locals",
     R"(function f(n) { var a = n, b = n * 2; if (n > 0) { f(n - 1); } return b; } trace(f(3));
        trace(typeof(a) + typeof(b)); var w = 2, z; var w += 3; trace(w + " " + typeof(z));)",
     "6|undefinedundefined|5 undefined"},
    {"targets_run_once",
     R"(var a = [10, 20, 30]; var i = 0; a[i++] += 5; trace(a + " " + i); a[i++]++;
        trace(a + " " + i); calls = 0; function key() { calls++; return "n"; } o = {n: 3};
        o[key()] *= 7; trace(o.n + " " + calls); p = {q: [1, 2]};
        function obj() { calls++; return p; }
        x = obj().q[i-- - 1]--; trace(x + " " + p.q + " " + i);
        trace(++a[key() == "n" ? 2 : 0] + " " + a + " " + calls);
        function nm() { calls++; return "v"; } v = 5; eval(nm()) += 2; trace(v + " " + calls);)",
     "15,20,30 1|15,21,30 2|21 1|2 1,1 1|31 15,21,31 3|7 4"},
    {"comments_separate_swf6", kCommentsSeparate, "4|3undefined|9", 6},
    {"comments_separate_swf7", kCommentsSeparate, "4|3undefined|9", 7},
    {"include_in_order_swf6", kIncludeInOrder, "1|2", 6},
    {"include_in_order_swf7", kIncludeInOrder, "1|2", 7},
    {"call_of_call_swf6", kCallOfCall, "12|4|34|56|78", 6},
    {"call_of_call_swf7", kCallOfCall, "12|4|34|56|78", 7},
    {"folded_constant_members_swf6", kFoldedConstantMembers, "100101|3.14|2|true", 6},
    {"folded_constant_members_swf7", kFoldedConstantMembers, "100101|3.14|2|true", 7},
    {"text_swf6", R"(s = "café ☃ ü"; trace(s); trace(s.length); trace("caf\u00e9" == "café");)",
     "café ☃ ü|8|true", 6},
    {"text_swf7", R"(s = "café ☃ ü"; trace(s); trace(s.length); trace("caf\u00e9" == "café");)",
     "café ☃ ü|8|true", 7},
};

} // namespace stravel::testing
