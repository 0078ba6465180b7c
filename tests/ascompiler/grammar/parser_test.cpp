#include "ActionScriptLexer.hpp"
#include "ActionScriptParser.hpp"
#include "tests/ascompiler/tree_dump.h"

#include <antlr/ANTLRException.hpp>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using stravel::testing::DumpTree;

namespace {

// The dump of the script's tree, or "error" when it does not parse.
std::string Parse(const std::string& text) {
    std::istringstream in(text);
    ActionScriptLexer lexer(in);
    ActionScriptParser parser(lexer);
    try {
        translate::ASNode* root = parser.script();
        std::string dump = DumpTree(root);
        root->destroy();
        return dump;
    } catch (antlr::ANTLRException&) {
        return "error";
    }
}

struct Golden {
    const char* script;
    const char* tree;
};

void ExpectTrees(const Golden* begin, const Golden* end) {
    for (const Golden* g = begin; g != end; ++g)
        EXPECT_EQ(Parse(g->script), g->tree) << g->script;
}

} // namespace

TEST(ActionScriptParserTest, Statements) {
    const Golden table[] = {
        {"", "Array"},
        {"on (press) { a = 1; }",
         "Button [On [Identifier = press, List [= [Identifier = a, Number = 1]]]]"},
        {"onClipEvent (enterFrame) { x++; }",
         "MovieClip [OnClipEvent [Identifier = enterFrame, List [x++ [Identifier = x]]]]"},
        {"onClipEvent (load) { }", "MovieClip [OnClipEvent [Identifier = load, List]]"},
        {"on (release, keyPress \"<Left>\") go();",
         "Button [On [Identifier = release, String = \"<Left>\", Function = go]]"},
        {"on (press) a(); onClipEvent (load) b();",
         "MovieClip [On [Identifier = press, Function = a], "
         "OnClipEvent [Identifier = load, Function = b]]"},
        {"if (a) b(); else c();", "Array [if [Identifier = a, Function = b, Function = c]]"},
        {"if (a) if (b) c(); else d();",
         "Array [if [Identifier = a, if [Identifier = b, Function = c, Function = d]]]"},
        {"for (;;) ;", "Array [for [NoOp, NoOp, NoOp, NoOp]]"},
        {"for (i = 0; i < 3; i++) x();",
         "Array [for [= [Identifier = i, Number = 0], < [Identifier = i, Number = 3], "
         "x++ [Identifier = i], Function = x]]"},
        {"for (k in o) trace(k);",
         "Array [for..in [Identifier = k, Identifier = o, Function = trace [Identifier = k]]]"},
        {"for (var k in o) ;", "error"},
        {"while (a) { b--; }", "Array [while [Identifier = a, List [x-- [Identifier = b]]]]"},
        {"do x(); while (a);", "Array [do..while [Function = x, Identifier = a]]"},
        {"do x(); while (a)", "error"},
        {"with (m) { stop(); }", "Array [With [Identifier = m, List [Function = stop]]]"},
        {"x = 1; }", "error"}, // nothing is left unread
        {"x = 1; ) y = 2;", "error"},
        {"x = 1 }", "error"},
        {"function f(a, b) { return a + b; }",
         "Array [Define Function = f [List [Identifier = a, Identifier = b], "
         "List [Return [+ [Identifier = a, Identifier = b]]]]]"},
        {"function g(a) { }", "Array [Define Function = g [Identifier = a, List]]"},
        {"break; continue; return;", "Array [Break, Continue, Return]"},
        {"break", "error"},
        {"return a = 1;", "error"},
        {"if (a = 1) b();", "error"},
        {";", "Array [NoOp]"},
    };
    ExpectTrees(std::begin(table), std::end(table));
}

// The trial parse of a block's first statement decides on the block and hands over what it
// built; when it fails, the braces are an object or the text is refused.
TEST(ActionScriptParserTest, BracesOpenABlockOnlyWhenItsFirstStatementParses) {
    const Golden table[] = {
        {"{ a: 1, b: \"x\" };",
         "Array [Define Object [Define Attribute [Identifier = a, Number = 1], "
         "Define Attribute [Identifier = b, String = \"x\"]]]"},
        {"{ { a: [1, 2] }; }", "Array [List [Define Object [Define Attribute [Identifier = a, "
                               "Define Array [Number = 1, Number = 2]]]]]"},
        {"if (a) { { b(); } c(); }",
         "Array [if [Identifier = a, List [List [Function = b], Function = c]]]"},
        {"{ x = f(1) + 2 }", "error"},
    };
    ExpectTrees(std::begin(table), std::end(table));
}

