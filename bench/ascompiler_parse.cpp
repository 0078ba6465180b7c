// Script text through the compiler's front end: the preprocessor, the lexer and the whole
// parse, each on the same 100 KB script, in MB/s of script text; and the whole parse of a
// 10 KB script.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "ActionScriptLexer.hpp"
#include "ascompiler/service/as_parser_impl.h"

namespace {

// Player-skin style code: handlers, prototypes, loops, literals and comments.
const char* const kChunk = R"(// seek bar of the player
onClipEvent (enterFrame) {
    var loaded = _root.getBytesLoaded(), total = _root.getBytesTotal();
    if (total > 0 && loaded >= total) {
        bar_mc._xscale = Math.round(loaded / total * 100);
    } else {
        gotoAndPlay(_currentframe - 1);
    }
    for (var i = 0; i < 8; i++) {
        this["dot" + i]._alpha = (i == frame % 8) ? 100 : 30;
    }
}
/* item model */
Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]\n";
};
settings = {width: 320, height: 240, title: 'Movie', loop: true, rate: 0x1F};
flags = (a & 0xFF) | (b << 8) ^ ~c;
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
)";

using ServicePtr = std::unique_ptr<translate::ASParserImpl, translate::Destroyer>;

std::string ScriptOf(size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += kChunk;
    return text;
}

const std::string& Script() {
    static const std::string script = ScriptOf(100 * 1024);
    return script;
}

void BM_Preprocess(benchmark::State& state) {
    const std::string& script = Script();
    for (auto _ : state) {
        ServicePtr service(new translate::ASParserImpl());
        std::istringstream input(script);
        service->processDirectives(input, "Main");
        benchmark::DoNotOptimize(service->preprocessedText().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.size()));
}

void BM_Lex(benchmark::State& state) {
    ServicePtr service(new translate::ASParserImpl());
    std::istringstream input(Script());
    service->processDirectives(input, "Main");
    const std::string& text = service->preprocessedText();
    for (auto _ : state) {
        std::istringstream unused;
        ActionScriptLexer lexer(unused);
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        lexer.scanMemory(bytes, bytes + text.size());
        int tokens = 0;
        while (lexer.nextToken()->getType() != antlr::Token::EOF_TYPE)
            ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Script().size()));
}

// Parses the script once an iteration and frees its tree.
void ParseEach(benchmark::State& state, const std::string& script) {
    translate::ASParser* service = Parser();
    for (auto _ : state) {
        translate::ASNode* tree = service->parse(script.c_str());
        if (!tree) {
            state.SkipWithError(service->getMessage());
            break;
        }
        tree->destroy();
    }
    service->destroy();
}

// The whole front end as the compiler runs it: preprocess, lex, parse, free the tree.
void BM_Parse(benchmark::State& state) {
    const std::string& script = Script();
    ParseEach(state, script);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.size()));
}

// A script of the size the compiler meets in a movie, about 10 KB.
void BM_Parse10K(benchmark::State& state) {
    const std::string script = ScriptOf(10 * 1024);
    ParseEach(state, script);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.size()));
}

// 25 ifs, each block's first statement the next if: trial parses of blocks nest 25 deep.
void BM_NestedIfs(benchmark::State& state) {
    std::string script;
    for (int i = 0; i < 25; ++i)
        script += "if (a) { ";
    script += "x = 1; ";
    for (int i = 0; i < 25; ++i)
        script += "} ";
    ParseEach(state, script);
}

} // namespace

BENCHMARK(BM_NestedIfs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Preprocess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse10K)->Unit(benchmark::kMicrosecond);
