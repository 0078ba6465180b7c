// Golden action bytes of compiled scripts, checked in both directions: the compiler must
// produce them, and the SWF action model must read them back record by record and write the
// same bytes again.
#include "ascompiler/tree/node_factory.h"
#include "swf/actions/do_action.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "tests/ascompiler/codegen/compile_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace stravel::testing {
namespace {

struct Golden {
    const char* script;
    const char* hex;
};

// Plain scripts, SWF 6.
const Golden kGolden[] = {
    {"x = 0;", "96 0C 00 00 78 00 06 00 00 00 00 00 00 00 00 1D"},
    {"x = 12;", "96 08 00 00 78 00 07 0C 00 00 00 1D"},
    {"x = 0x1F;", "96 08 00 00 78 00 07 1F 00 00 00 1D"},
    {"x = 1.5;", "96 0C 00 00 78 00 06 00 00 F8 3F 00 00 00 00 1D"},
    {"x = 1e3;", "96 0C 00 00 78 00 06 00 40 8F 40 00 00 00 00 1D"},
    {"x = 3000000000;", "96 0C 00 00 78 00 06 0B 5A E6 41 00 00 00 C0 1D"},
    {"x = 0x80000000;", "96 0C 00 00 78 00 06 00 00 E0 41 00 00 00 00 1D"},
    {"x = 0x100000000;", "96 0C 00 00 78 00 06 00 00 F0 41 00 00 00 00 1D"},
    {"x = 1e400;", "96 0C 00 00 78 00 06 00 00 F0 7F 00 00 00 00 1D"},
    {"x = 1e-400;", "96 0C 00 00 78 00 06 00 00 00 00 00 00 00 00 1D"},
    {"x = -5;", "96 08 00 00 78 00 07 FB FF FF FF 1D"},
    {"x = -0.5;", "96 0C 00 00 78 00 06 00 00 E0 BF 00 00 00 00 1D"},
    {"x = -y;", "96 0F 00 00 78 00 06 00 00 00 00 00 00 00 00 00 79 00 1C 0B 1D"},
    {"a.b.c();", "96 0C 00 06 00 00 00 00 00 00 00 00 00 61 00 1C 96 03 00 00 62 00 4E 96 03 00 "
                 "00 63 00 52 17"},
    {"a[i] = 1;", "96 03 00 00 61 00 1C 96 03 00 00 69 00 1C 96 05 00 07 01 00 00 00 4F"},
    {"x = _x;", "96 0E 00 00 78 00 00 00 06 00 00 00 00 00 00 00 00 22 1D"},
    {"with (o) { x = _x; }",
     "96 03 00 00 6F 00 1C 94 02 00 0C 00 96 07 00 00 78 00 00 5F 78 00 1C 1D"},
    {"x = a && b;",
     "96 06 00 00 78 00 00 61 00 1C 4C 12 9D 02 00 08 00 17 96 03 00 00 62 00 1C 1D"},
    {"x = y > z;", "96 06 00 00 78 00 00 7A 00 1C 96 03 00 00 79 00 1C 48 1D"},
    {"x = y = 3;", "96 0B 00 00 78 00 00 79 00 07 03 00 00 00 87 01 00 00 1D 96 02 00 04 00 1D"},
    {"i++;", "96 06 00 00 69 00 00 69 00 1C 50 1D"},
    {"x = ~y;", "96 06 00 00 78 00 00 79 00 1C 96 09 00 06 FF FF EF 41 00 00 E0 FF 62 1D"},
    {"x = {a: 1, \"b\": 2};", "96 18 00 00 78 00 00 61 00 07 01 00 00 00 00 62 00 07 02 00 00 00 "
                              "07 02 00 00 00 43 1D"},
    {"if (a) b(); else c();",
     "96 03 00 00 61 00 1C 12 9D 02 00 16 00 96 0C 00 06 00 00 00 00 00 00 00 00 00 62 00 3D 17 "
     "99 02 00 11 00 96 0C 00 06 00 00 00 00 00 00 00 00 00 63 00 3D 17"},
    {"if (a) {} else {}", "96 03 00 00 61 00 1C 12 9D 02 00 00 00"},
    {"while (i < 3) i++;",
     "88 04 00 01 00 69 00 96 02 00 08 00 1C 96 05 00 07 03 00 00 00 48 12 9D 02 00 0F 00 96 04 "
     "00 08 00 08 00 1C 50 1D 99 02 00 DC FF"},
    {"do { } while (x);", "96 03 00 00 78 00 1C 9D 02 00 F4 FF"},
    {"for (;;) { break; }", "99 02 00 05 00 99 02 00 F6 FF"},
    {"for (; true; ) { break; }", "96 02 00 05 00 9D 02 00 0A 00 99 02 00 05 00 99 02 00 EC FF"},
    {"for (; 0; ) { }", "96 09 00 06 00 00 00 00 00 00 00 00 12 9D 02 00 05 00 99 02 00 E9 FF"},
    // A condition that is not a literal keeps its Not, whatever its last push holds.
    {"for (; a && 1; ) { break; }",
     "96 03 00 00 61 00 1C 4C 12 9D 02 00 09 00 17 96 05 00 07 01 00 00 00 12 9D 02 00 0A 00 99 "
     "02 00 05 00 99 02 00 D9 FF"},
    {"for (k in o) { trace(k); }",
     "88 06 00 02 00 6B 00 6F 00 96 02 00 08 01 46 87 01 00 00 96 01 00 02 49 9D 02 00 14 00 96 "
     "04 00 08 00 04 00 1D 96 02 00 08 00 1C 26 99 02 00 DE FF"},
    {"for (k in a.b) { }", "96 03 00 00 61 00 1C 96 03 00 00 62 00 4E 55 87 01 00 00 96 01 00 02 "
                           "49 9D 02 00 0E 00 96 05 00 00 6B 00 04 00 1D 99 02 00 E4 FF"},
    // break and return leave an enumeration only after dropping its names.
    {"for (k in o) { if (k == 1) break; }",
     "88 06 00 02 00 6B 00 6F 00 96 02 00 08 01 46 87 01 00 00 96 01 00 02 49 9D 02 00 32 00 96 "
     "04 00 08 00 04 00 1D 96 02 00 08 00 1C 96 05 00 07 01 00 00 00 49 12 9D 02 00 10 00 96 01 "
     "00 02 49 12 9D 02 00 F5 FF 99 02 00 05 00 99 02 00 C0 FF"},
    {"function f(o) { for (k in o) { return k; } }",
     "88 06 00 02 00 6B 00 6F 00 9B 08 00 66 00 01 00 6F 00 3D 00 96 02 00 08 01 46 87 01 00 00 "
     "96 01 00 02 49 9D 02 00 29 00 96 04 00 08 00 04 00 1D 96 02 00 08 00 1C 87 01 00 00 17 96 "
     "01 00 02 49 12 9D 02 00 F5 FF 96 02 00 04 00 3E 99 02 00 C9 FF"},
    {"function f(a, b) { return a; }",
     "9B 0A 00 66 00 02 00 61 00 62 00 08 00 96 03 00 00 61 00 1C 3E"},
    {"var x;", "96 03 00 00 78 00 41"},
    {"return;", "96 01 00 03 3E"},
    {"x = Key.LEFT;", "96 08 00 00 78 00 07 25 00 00 00 1D"},
    {"x = Math.PI;", "96 0C 00 00 78 00 06 FB 21 09 40 18 2D 44 54 1D"},
    {"trace(1 + 2);", "96 0A 00 07 01 00 00 00 07 02 00 00 00 47 26"},
    {"gotoAndPlay(5);", "81 02 00 04 00 06"},
    {"gotoAndStop(\"s\");", "96 03 00 00 73 00 9F 01 00 00"},
    {"getURL(\"u\");", "83 03 00 75 00 00"},
    {"getURL(u, t, \"POST\");", "96 03 00 00 75 00 1C 96 03 00 00 74 00 1C 9A 01 00 02"},
    {"loadMovie(\"m.swf\", 2);", "83 0E 00 6D 2E 73 77 66 00 5F 6C 65 76 65 6C 32 00"},
    {"loadMovie(u, 2);", "96 03 00 00 75 00 1C 96 09 00 00 5F 6C 65 76 65 6C 32 00 9A 01 00 00"},
    {"unloadMovie(3);", "83 09 00 00 5F 6C 65 76 65 6C 33 00"},
    {"duplicateMovieClip(a, b, 5);",
     "96 03 00 00 61 00 1C 96 03 00 00 62 00 1C 96 05 00 07 05 40 00 00 24"},
    {"fscommand(\"c\", \"t\");", "83 0E 00 46 53 43 6F 6D 6D 61 6E 64 3A 63 00 74 00"},
    {"fscommand(\"quit\");", "83 10 00 46 53 43 6F 6D 6D 61 6E 64 3A 71 75 69 74 00 00"},
    {"print(mc, \"bmovie\");", "96 0C 00 00 70 72 69 6E 74 3A 00 00 6D 63 00 1C 9A 01 00 00"},
    {"x = getProperty(mc, _alpha);",
     "96 07 00 00 78 00 00 6D 63 00 1C 96 05 00 07 06 00 00 00 22 1D"},
    {"setProperty(mc, _x, 10);",
     "96 04 00 00 6D 63 00 1C 96 0E 00 06 00 00 00 00 00 00 00 00 07 0A 00 00 00 23"},
    // Only the property is an index: the value _y is read, the empty target then 1 and
    // GetProperty.
    {"setProperty(\"\", _x, _y);",
     "96 12 00 00 00 06 00 00 00 00 00 00 00 00 00 00 07 01 00 00 00 22 23"},
    // A string that names a property, in any case, is the property's index; only there.
    {"setProperty(mc, \"_ALPHA\", \"_x\");",
     "96 04 00 00 6D 63 00 1C 96 09 00 07 06 00 00 00 00 5F 78 00 23"},
    {"x = getProperty(mc, \"_ALPHA\");",
     "96 07 00 00 78 00 00 6D 63 00 1C 96 05 00 07 06 00 00 00 22 1D"},
    // Any other string there stays a string value.
    {"setProperty(mc, \"alpha\", 1);",
     "96 04 00 00 6D 63 00 1C 96 0C 00 00 61 6C 70 68 61 00 07 01 00 00 00 23"},
    {"trace(x);", "96 03 00 00 78 00 1C 26"},
    // An action that leaves no value stands for undefined where one is used.
    {"x = trace(1);", "96 08 00 00 78 00 07 01 00 00 00 26 96 01 00 03 1D"},
    {"getTimer();", "34 17"},
    {"f(1, 2);", "96 12 00 07 02 00 00 00 07 01 00 00 00 07 02 00 00 00 00 66 00 3D 17"},
    // A name the player does not know as an action is a call, whose result is dropped.
    {"loadMovieNum(\"a\", 1);", "96 1B 00 07 01 00 00 00 00 61 00 07 02 00 00 00 00 6C 6F 61 64 "
                                "4D 6F 76 69 65 4E 75 6D 00 3D 17"},
    {"loadVariables(\"u\", t, \"GET\");", "96 06 00 00 75 00 00 74 00 1C 9A 01 00 C1"},
    {"x = eval(\"a\");", "96 06 00 00 78 00 00 61 00 1D"},
    {"x = eval(n);", "96 06 00 00 78 00 00 6E 00 1C 1C 1D"},
    // Nothing merges into the push that ends an arm of ?:.
    {"f(c ? 1 : 2);", "96 03 00 00 63 00 1C 9D 02 00 0D 00 96 05 00 07 02 00 00 00 99 02 00 08 00 "
                      "96 05 00 07 01 00 00 00 96 08 00 07 01 00 00 00 00 66 00 3D 17"},
    // Members, properties and elements are stored where they were read.
    {"obj.n++;", "96 05 00 00 6F 62 6A 00 1C 96 08 00 00 6E 00 00 6F 62 6A 00 1C 96 03 00 00 6E "
                 "00 4E 50 4F"},
    {"a[i]--;", "96 03 00 00 61 00 1C 96 03 00 00 69 00 1C 96 03 00 00 61 00 1C 96 03 00 00 69 00 "
                "1C 4E 51 4F"},
    {"_x++;",
     "96 16 00 00 00 06 00 00 00 00 00 00 00 00 00 00 06 00 00 00 00 00 00 00 00 22 50 23"},
    // A target whose code has side effects runs it once: the key waits in register 0 while
    // the object is copied (PushDuplicate, StackSwap).
    {"a[i++] += 5;", "96 03 00 00 61 00 1C 96 03 00 00 69 00 1C 96 06 00 00 69 00 00 69 00 1C 50 "
                     "1D 87 01 00 00 17 4C 96 02 00 04 00 4D 96 02 00 04 00 4E 96 05 00 07 05 00 "
                     "00 00 47 4F"},
    {"x = a[f()]++;", "96 06 00 00 78 00 00 61 00 1C 96 0C 00 06 00 00 00 00 00 00 00 00 00 66 00 "
                      "3D 87 01 00 00 17 4C 96 02 00 04 00 4D 96 02 00 04 00 4E 87 01 00 00 50 4F "
                      "96 02 00 04 00 1D"},
    {"eval(n())--;", "96 0C 00 06 00 00 00 00 00 00 00 00 00 6E 00 3D 4C 1C 51 1D"},
    {"var x += 1;", "96 03 00 00 78 00 4C 1C 96 05 00 07 01 00 00 00 47 3C"},
    {"var a = 1, b;", "96 08 00 00 61 00 07 01 00 00 00 3C 96 03 00 00 62 00 41"},
    {"delete obj.n;", "96 05 00 00 6F 62 6A 00 1C 96 03 00 00 6E 00 3A 17"},
    {"x = _x = 1;", "96 13 00 00 78 00 00 00 06 00 00 00 00 00 00 00 00 07 01 00 00 00 87 01 00 00 "
                    "23 96 02 00 04 00 1D"},
    {"a = b += 1;", "96 09 00 00 61 00 00 62 00 00 62 00 1C 96 05 00 07 01 00 00 00 47 87 01 00 00 "
                    "1D 96 02 00 04 00 1D"},
    {"i++, j++;", "96 06 00 00 69 00 00 69 00 1C 50 1D 96 06 00 00 6A 00 00 6A 00 1C 50 1D"},
    {"new Date();", "96 0F 00 06 00 00 00 00 00 00 00 00 00 44 61 74 65 00 40 17"},
    // The hoisted definition's statement is rewritten once.
    {"if (x) function f(){} else fscommand(\"c\", \"t\");",
     "9B 06 00 66 00 00 00 00 00 96 03 00 00 78 00 1C 12 9D 02 00 05 00 99 02 00 11 00 83 0E 00 "
     "46 53 43 6F 6D 6D 61 6E 64 3A 63 00 74 00"},
    {"startDrag(mc, true, 1, 2, 3, 4);",
     "96 1F 00 07 01 00 00 00 07 02 00 00 00 07 03 00 00 00 07 04 00 00 00 07 01 00 00 00 05 01 "
     "00 6D 63 00 1C 27"},
    {"gotoAndPlay(\"s\", 1);", "81 02 00 00 00 06"},
    {"print(mc, \"bframe\");", "96 13 00 00 70 72 69 6E 74 3A 23 62 66 72 61 6D 65 00 00 6D 63 00 "
                               "1C 9A 01 00 00"},
    // Definitions move ahead of the other statements and keep their order.
    {"x = 1; function a() {} function b() {}",
     "9B 06 00 61 00 00 00 00 00 9B 06 00 62 00 00 00 00 00 96 08 00 00 78 00 07 01 00 00 00 1D"},
    {"x = getVersion();", "96 0F 00 00 78 00 00 2F 3A 24 76 65 72 73 69 6F 6E 00 1C 1D"},
};

std::vector<unsigned char> FromHex(const std::string& hex) {
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 3)
        bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Where each record of compiled code starts.
std::vector<size_t> RecordStarts(const std::vector<unsigned char>& code) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < code.size();
         i += code[i] >= 0x80 ? 3u + (code[i + 1] | code[i + 2] << 8) : 1u)
        starts.push_back(i);
    return starts;
}