TEST(ActionScriptParserTest, Expressions) {
    const Golden table[] = {
        {"a = b = c;", "Array [= [Identifier = a, = [Identifier = b, Identifier = c]]]"},
        {"x = a ? b : c ? d : e;", "Array [= [Identifier = x, ? [Identifier = a, Identifier = b, "
                                   "? [Identifier = c, Identifier = d, Identifier = e]]]]"},
        {"a < b instanceof c;",
         "Array [< [Identifier = a, instanceof [Identifier = b, Identifier = c]]]"},
        {"a - b - c;", "Array [- [- [Identifier = a, Identifier = b], Identifier = c]]"},
        {"1 + 2 * 3;", "Array [+ [Number = 1, * [Number = 2, Number = 3]]]"},
        // var declares every name of its list.
        {"var a = 1, b;",
         "Array [ExpressionList [= [Define Variable = a, Number = 1], Define Variable = b]]"},
        {"var a, b += 2, o.c = 3, d;",
         "Array [ExpressionList [Define Variable = a, += [Define Variable = b, Number = 2], "
         "= [Value [Identifier = o, Attribute = c], Number = 3], Identifier = d]]"},
        {"a = 1, var b, c;",
         "Array [ExpressionList [= [Identifier = a, Number = 1], Define Variable = b, "
         "Define Variable = c]]"},
        {"var x;", "Array [Define Variable = x]"},
        {"f(1);", "Array [Function = f [Number = 1]]"},
        {"obj.m();", "Array [Value [Identifier = obj, NoOp = m, Method = m]]"},
        {"a.b.c(1, 2);", "Array [Value [Identifier = a, Attribute = b, NoOp = c, Method = c "
                         "[Number = 1, Number = 2]]]"},
        {"a[0].x;", "Array [Value [Identifier = a, Subscript [Number = 0], Attribute = x]]"},
        {"f(1)(2);", "Array [Value [Function = f [Number = 1], Function [Number = 2]]]"},
        {"(a)(1);", "Array [Function = a [Number = 1]]"},
        {"a.(1);", "Array [Value [Identifier = a, Method [Number = 1]]]"},
        {"o = {x: 1, 5: 2};",
         "Array [= [Identifier = o, Define Object [Define Attribute [Identifier = x, Number = 1], "
         "Define Attribute [Number = 5, Number = 2]]]]"},
        {"o = {};", "error"},
        {"l = [];", "Array [= [Identifier = l, Define Array]]"},
        {"l = [1, [2]];",
         "Array [= [Identifier = l, Define Array [Number = 1, Define Array [Number = 2]]]]"},
        {"new Foo(1, 2);", "Array [NewObject = Foo [Number = 1, Number = 2]]"},
        {"new Foo;", "error"},
        {"new a.B();", "error"},
        {"typeof x;", "error"},
        {"typeof(x);", "Array [Function = typeof [Identifier = x]]"},
        {"f = function (a, b) { return a; };",
         "Array [= [Identifier = f, Define Method [List [Identifier = a, Identifier = b], "
         "List [Return [Identifier = a]]]]]"},
        {"g = function () {};", "Array [= [Identifier = g, Define Method [List]]]"},
        {"(a) = 1;", "Array [= [Identifier = a, Number = 1]]"},
        {"(a = 1);", "error"},
        {"s = \"\";", "Array [= [Identifier = s, String = \"\"]]"},
        {"-5;", "Array [-x [Number = 5]]"},
        {"++-a;", "error"},
        {"a++ ++;", "Array [x++ [x++ [Identifier = a]]]"},
        {"x = !~+-a;", "Array [= [Identifier = x, ! [~ [+x [-x [Identifier = a]]]]]]"},
        {"delete a.b;", "Array [delete [Value [Identifier = a, Attribute = b]]]"},
        {"a b;", "error"},
        {"f(a = 1);", "error"},
        {"x >>>= 1 << 2 >> 3 >>> 4;",
         "Array [>>>= [Identifier = x, >>> [>> [<< [Number = 1, Number = 2], Number = 3], "
         "Number = 4]]]"},
        {"x = a || b && c | d ^ e & f == g != h;",
         "Array [= [Identifier = x, || [Identifier = a, && [Identifier = b, | [Identifier = c, "
         "^ [Identifier = d, & [Identifier = e, != [== [Identifier = f, Identifier = g], "
         "Identifier = h]]]]]]]]"},
        {"a += 1, b -= 2, c *= 3, d /= 4, e %= 5, f <<= 6, g >>= 7, h &= 8, i |= 9, j ^= 0;",
         "Array [ExpressionList [+= [Identifier = a, Number = 1], -= [Identifier = b, Number = 2], "
         "*= [Identifier = c, Number = 3], /= [Identifier = d, Number = 4], "
         "%= [Identifier = e, Number = 5], <<= [Identifier = f, Number = 6], "
         ">>= [Identifier = g, Number = 7], &= [Identifier = h, Number = 8], "
         "|= [Identifier = i, Number = 9], ^= [Identifier = j, Number = 0]]]"},
        {"x = a > b, a <= b, a >= b, a % b / c;",
         "Array [ExpressionList [= [Identifier = x, > [Identifier = a, Identifier = b]], "
         "<= [Identifier = a, Identifier = b], >= [Identifier = a, Identifier = b], "
         "/ [% [Identifier = a, Identifier = b], Identifier = c]]]"},
        {"--a; ++b; c--;",
         "Array [--x [Identifier = a], ++x [Identifier = b], x-- [Identifier = c]]"},
    };
    ExpectTrees(std::begin(table), std::end(table));
}

