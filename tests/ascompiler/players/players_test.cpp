// Compiled scripts checked by programs no one here wrote: the avm1-parser control-flow parse
// (every branch lands on an action) and the Ruffle player in headless Chromium (what each
// script traces when it runs).
#include "tests/ascompiler/codegen/compile_support.h"
#include "tests/ascompiler/codegen/movie_support.h"
#include "tests/ascompiler/players/edge_scripts.h"
#include "tests/ascompiler/players/random_programs.h"
#include "tests/ascompiler/players/script_corpus.h"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
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

// Scripts are compiled in the folder that holds the files they include: the played ones
// include show_a.as, which traces a, the random ones the file they name.
class IncludeFolder {
public:
    explicit IncludeFolder(const TempDir& dir) : m_previous(std::filesystem::current_path()) {
        WriteFileBytes(dir / "show_a.as", "trace(a);\n");
        WriteFileBytes(dir / kIncludedName, kIncludedText);
        std::filesystem::current_path(dir.Path());
    }
    ~IncludeFolder() { std::filesystem::current_path(m_previous); }
    IncludeFolder(const IncludeFolder&) = delete;
    IncludeFolder& operator=(const IncludeFolder&) = delete;

private:
    std::filesystem::path m_previous;
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

// What the runners of tests/players print, by movie or script name: the lines each traced.
std::map<std::string, std::string> Traced(const ToolResult& result) {
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> traced;
    std::istringstream lines(result.out);
    std::string line, name;
    while (std::getline(lines, line)) {
        if (line.rfind("== ", 0) == 0)
            traced[name = line.substr(3)];
        else if (line.rfind("- ", 0) == 0 && !name.empty())
            traced[name] += (traced[name].empty() ? "" : "\n") + line.substr(2);
    }
    return traced;
}

// Runs avm1_check.mjs as argv says, each list it names expected to pass; how many it checked.
size_t CheckActionLists(const std::vector<std::string>& argv) {
    const ToolResult result = RunTool(argv);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.out);
    std::string line;
    size_t checked = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("ok ", 0), 0u) << line;
        ++checked;
    }
    return checked;
}

TEST(CompiledScriptOracleTest, Avm1ParserFindsEveryBranchOnAnAction) {
    STRAVEL_REQUIRE(NodeCheckersPresent(), "node or the npm packages of tests/players");
    TempDir dir;
    IncludeFolder includes(dir);
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
    const size_t checked = CheckActionLists(argv);
    EXPECT_EQ(checked, scripts.size());
    EXPECT_GE(checked, 50u);
}

TEST(CompiledScriptOracleTest, RufflePlaysEveryScriptAsWritten) {
    STRAVEL_REQUIRE(NodeCheckersPresent(), "node or the npm packages of tests/players");
    STRAVEL_REQUIRE_TOOL("chromium");
    TempDir dir;
    IncludeFolder includes(dir);
    for (const PlayedScript& s : kPlayedScripts)
        ASSERT_TRUE(WriteScriptMovie(std::string(s.script) + "\ntrace(\"__end__\");",
                                     dir / (std::string(s.name) + ".swf"), s.version))
            << s.name;
    const std::map<std::string, std::string> traced =
        Traced(RunTool({"node", (kPlayers / "run_movies.mjs").string(), dir.Path().string(),
                        FindTool("chromium")}));
    for (const PlayedScript& s : kPlayedScripts) {
        const auto it = traced.find(std::string(s.name) + ".swf");
        ASSERT_NE(it, traced.end()) << s.name;
        EXPECT_EQ(it->second, Lines(s.expected)) << s.name << ": " << s.script;
    }
}

// Lines traced by movies that mark each script's output with a line "== NAME", split by
// those markers: the lines each named script traced.
std::map<std::string, std::string> ByMarker(const std::map<std::string, std::string>& movies) {
    std::map<std::string, std::string> traced;
    for (const auto& [movie, played] : movies) {
        std::istringstream lines(played);
        std::string line, name;
        while (std::getline(lines, line)) {
            if (line.rfind("== ", 0) == 0)
                traced[name = line.substr(3)];
            else if (!name.empty())
                traced[name] += (traced[name].empty() ? "" : "\n") + line;
        }
    }
    return traced;
}

uint64_t ProgramSeed() {
    const char* fixed = std::getenv("STRAVEL_PROGRAM_SEED");
    return fixed ? std::strtoull(fixed, nullptr, 10) : std::random_device()();
}

