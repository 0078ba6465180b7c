// Compiled scripts checked by programs no one here wrote: the avm1-parser control-flow parse
// (every branch lands on an action) and the Ruffle player in headless Chromium (what each
// script traces when it runs).
#include "tests/ascompiler/codegen/compile_support.h"
#include "tests/ascompiler/codegen/movie_support.h"
#include "tests/ascompiler/players/script_corpus.h"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace stravel::testing {
namespace {

const std::filesystem::path kPlayers = STRAVEL_PLAYERS_DIR;

// Scripts of the built-in calls whose output no player shows.
const char* const kStructureOnly[] = {
    R"(fscommand("quit");)",
    R"(loadMovie(u, 2);)",
    R"(print(mc, "bframe");)",
    R"(startDrag(mc, true, 1, 2, 3, 4);)",
    R"(unloadMovie(n);)",
    R"(getURL(u, "_blank", "POST");)",
    R"(duplicateMovieClip(a, "b", d);)",
    R"(gotoAndPlay(f); gotoAndStop(3);)",
    R"(setProperty(mc, _x, getProperty(mc, _y) + 1);)",
    R"(x = eval("a" + i).b();)",
};

bool NodeCheckersPresent() {
    return !FindTool("node").empty() && std::filesystem::exists(kPlayers / "node_modules");
}

std::string Lines(const char* joined) {
    std::string text = joined;
    for (char& c : text)
        if (c == '|')
            c = '\n';
    return text;
}

TEST(CompiledScriptOracleTest, Avm1ParserFindsEveryBranchOnAnAction) {
    STRAVEL_REQUIRE(NodeCheckersPresent(), "node or the npm packages of tests/players");
    TempDir dir;
    std::vector<std::string> argv = {"node", (kPlayers / "avm1_check.mjs").string()};
    std::vector<std::string> scripts;
    for (const PlayedScript& s : kPlayedScripts)
        scripts.emplace_back(s.script);
    scripts.insert(scripts.end(), std::begin(kStructureOnly), std::end(kStructureOnly));
    for (size_t i = 0; i < scripts.size(); ++i) {
        const Compiled c = CompileScript(scripts[i]);
        EXPECT_EQ(c.error, 0) << scripts[i] << ": " << c.message;
        const auto path = dir / ("s" + std::to_string(i) + ".bin");
        WriteFileBytes(path, std::string(c.code.begin(), c.code.end()));
        argv.push_back(path.string());
    }
    const ToolResult result = RunTool(argv);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.out);
    std::string line;
    size_t checked = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("ok ", 0), 0u) << line;
        ++checked;
    }
    EXPECT_EQ(checked, scripts.size());
    EXPECT_GE(checked, 50u);
}

TEST(CompiledScriptOracleTest, RufflePlaysEveryScriptAsWritten) {
    STRAVEL_REQUIRE(NodeCheckersPresent(), "node or the npm packages of tests/players");
    STRAVEL_REQUIRE_TOOL("chromium");
    TempDir dir;
    for (const PlayedScript& s : kPlayedScripts)
        ASSERT_TRUE(WriteScriptMovie(std::string(s.script) + "\ntrace(\"__end__\");",
                                     dir / (std::string(s.name) + ".swf")))
            << s.name;
    const ToolResult result = RunTool({"node", (kPlayers / "run_movies.mjs").string(),
                                       dir.Path().string(), FindTool("chromium")});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    std::map<std::string, std::string> traced;
    std::istringstream lines(result.out);
    std::string line, movie;
    while (std::getline(lines, line)) {
        if (line.rfind("== ", 0) == 0)
            traced[movie = line.substr(3)];
        else if (line.rfind("- ", 0) == 0 && !movie.empty())
            traced[movie] += (traced[movie].empty() ? "" : "\n") + line.substr(2);
    }
    for (const PlayedScript& s : kPlayedScripts) {
        const auto it = traced.find(std::string(s.name) + ".swf");
        ASSERT_NE(it, traced.end()) << s.name;
        EXPECT_EQ(it->second, Lines(s.expected)) << s.name << ": " << s.script;
    }
}

} // namespace
} // namespace stravel::testing