TEST(ActionScriptParserTest, StringEscapesAreDecoded) {
    EXPECT_EQ(Parse("s = \"a\\n\\t\\\\\\\"b\";"),
              "Array [= [Identifier = s, String = \"a\n\t\\\"b\"]]");
    EXPECT_EQ(Parse("s = '\\u00e9\\101\\x';"), "error"); // \x is no escape
    EXPECT_EQ(Parse("s = '\\u00e9\\101\\'';"), "Array [= [Identifier = s, String = \"\xc3\xa9"
                                               "A'\"]]");
}

namespace {

// Counts every token taken, trial parses included.
class CountingParser : public ActionScriptParser {
public:
    using ActionScriptParser::ActionScriptParser;
    void consume() override {
        ++consumed;
        ActionScriptParser::consume();
    }
    long consumed = 0;
};

} // namespace

TEST(ActionScriptParserTest, NestedBlocksParseInLinearTime) {
    // Each block's first statement is again an if with a block: without memoised trial
    // parses the work doubles per level (some 2^25 tokens here).
    std::string script;
    const int depth = 25;
    for (int i = 0; i < depth; ++i)
        script += "if (a) { ";
    script += "x = 1; ";
    for (int i = 0; i < depth; ++i)
        script += "} ";
    std::istringstream in(script);
    ActionScriptLexer lexer(in);
    CountingParser parser(lexer);
    translate::ASNode* root = parser.script();
    ASSERT_NE(root, nullptr);
    int levels = 0;
    for (translate::ASNode* node = root->get(0); node && node->getType() == translate::ASNode::If;
         node = node->get(1)->get(0))
        ++levels;
    root->destroy();
    EXPECT_EQ(levels, depth);
    const long tokens = 6 * depth + 4;
    EXPECT_LT(parser.consumed, 10 * tokens);
}

TEST(ActionScriptParserTest, DeepNestingFailsInsteadOfExhaustingTheStack) {
    const int depth = 100000;
    EXPECT_EQ(Parse("x = " + std::string(depth, '(') + "1" + std::string(depth, ')') + ";"),
              "error");
    EXPECT_EQ(Parse("x = " + std::string(depth, '-') + "1;"), "error");
    std::string ifs;
    for (int i = 0; i < depth; ++i)
        ifs += "if (a) ";
    EXPECT_EQ(Parse(ifs + "b();"), "error");
    // Ordinary nesting stays well inside the limit.
    EXPECT_NE(Parse("x = " + std::string(100, '(') + "1" + std::string(100, ')') + ";"), "error");
}