// Each edge script, and random expressions nested 300 to 550 deep, for SWF 5, 6 and 7:
// played, it traces what it means and its branches land on actions; refused, it fails with
// the message that says why rather than leaving values behind or taking others'. The
// played ones run one after another in a movie per version, each after a reset of the
// properties that they set.
TEST(CompiledScriptOracleTest, EdgeScriptsPlayAsWrittenOrAreRefused) {
    const uint64_t seed = ProgramSeed();
    SCOPED_TRACE("STRAVEL_PROGRAM_SEED=" + std::to_string(seed));
    std::vector<EdgeScript> scripts = EdgeScripts();
    for (EdgeScript& s : NestedExpressions(seed, 12))
        scripts.push_back(std::move(s));
    TempDir dir;
    std::filesystem::create_directory(dir / "movies");
    std::vector<std::string> check = {"node", (kPlayers / "avm1_check.mjs").string()};
    std::map<int, std::vector<std::string>> played; // the movie's scripts, by version
    std::map<std::string, std::string> expected;    // by script and version
    for (const EdgeScript& s : scripts) {
        for (int version : {5, 6, 7}) {
            const std::string name = s.name + "_swf" + std::to_string(version);
            const Compiled c = CompileScript(s.script, version);
            if (!s.refusal.empty()) {
                EXPECT_EQ(c.error, 4) << name;
                EXPECT_NE(c.message.find(s.refusal), std::string::npos)
                    << name << ": " << c.message;
                EXPECT_TRUE(c.code.empty()) << name;
                continue;
            }
            EXPECT_EQ(c.error, 0) << name << ": " << c.message;
            if (c.error != 0)
                continue;
            check.push_back((dir / (name + ".bin")).string());
            WriteFileBytes(check.back(), std::string(c.code.begin(), c.code.end()));
            played[version].push_back("trace(\"== " + name +
                                      "\"); _x = 0; _y = 0; _alpha = 100; _xscale = 100; "
                                      "_yscale = 100;");
            played[version].push_back(s.script);
            expected[name] = Lines(s.expected.c_str());
        }
    }
    STRAVEL_REQUIRE(NodeCheckersPresent(), "node or the npm packages of tests/players");
    STRAVEL_REQUIRE_TOOL("chromium");
    EXPECT_EQ(CheckActionLists(check), expected.size());
    for (auto& [version, movie] : played) {
        movie.push_back("trace(\"__end__\");");
        ASSERT_TRUE(WriteScriptsMovie(
            movie, dir / "movies" / ("v" + std::to_string(version) + ".swf"), version));
    }
    const std::map<std::string, std::string> traced =
        ByMarker(Traced(RunTool({"node", (kPlayers / "run_movies.mjs").string(),
                                 (dir / "movies").string(), FindTool("chromium")})));
    for (const auto& [name, want] : expected) {
        const auto it = traced.find(name);
        ASSERT_NE(it, traced.end()) << name;
        EXPECT_EQ(it->second, want) << name;
    }
}

// Random programs, several to a movie (each its own DoAction after a marker that names it),
// against what Node traces running the same texts. The seed changes from run to run and is
// reported with any difference; STRAVEL_PROGRAM_SEED repeats a run.
TEST(CompiledScriptOracleTest, RandomProgramsTraceWhatNodeTraces) {
    STRAVEL_REQUIRE(NodeCheckersPresent(), "node or the npm packages of tests/players");
    STRAVEL_REQUIRE_TOOL("chromium");
    constexpr int kPrograms = 300;
    constexpr int kPerMovie = 30;
    const uint64_t seed = ProgramSeed();
    SCOPED_TRACE("STRAVEL_PROGRAM_SEED=" + std::to_string(seed));
    TempDir dir;
    IncludeFolder includes(dir);
    std::filesystem::create_directory(dir / "movies");
    std::vector<std::string> names, programs;
    std::vector<std::string> node = {"node", (kPlayers / "run_scripts.mjs").string()};
    for (int i = 0; i < kPrograms; ++i) {
        names.push_back("p" + std::to_string(i));
        programs.push_back(RandomProgram(seed + static_cast<uint64_t>(i), names.back() + "_"));
        node.push_back((dir / (names.back() + ".js")).string());
        WriteFileBytes(node.back(), AsJavaScript(programs.back()));
    }
    for (int first = 0; first < kPrograms; first += kPerMovie) {
        std::vector<std::string> scripts;
        for (int i = first; i < std::min(first + kPerMovie, kPrograms); ++i) {
            scripts.push_back("trace(\"== " + names[static_cast<size_t>(i)] + "\");");
            scripts.push_back(programs[static_cast<size_t>(i)]);
        }
        scripts.push_back("trace(\"__end__\");");
        const int version = 6 + (first / kPerMovie) % 2;
        ASSERT_TRUE(WriteScriptsMovie(
            scripts, dir / "movies" / ("m" + std::to_string(first) + ".swf"), version))
            << "a program does not compile";
    }
    const std::map<std::string, std::string> expected = Traced(RunTool(node));
    // The markers split each movie's lines by program, as the runner splits its output.
    std::map<std::string, std::string> traced =
        ByMarker(Traced(RunTool({"node", (kPlayers / "run_movies.mjs").string(),
                                 (dir / "movies").string(), FindTool("chromium")})));
    int differences = 0;
    for (size_t i = 0; i < programs.size() && differences < 3; ++i) {
        const std::string file = names[i] + ".js";
        const auto want = expected.find(file);
        ASSERT_NE(want, expected.end()) << file;
        EXPECT_EQ(want->second.find("__error__"), std::string::npos) << programs[i];
        if (traced[names[i]] != want->second) {
            ++differences;
            ADD_FAILURE() << programs[i] << "\nNode:\n"
                          << want->second << "\nplayer:\n"
                          << traced[names[i]];
        }
    }
}

} // namespace
} // namespace stravel::testing
