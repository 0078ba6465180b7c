// The driver: text in, a DoAction tag out, through the one-frame wrapper movie.
#include "ascompiler/driver/action_script_compiler.h"

#include "core/paths/path.h"
#include "core/strings/string_functions.h"
#include "swf/actions/do_action.h"
#include "swf/stream/swf_stream.h"
#include "tests/ascompiler/codegen/compile_support.h"
#include "tests/ascompiler/codegen/movie_support.h"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>

namespace {

using stravel::testing::CompileScript;
using stravel::testing::Hex;

std::string Written(ravuz::CBK_SwfTag* tag) {
    ravuz::CBK_SwfStream stream(6);
    static_cast<ravuz::CBK_SwfDoAction*>(tag)->Write(&stream, false);
    return Hex(stream.GetStream());
}

TEST(ActionScriptCompilerTest, CompilesToADoActionTagHoldingTheCode) {
    CBK_ActionScriptCompiler compiler;
    EXPECT_EQ(compiler.Compile(6), nullptr); // empty text
    compiler.SetScript(L"x = 12;");
    compiler.AppendScript(L" trace(x);");
    for (long version : {6L, 7L}) {
        std::unique_ptr<ravuz::CBK_SwfTag> tag(compiler.Compile(version));
        ASSERT_NE(tag, nullptr);
        EXPECT_EQ(tag->GetTagId(), 12);
        EXPECT_EQ(Written(tag.get()), Hex(CompileScript("x = 12; trace(x);", 6).code) + " 00");
    }
    EXPECT_EQ(compiler.GetScript(), L"x = 12; trace(x);");

    // Below version 5 the tag is there but empty.
    std::unique_ptr<ravuz::CBK_SwfTag> old(compiler.Compile(4));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(static_cast<ravuz::CBK_SwfDoAction*>(old.get())->GetActionCount(), 0u);

    compiler.SetScript(L"x = ;");
    EXPECT_EQ(compiler.Compile(6), nullptr);
    compiler.SetScript(L"break;");
    EXPECT_EQ(compiler.Compile(6), nullptr);
}

// Text, escapes included, is UTF-8 from SWF 6 on and Mac Roman before, where a character
// Mac Roman lacks becomes '?'. iconv reads the pushed bytes back.
TEST(ActionScriptCompilerTest, TextIsUtf8FromSwf6OnAndMacRomanBefore) {
    STRAVEL_REQUIRE_TOOL("iconv");
    CBK_ActionScriptCompiler compiler;
    compiler.SetScript(L"trace(\"caf\u00e9 \u2603 \\u00fc\");");
    for (long version : {5L, 6L, 7L}) {
        std::unique_ptr<ravuz::CBK_SwfTag> tag(compiler.Compile(version));
        ASSERT_NE(tag, nullptr);
        ravuz::CBK_SwfStream stream(static_cast<uint8_t>(version));
        static_cast<ravuz::CBK_SwfDoAction*>(tag.get())->Write(&stream, false);
        const auto& bytes = stream.GetStream();
        // Push, its length, the string type; the text; its end, Trace and the list's end.
        ASSERT_GT(bytes.size(), 7u);
        const std::string text(bytes.begin() + 4, bytes.end() - 3);
        const auto decoded = stravel::testing::RunTool(
            {"iconv", "-f", version < 6 ? "MACINTOSH" : "UTF-8", "-t", "UTF-8"}, text);
        EXPECT_EQ(decoded.exitCode, 0) << version;
        EXPECT_EQ(decoded.out, version < 6 ? "caf\u00e9 ? \u00fc" : "caf\u00e9 \u2603 \u00fc")
            << version;
    }
}

TEST(ActionScriptCompilerTest, WrapperUsesTheShortHeaderUpTo62Bytes) {
    for (size_t length : {0u, 62u, 63u, 300u}) {
        const std::vector<uint8_t> code(length, 0x07);
        const std::vector<uint8_t> movie = BK_WrapActionCode(code, 261);
        const size_t header = length <= 62 ? 2 : 6;
        ASSERT_EQ(movie.size(), length + 57);
        EXPECT_EQ(Hex(std::vector<uint8_t>(movie.begin(), movie.begin() + 21)),
                  "46 57 53 05 " +
                      Hex({static_cast<uint8_t>(movie.size()),
                           static_cast<uint8_t>(movie.size() >> 8), 0, 0}) +
                      " 78 00 05 5F 00 00 0F A0 00 00 0C 01 00");
        const uint32_t word = movie[21] | movie[22] << 8;
        EXPECT_EQ(word, length <= 62 ? 0x0300 + length : 0x033Fu);
        if (header == 6) {
            EXPECT_EQ(movie[23] | movie[24] << 8, static_cast<int>(length));
        }
        EXPECT_EQ(movie[21 + header + length], 0);
        EXPECT_EQ(movie[21 + header + (length ? length - 1 : 0)], length ? 0x07 : 0);
    }
}

TEST(ActionScriptCompilerTest, ReadBackKeepsWhatFollowsTheEndAction) {
    // Stop, End, then a Play the list model does not hold: read back as any movie's tag
    // is, the tag gives back every byte of it.
    std::unique_ptr<ravuz::CBK_SwfTag> tag(
        BK_ReadActionTag(BK_WrapActionCode({0x07, 0x00, 0x06}, 6)));
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->GetTagId(), 12);
    ravuz::CBK_SwfStream stream(6);
    tag->Write(&stream);
    const std::string written = Hex(stream.GetStream());
    EXPECT_EQ(written.substr(written.size() - 8), "07 00 06");
    EXPECT_EQ(BK_ReadActionTag({'F', 'W', 'S'}), nullptr);
}