TEST(CodeGeneratorTest, GoldenScriptsCompileToTheirBytes) {
    for (const Golden& g : kGolden) {
        const Compiled c = CompileScript(g.script);
        EXPECT_EQ(c.error, 0) << g.script << ": " << c.message;
        EXPECT_EQ(Hex(c.code), g.hex) << g.script;
    }
}

TEST(CodeGeneratorTest, GoldenBytesReadBackAsTheSameRecords) {
    for (const Golden& g : kGolden) {
        std::vector<unsigned char> bytes = FromHex(g.hex);
        bytes.push_back(0); // the list's end
        ravuz::CBK_SwfReader reader;
        reader.CreateFromBytes(bytes.data(), bytes.size(), 6);
        ravuz::CBK_SwfDoAction list;
        list.Read(&reader, static_cast<uint32_t>(bytes.size()));
        ravuz::CBK_SwfStream stream(6);
        list.Write(&stream, false);
        EXPECT_EQ(Hex(stream.GetStream()), Hex(bytes)) << g.script;
    }
}

TEST(CodeGeneratorTest, HandlerScriptsGiveEventRecords) {
    const Golden cases[] = {
        {"on(release, keyPress \"<left>\") { play(); }", "00 00 08 02 06 00"},
        {"on(keyPress \"a\") { }", "00 00 00 C2 00"},
        // Drag-out and release-outside as the button-condition word defines them.
        {"on(dragOut) { }", "00 00 10 01 00"},
        {"on(releaseOutside) { }", "00 00 40 00 00"},
        {"onClipEvent(load) { }", "00 00 01 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00 00"},
        {"onClipEvent(load) { stop(); } onClipEvent(enterFrame) { x = \"a\"; y = \"a\"; }",
         "00 00 03 00 00 00 01 00 00 00 0D 00 00 00 88 08 00 03 00 78 00 61 00 79 00 07 00 02 00 "
         "00 00 1C 00 00 00 88 08 00 03 00 78 00 61 00 79 00 96 04 00 08 00 08 01 1D 96 04 00 08 "
         "02 08 01 1D 00 00 00 00 00"},
    };
    for (const Golden& g : cases)
        EXPECT_EQ(Hex(CompileScript(g.script).code), g.hex) << g.script;
    EXPECT_EQ(Hex(CompileScript("onClipEvent(load) { }", 5).code),
              "00 00 01 00 01 00 01 00 00 00 00 00 00");
}

