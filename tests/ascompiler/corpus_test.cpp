// Scripts in the style of real movies: every one parses, and broken copies fail at the place
// of the fault.
#include "ascompiler/service/as_parser.h"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ServicePtr = std::unique_ptr<translate::ASParser, translate::Destroyer>;
using TreePtr = std::unique_ptr<translate::ASNode, translate::Destroyer>;

// __FILE__ is relative to the build folder, which holds the tests folder of the executable.
std::filesystem::path CorpusFolder() {
    std::filesystem::path source(__FILE__);
    if (source.is_relative())
        source = std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / source;
    return std::filesystem::weakly_canonical(source).parent_path() / "corpus";
}

const std::filesystem::path kCorpus = CorpusFolder();

std::vector<std::filesystem::path> CorpusScripts() {
    std::vector<std::filesystem::path> scripts;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus))
        if (entry.path().extension() == ".as")
            scripts.push_back(entry.path());
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// A line after which a new statement may stand: the end of a statement or block that is not
// in a switched-off branch.
size_t StatementBoundary(const std::vector<std::string>& lines) {
    std::vector<size_t> candidates;
    bool off = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.find("#else") != std::string::npos)
            off = true;
        if (line.find("#endif") != std::string::npos)
            off = false;
        if (!off && !line.empty() && std::string(";}").find(line.back()) != std::string::npos)
            candidates.push_back(i);
    }
    return candidates.empty() ? 0 : candidates[candidates.size() / 2];
}

struct Outcome {
    bool parsed;
    int error;
    std::string file;
    int line;
    int column;
    std::string lineText;
};

Outcome Parse(const std::string& text) {
    ServicePtr service(Parser());
    service->addPath(kCorpus.c_str());
    TreePtr tree(service->parse(text.c_str()));
    return {tree != nullptr,          service->getError(),        service->getFilename(),
            service->getLineNumber(), service->getColumnNumber(), service->getLine()};
}

} // namespace

TEST(CorpusTest, EveryScriptParses) {
    const auto scripts = CorpusScripts();
    ASSERT_GE(scripts.size(), 100u);
    for (const auto& path : scripts) {
        const std::string text = stravel::testing::ReadFileBytes(path);
        ServicePtr service(Parser());
        service->addPath(kCorpus.c_str());
        TreePtr tree(service->parse(text.c_str()));
        ASSERT_NE(tree, nullptr) << path << ": " << service->getMessage() << " in "
                                 << service->getFilename() << " line " << service->getLineNumber();
        const std::string name = path.filename().string();
        const auto expected = name.starts_with("button") ? translate::ASNode::Button
                              : name.starts_with("clip") ? translate::ASNode::MovieClip
                                                         : translate::ASNode::Array;
        EXPECT_EQ(tree->getType(), expected) << path;
        EXPECT_GT(tree->count(), 0) << path;
    }
}

TEST(CorpusTest, StrayOperatorFailsAtItsPlace) {
    for (const auto& path : CorpusScripts()) {
        std::vector<std::string> lines = Lines(stravel::testing::ReadFileBytes(path));
        const size_t at = StatementBoundary(lines) + 1;
        lines.insert(lines.begin() + static_cast<long>(at), "oops = 1 * * 2;");
        const Outcome outcome = Parse(Join(lines));
        EXPECT_FALSE(outcome.parsed) << path;
        EXPECT_EQ(outcome.error, 4) << path;
        EXPECT_EQ(outcome.file, "Main") << path;
        EXPECT_EQ(outcome.line, static_cast<int>(at) + 1) << path;
        EXPECT_EQ(outcome.column, 12) << path;
        EXPECT_EQ(outcome.lineText, "oops = 1 * * 2;") << path;
    }
}

TEST(CorpusTest, UnterminatedStringFailsAtItsPlace) {
    for (const auto& path : CorpusScripts()) {
        std::vector<std::string> lines = Lines(stravel::testing::ReadFileBytes(path));
        const size_t at = StatementBoundary(lines) + 1;
        lines.insert(lines.begin() + static_cast<long>(at), "msg = \"open;");
        const Outcome outcome = Parse(Join(lines));
        EXPECT_FALSE(outcome.parsed) << path;
        EXPECT_EQ(outcome.error, 2) << path;
        EXPECT_EQ(outcome.file, "Main") << path;
        EXPECT_EQ(outcome.line, static_cast<int>(at) + 1) << path;
        EXPECT_EQ(outcome.column, 13) << path;
    }
}

TEST(CorpusTest, MissingBraceFailsBetweenTheBraceAndTheEnd) {
    for (const auto& path : CorpusScripts()) {
        std::string text = stravel::testing::ReadFileBytes(path);
        const size_t brace = text.rfind('}');
        ASSERT_NE(brace, std::string::npos) << path;
        const int braceLine = 1 + static_cast<int>(std::count(
                                      text.begin(), text.begin() + static_cast<long>(brace), '\n'));
        text.erase(brace, 1);
        const int lastLine = static_cast<int>(Lines(text).size());
        const Outcome outcome = Parse(text);
        EXPECT_FALSE(outcome.parsed) << path;
        EXPECT_EQ(outcome.error, 4) << path;
        EXPECT_EQ(outcome.file, "Main") << path;
        EXPECT_GE(outcome.line, braceLine) << path;
        EXPECT_LE(outcome.line, lastLine) << path;
        EXPECT_GT(outcome.column, 0) << path;
    }
}