TEST(ActionScriptCompilerTest, CompiledTagParsesWithSwfparser) {
    STRAVEL_REQUIRE_TOOL("swfparser");
    stravel::testing::TempDir dir;
    const auto path = dir / "compiled.swf";
    ASSERT_TRUE(stravel::testing::WriteScriptMovie(
        "s = \"a\"; t = \"a\"; if (s == t) trace(s); else f(c ? 1 : 2);", path));
    const auto result = stravel::testing::RunTool({"swfparser", "-e", path.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* expected : {"DoAction", "ActionConstantPool", "ConstantPool: ['s', 'a', 't'",
                                 "ActionIf", "ActionTrace", "ActionCallFunction", "ShowFrame"})
        EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\n" << result.out;
    EXPECT_EQ(result.out.find("FailingObject"), std::string::npos) << result.out;
}

TEST(ActionScriptCompilerTest, FormattingGrowsItsBufferAndKeepsTextOnFailure) {
    CBK_ActionScriptCompiler compiler;
    const std::wstring longName(500, L'n');
    compiler.SetScriptFormat(L"%ls = %d;", longName.c_str(), 42);
    EXPECT_EQ(compiler.GetScript(), longName + L" = 42;");
    compiler.AppendScriptFormat(L" y = %d;", 7);
    EXPECT_EQ(compiler.GetScript(), longName + L" = 42; y = 7;");
    compiler.SetScript(L"kept");
    // A narrow argument that cannot be converted fails at every size.
    compiler.SetScriptFormat(L"%s", "\xff\xfe");
    if (compiler.GetScript() != L"kept") {
        EXPECT_EQ(compiler.GetScript().size(), 2u); // a C library that converts anyway
    }
    compiler.Clear();
    EXPECT_TRUE(compiler.GetScript().empty());
}

TEST(ActionScriptCompilerTest, DumpWritesTheTextWithoutALineEnd) {
    CBK_ActionScriptCompiler compiler;
    compiler.SetScript(L"x = 1;\ny = 2;");
    const std::wstring name = L"stravel_script_dump_" + std::to_wstring(getpid()) + L".as";
    compiler.DumpScript(name.c_str());
    CBK_Path beside;
    ASSERT_TRUE(beside.MakeAppLevelPath(name.c_str()));
    const std::filesystem::path dumped(BK_WideToFileSystemName(beside.GetFullPathString()));
    EXPECT_EQ(stravel::testing::ReadFileBytes(dumped), "x = 1;\ny = 2;");
    std::filesystem::remove(dumped);
}

} // namespace