TEST(CodeGeneratorTest, ScriptsThatCannotBeEncodedFailWithAMessage) {
    const char* const bad[] = {
        "break;",
        "continue;",
        "while (x) { function g() { break; } }",
        "on(dragOutt) { }",
        "on(keyPress \"\xE9\") { }",
        "onClipEvent(loaded) { }",
        "on(press) { } x = 1;",
        "on(press) { } onClipEvent(load) { }",
        "if (x) { on(press) { } }",
        "x = getProperty(mc);",
        "x = getProperty(mc, _alhpa);",
        // Strings declined before any look-up: longer than every property's name, or without
        // the underscore that each starts with.
        "x = getProperty(mc, \"_alpha_of_the_clip\");",
        "x = getProperty(mc, \"alpha\");",
        "startDrag(a, b, c);",
        "x = Number();",
        "x = String();",
        "print(mc);",
        "duplicateMovieClip(a, b);",
        "gotoAndPlay();",
        "unloadMovie();",
        "f() = 1;",
        "5++;",
    };
    for (const char* script : bad) {
        const Compiled c = CompileScript(script);
        EXPECT_TRUE(c.parsed) << script;
        EXPECT_EQ(c.error, 4) << script;
        EXPECT_FALSE(c.message.empty()) << script;
        EXPECT_TRUE(c.code.empty()) << script;
    }
    EXPECT_EQ(CompileScript("for (k in a.b) { }", 5).error, 4);
}

