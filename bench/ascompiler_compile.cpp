// Script compilation, text in and DoAction tag out, for SWF 6: a 10 KB script of mixed
// timeline code and a 1 MB one of the same code, each with the parse alone as the peer in
// the same run (the share that code generation adds), and side by side with Ming's action
// compiler on the same text when the build found it (STRAVEL_MING_ROOT); long operator and
// else-if chains beside the same links as separate statements. The stage runs split
// one compile into its steps, each in milliseconds per compile, so that a change shows where
// its time went.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ascompiler/driver/action_script_compiler.h"
#include "ascompiler/service/as_parser.h"
#include "bench/side_by_side.h"

#ifdef STRAVEL_HAVE_MING
extern "C" {
#include <ming.h>
}
#endif

namespace {

// One unit of mixed timeline code; its names are numbered so that a long script keeps
// offering new strings to the constant pool.
std::string Unit(int n) {
    const std::string k = std::to_string(n);
    return "var count" + k +
           " = 0;\n"
           "function step" +
           k +
           "(a, b) { var sum = a + b; if (sum > 10) { return sum - 10; }"
           " else { return sum * 2; } }\n"
           "for (var i = 0; i < 10; i++) { count" +
           k + " += step" + k + "(i, " + k +
           "); }\n"
           "var j = 0; while (j < 5) { j++; if (j == 3) continue; }\n"
           "do { j--; } while (j > 0);\n"
           "var box" +
           k + " = {name: \"box" + k + "\", size: " + k +
           ", tags: [1, 2, 3]};\n"
           "for (key in box" +
           k + ") { trace(key + \": \" + box" + k +
           "[key]); }\n"
           "label" +
           k + " = \"item \" + count" + k + " + \" of \" + box" + k +
           ".size;\n"
           "_root.holder.clip" +
           k + ".gotoAndStop(label" + k +
           ".length % 3 + 1);\n"
           "items" +
           k + " = new Array(); items" + k + ".push(box" + k + ".name);\n";
}

std::wstring Script(size_t bytes) {
    std::string text;
    for (int n = 0; text.size() < bytes; ++n)
        text += Unit(n);
    return std::wstring(text.begin(), text.end());
}

void Compile(benchmark::State& state, size_t bytes) {
    CBK_ActionScriptCompiler compiler;
    const std::wstring script = Script(bytes);
    compiler.SetScript(script.c_str());
    for (auto _ : state) {
        std::unique_ptr<ravuz::CBK_SwfTag> tag(compiler.Compile(6));
        if (!tag)
            state.SkipWithError("the script did not compile");
        benchmark::DoNotOptimize(tag.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.size()));
}

void Parse(benchmark::State& state, size_t bytes) {
    const std::wstring wide = Script(bytes);
    const std::string script(wide.begin(), wide.end());
    for (auto _ : state) {
        translate::ASParser* parser = Parser();
        translate::ASNode* tree = parser->parse(script.c_str());
        if (!tree)
            state.SkipWithError("the script did not parse");
        else
            tree->destroy();
        parser->destroy();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.size()));
}

// The driver's steps one after the other, timed apart: UTF-8 text, preprocess and parse,
// code generation, read-back into a DoAction tag, and the freeing of tree, tag and parser
// (each apart).
void Stages(benchmark::State& state, size_t bytes) {
    using Clock = std::chrono::steady_clock;
    const std::wstring script = Script(bytes);
    double convert = 0, parse = 0, generate = 0, readBack = 0, releaseTree = 0, releaseTag = 0,
           releaseParser = 0;
    auto lap = [](Clock::time_point& from, double& into) {
        const Clock::time_point now = Clock::now();
        into += std::chrono::duration<double, std::milli>(now - from).count();
        from = now;
    };
    for (auto _ : state) {
        Clock::time_point at = Clock::now();
        const std::string text = BK_ScriptText(script);
        lap(at, convert);
        translate::ASParser* parser = Parser();
        translate::ASNode* tree = parser->parse(text.c_str());
        lap(at, parse);
        if (!tree) {
            state.SkipWithError("the script did not parse");
            parser->destroy();
            break;
        }
        std::vector<uint8_t> code(static_cast<size_t>(parser->compile(tree, 6)));
        parser->getCode(code.data());
        lap(at, generate);
        std::unique_ptr<ravuz::CBK_SwfTag> tag(BK_ReadActionTag(BK_WrapActionCode(code, 6)));
        benchmark::DoNotOptimize(tag.get());
        lap(at, readBack);
        tree->destroy();
        lap(at, releaseTree);
        tag.reset();
        lap(at, releaseTag);
        parser->destroy();
        lap(at, releaseParser);
    }
    const auto perCompile = benchmark::Counter::kAvgIterations;
    state.counters["convert_ms"] = benchmark::Counter(convert, perCompile);
    state.counters["parse_ms"] = benchmark::Counter(parse, perCompile);
    state.counters["codegen_ms"] = benchmark::Counter(generate, perCompile);
    state.counters["readback_ms"] = benchmark::Counter(readBack, perCompile);
    state.counters["free_tree_ms"] = benchmark::Counter(releaseTree, perCompile);
    state.counters["free_tag_ms"] = benchmark::Counter(releaseTag, perCompile);
    state.counters["free_parser_ms"] = benchmark::Counter(releaseParser, perCompile);
}