TEST(CodeGeneratorTest, LargeLiteralsAndJumpsRespectTheirFields) {
    // A Push holds at most 64 KiB of values: a longer argument list takes several.
    std::string call = "f(";
    for (int i = 0; i < 14000; ++i)
        call += (i ? ", " : "") + std::to_string(1000000 + i);
    const Compiled c = CompileScript(call + ");");
    ASSERT_EQ(c.error, 0) << c.message;
    size_t pushes = 0;
    for (size_t start : RecordStarts(c.code))
        pushes += c.code[start] == 0x96;
    EXPECT_GE(pushes, 2u);

    // Nor can one value beyond 64 KiB.
    EXPECT_EQ(CompileScript("x = \"" + std::string(70000, 'a') + "\";").error, 4);
    EXPECT_EQ(CompileScript("x = \"" + std::string(65000, 'a') + "\";").error, 0);

    // A branch beyond 32 KiB cannot be encoded.
    std::string body;
    for (int i = 0; i < 4000; ++i)
        body += "a" + std::to_string(i % 10) + " = b.c;";
    EXPECT_EQ(CompileScript("if (x) { " + body + " }").error, 4);
    EXPECT_EQ(CompileScript("if (x) { " + body.substr(0, body.size() / 4) + " }").error, 0);
}

TEST(CodeGeneratorTest, TreesDeeperThanTheParserBuildsCompileOrFailWithoutRecursion) {
    // A left-leaning chain costs no nesting, however long: one Add2 per operator.
    constexpr int kLinks = 300000;
    translate::ASNode* chain = translate::ValueASNode(translate::ASNode::Number, "1");
    for (int i = 0; i < kLinks; ++i)
        chain = translate::BinaryASNode(translate::ASNode::Add, chain,
                                        translate::ValueASNode(translate::ASNode::Number, "2"));
    // Operands nested on the right are nested for real, and refused.
    translate::ASNode* nested = translate::ValueASNode(translate::ASNode::Number, "1");
    for (int i = 0; i < kLinks; ++i)
        nested = translate::BinaryASNode(
            translate::ASNode::Add, translate::ValueASNode(translate::ASNode::Number, "2"), nested);
    std::unique_ptr<translate::ASParser, translate::Destroyer> service(Parser());
    for (translate::ASNode* expression : {chain, nested}) {
        translate::ASNode* root = translate::NewASNode(translate::ASNode::Array);
        root->append(translate::BinaryASNode(
            translate::ASNode::Assign, translate::ValueASNode(translate::ASNode::Identifier, "x"),
            expression));
        std::vector<unsigned char> code(static_cast<size_t>(service->compile(root, 6)));
        service->getCode(code.data());
        root->destroy();
        if (expression == nested) {
            EXPECT_EQ(service->getError(), 4);
            EXPECT_TRUE(code.empty());
            continue;
        }
        ASSERT_EQ(service->getError(), 0) << service->getMessage();
        size_t adds = 0;
        for (size_t start : RecordStarts(code))
            adds += code[start] == 0x47;
        EXPECT_EQ(adds, size_t(kLinks));
    }
}