#ifdef STRAVEL_HAVE_MING
// Ming keeps its compiler's state in globals and reports through callbacks that by default
// print and end the process; these print and count instead.
int gMingMessages = 0;

void OnMingMessage(const char* format, ...) {
    ++gMingMessages;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

// One compile by the peer, script text in and SWF 6 action bytes out, as a caller of its
// library does it; false when it refused the script or said anything about it.
bool MingCompile(const std::string& text) {
    static const bool hooked = [] {
        Ming_setErrorFunction(OnMingMessage);
        Ming_setWarnFunction(OnMingMessage);
        return true;
    }();
    benchmark::DoNotOptimize(hooked);
    const int messages = gMingMessages;
    SWFAction action = newSWFAction(text.c_str());
    int length = 0;
    const bool compiled = SWFAction_compile(action, 6, &length) == 0 && length > 1;
    benchmark::DoNotOptimize(SWFAction_getByteCode(action, &length));
    destroySWFAction(action);
    return compiled && gMingMessages == messages;
}
#endif

// Our compile and Ming's, round by round on the same script text, on the thread's CPU time.
void CompileBesideMing(benchmark::State& state, size_t bytes) {
    CBK_ActionScriptCompiler compiler;
    const std::wstring script = Script(bytes);
    compiler.SetScript(script.c_str());
    bench::SideBySide rounds(state, "ming", "ms");
#ifdef STRAVEL_HAVE_MING
    const std::string text(script.begin(), script.end());
    if (!MingCompile(text)) {
        state.SkipWithError("Ming refused the script");
        return;
    }
#else
    state.SetLabel("peer missing: configure with -DSTRAVEL_MING_ROOT=<folder with Ming>");
#endif
    for (auto _ : state) {
        rounds.Ours([&] {
            std::unique_ptr<ravuz::CBK_SwfTag> tag(compiler.Compile(6));
            if (!tag)
                state.SkipWithError("the script did not compile");
            benchmark::DoNotOptimize(tag.get());
        });
#ifdef STRAVEL_HAVE_MING
        rounds.Peer([&] {
            if (!MingCompile(text))
                state.SkipWithError("Ming refused the script");
        });
#endif
    }
    rounds.Report();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.size()));
}

// Long chains beside the same work as short statements: a 5,000-term expression and an if
// with 3,000 else-ifs, against 5,000 statements of one operator each and 3,000 separate ifs.
// The speed-up is flat / chains: near 1 when a chain costs what its links cost apart.
std::wstring ChainScript(bool chained) {
    constexpr int kTerms = 5000;
    constexpr int kBranches = 3000;
    std::string text = "x = 1";
    for (int i = 2; i <= kTerms; ++i)
        text += (chained ? (i % 2 ? " + " : " - ") : (i % 2 ? ";\nx = x + " : ";\nx = x - ")) +
                std::to_string(i);
    text += ";\n";
    for (int i = 0; i < kBranches; ++i)
        text += std::string(i && chained ? "else " : "") + "if (x == " + std::to_string(i) +
                ") r = " + std::to_string(i) + ";\n";
    return std::wstring(text.begin(), text.end());
}

void BM_CompileChainsBesideStatements(benchmark::State& state) {
    CBK_ActionScriptCompiler chains, statements;
    const std::wstring chainText = ChainScript(true), statementText = ChainScript(false);
    chains.SetScript(chainText.c_str());
    statements.SetScript(statementText.c_str());
    bench::SideBySide rounds(state, "flat", "ms");
    auto compile = [&](CBK_ActionScriptCompiler& compiler) {
        std::unique_ptr<ravuz::CBK_SwfTag> tag(compiler.Compile(6));
        if (!tag)
            state.SkipWithError("a script did not compile");
        benchmark::DoNotOptimize(tag.get());
    };
    for (auto _ : state) {
        rounds.Ours([&] { compile(chains); });
        rounds.Peer([&] { compile(statements); });
    }
    rounds.Report();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * chainText.size()));
}

void BM_Compile10K(benchmark::State& state) {
    Compile(state, 10 * 1024);
}
void BM_Parse10K(benchmark::State& state) {
    Parse(state, 10 * 1024);
}
void BM_Compile1M(benchmark::State& state) {
    Compile(state, 1024 * 1024);
}
void BM_Parse1M(benchmark::State& state) {
    Parse(state, 1024 * 1024);
}

void BM_CompileBesideMing10K(benchmark::State& state) {
    CompileBesideMing(state, 10 * 1024);
}
void BM_CompileBesideMing1M(benchmark::State& state) {
    CompileBesideMing(state, 1024 * 1024);
}

void BM_Stages10K(benchmark::State& state) {
    Stages(state, 10 * 1024);
}
void BM_Stages1M(benchmark::State& state) {
    Stages(state, 1024 * 1024);
}

BENCHMARK(BM_Compile10K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse10K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileBesideMing10K)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_CompileBesideMing1M)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_CompileChainsBesideStatements)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Stages10K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stages1M)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