// Every form of nesting, alone: it compiles 500 deep, and where it goes too deep for the
// parser or the generator it is refused as such, 100,000 deep too, rather than exhausting the
// stack; the deepest that compiles, found by bisection, runs the stack furthest, under the
// sanitizers too.
TEST(CodeGeneratorTest, EveryFormNestsFiveHundredDeepAndIsRefusedCleanlyPastItsDeepest) {
    struct Form {
        const char* open;
        const char* inner;
        const char* close;
        const char* before = "x = ";
    };
    const Form forms[] = {
        {"(", "1", ")"},
        {"1 + (", "1", ")"},
        {"f(", "1", ")"},
        {"o.m(", "1", ")"},
        {"a[", "1", "]"},
        {"[", "1", "]"},
        {"[", "1", "][0]"},
        {"{v: ", "1", "}"},
        {"new A(", "1", ")"},
        {"function () { return ", "1", "; }"},
        {"function () { y = ", "1", "; }"},
        {"-(", "1", ")"},
        {"!", "1", ""},
        {"(c ? ", "1", " : 0)"},
        {"c ? 1 : ", "0", ""},
        {"a = ", "1", ""},
        {"String(", "1", ")"},
        {"if (a) { ", "b();", " }", ""},
        {"if (a) b(); else { ", "c();", " }", ""},
        {"if (a) ", "b();", "", ""},
        {"for (;;) ", "b();", "", ""},
        {"while (a) with (o) ", "b();", "", ""},
        {"function f() { ", "b();", " }", ""},
    };
    auto compile = [](const Form& form, int depth) {
        std::string text = form.before;
        for (int i = 0; i < depth; ++i)
            text += form.open;
        text += form.inner;
        for (int i = 0; i < depth; ++i)
            text += form.close;
        return CompileScript(text + ";");
    };
    auto refused = [](const Compiled& c) {
        return c.error == 4 && c.message.find("nests too deeply") != std::string::npos &&
               c.code.empty();
    };
    for (const Form& form : forms) {
        const Compiled at500 = compile(form, 500);
        EXPECT_EQ(at500.error, 0) << form.open << ": " << at500.message;
        EXPECT_FALSE(at500.code.empty()) << form.open;
        int deepest = 500, shallowest = 3000; // compiles, is refused
        EXPECT_TRUE(refused(compile(form, 100000))) << form.open;
        EXPECT_TRUE(refused(compile(form, shallowest))) << form.open;
        while (shallowest - deepest > 1) {
            const int middle = deepest + (shallowest - deepest) / 2;
            const Compiled c = compile(form, middle);
            if (c.error == 0) {
                deepest = middle;
            } else {
                EXPECT_TRUE(refused(c)) << form.open << middle << ": " << c.message;
                shallowest = middle;
            }
        }
        EXPECT_TRUE(refused(compile(form, deepest + 1))) << form.open << deepest;
    }
}

// Each link's Jump goes to the chain's end, as a lone if's Jump over its else-part does,
// wherever a 16-bit offset reaches it; one further away lands on the furthest later Jump that
// it reaches.
TEST(CodeGeneratorTest, ElseIfJumpsReachTheChainsEndWheneverTheirOffsetHoldsIt) {
    for (int links : {200, 3000}) {
        std::string script;
        for (int i = 0; i < links; ++i)
            script += (i ? "else if (x == " : "if (x == ") + std::to_string(i) +
                      ") r = " + std::to_string(i) + ";\n";
        const Compiled c = CompileScript(script);
        ASSERT_EQ(c.error, 0) << c.message;
        const auto end = static_cast<int64_t>(c.code.size()); // the chain's end
        std::vector<int64_t> jumps;
        for (size_t start : RecordStarts(c.code))
            if (c.code[start] == 0x99)
                jumps.push_back(static_cast<int64_t>(start));
        ASSERT_EQ(jumps.size(), size_t(links - 1));
        size_t hops = 0;
        for (auto jump = jumps.begin(); jump != jumps.end(); ++jump) {
            const int64_t from = *jump + 5;
            const auto offset =
                static_cast<int16_t>(c.code[size_t(*jump) + 3] | c.code[size_t(*jump) + 4] << 8);
            if (end - from <= INT16_MAX) {
                EXPECT_EQ(from + offset, end) << links << " links, Jump at " << *jump;
                continue;
            }
            ++hops;
            const auto to = std::find(jump + 1, jumps.end(), from + offset);
            ASSERT_NE(to, jumps.end()) << links << " links, Jump at " << *jump;
            EXPECT_TRUE(to + 1 == jumps.end() || *(to + 1) - from > INT16_MAX) << *jump;
        }
        // Only the longer chain passes what an offset reaches, and it does by far.
        EXPECT_EQ(hops > 0, links == 3000) << end;
        EXPECT_EQ(end > 2 * INT16_MAX, links == 3000) << end;
    }
}

TEST(CodeGeneratorTest, VersionBelowFiveGivesNoCode) {
    EXPECT_TRUE(CompileScript("x = 1;", 4).code.empty());
    EXPECT_EQ(CompileScript("x = 1;", 4).error, 0);
}

} // namespace
} // namespace stravel::testing
