#include "ascompiler/service/as_parser_impl.h"

#include "Preprocessor.hpp"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <antlr/ANTLRException.hpp>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using translate::ASParserImpl;

namespace {

struct Entry {
    std::string file;
    int line;
    std::string text;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "(" << e.file << ", " << e.line << ", \"" << e.text << "\")";
}

class PreprocessorTest : public ::testing::Test {
protected:
    std::vector<Entry> Run(const std::string& text) {
        tree.reset(service->parse(text.c_str()));
        std::vector<Entry> entries;
        for (size_t i = 0; i < service->lineFiles().size(); ++i)
            entries.push_back(
                {service->lineFiles()[i], service->lineNumbers()[i], service->lineTexts()[i]});
        return entries;
    }

    std::unique_ptr<ASParserImpl, translate::Destroyer> service{new ASParserImpl()};
    std::unique_ptr<translate::ASNode, translate::Destroyer> tree;
};

} // namespace

TEST_F(PreprocessorTest, PlainLinesPassUnchanged) {
    EXPECT_EQ(Run("a = 1;\nb = 2;"),
              (std::vector<Entry>{{"Main", 1, "a = 1;"}, {"Main", 2, "b = 2;"}}));
    EXPECT_EQ(service->preprocessedText(), "a = 1;\nb = 2;\n");
    EXPECT_NE(tree, nullptr);
}

// Lines without directives come out as the scanner's own tokens put together (a line that is
// one comment as an empty line), and those the scanner refuses still fail, however the
// service takes them.
TEST_F(PreprocessorTest, LinesMatchTheScannersTokens) {
    const std::string alphabet = "abefntuxX_$01789. \t()[]{};,?:=+-*%<>&|^!~\"'\\@\x80\x01";
    const char* const endings[] = {"\n", "\r\n", "\r"};
    std::mt19937 random(14);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int line = random() % 4; line >= 0; --line) {
            if (random() % 8 == 0)
                text += random() % 4 ? "// c" : "//\x01";
            for (int n = static_cast<int>(random() % 12); n > 0; --n)
                text += alphabet[random() % alphabet.size()];
            text += endings[random() % 3];
        }
        std::vector<std::string> expected{""};
        try {
            std::istringstream input(text);
            Preprocessor scanner(input);
            for (antlr::RefToken token = scanner.nextToken();
                 token->getType() != antlr::Token::EOF_TYPE; token = scanner.nextToken()) {
                if (token->getType() == PreprocessorTokenTypes::LINE_END ||
                    token->getType() == PreprocessorTokenTypes::SL_COMMENT)
                    expected.emplace_back();
                else
                    expected.back() += token->getText();
            }
            expected.pop_back();
        } catch (antlr::ANTLRException&) {
            expected = {"error"};
        }
        std::vector<std::string> actual;
        try {
            std::unique_ptr<ASParserImpl, translate::Destroyer> fresh(new ASParserImpl());
            std::istringstream input(text);
            fresh->processDirectives(input, "Main");
            actual = fresh->lineTexts();
        } catch (antlr::ANTLRException&) {
            actual = {"error"};
        }
        ASSERT_EQ(actual, expected) << text;
    }
}

TEST_F(PreprocessorTest, Conditionals) {
    EXPECT_EQ(Run("#ifdef X\nx = 1;\n#endif\n"),
              (std::vector<Entry>{{"Main", 1, " "}, {"Main", 2, ""}, {"Main", 3, ""}}));
    Run("#define X\n#ifdef X\nx = 1;\n#endif\n");
    EXPECT_EQ(service->lineTexts()[2], "x = 1;");
    Run("#define X 5\n#ifdef X\nx = 1;\n#endif\n");
    EXPECT_EQ(service->lineTexts()[2], "x = 1;");
    Run("#ifndef Y\na();\n#else\nb();\n#endif\n");
    EXPECT_EQ(service->preprocessedText(), " \na();\n\n\n\n");
    Run("#define Y\n#ifndef Y\na();\n#else\nb();\n#endif\n");
    EXPECT_EQ(service->lineTexts()[4], "b();");
    EXPECT_EQ(service->lineTexts()[2], "");
    // Definitions belong to one parse.
    Run("#ifdef Y\na();\n#endif\n");
    EXPECT_EQ(service->lineTexts()[1], "");
}

TEST_F(PreprocessorTest, CommentsKeepTheLineTable) {
    EXPECT_EQ(Run("a = 1; // note\nb = 2;\n"),
              (std::vector<Entry>{{"Main", 1, "a = 1; "}, {"Main", 2, "b = 2;"}}));
    EXPECT_EQ(Run("return/* a\nb */x;\n"),
              (std::vector<Entry>{{"Main", 1, ""}, {"Main", 2, "return x;"}}));
    EXPECT_EQ(Run("/* one\ntwo */ x = \"#include\";\ny();\n"),
              (std::vector<Entry>{
                  {"Main", 1, ""}, {"Main", 2, " x = \"#include\";"}, {"Main", 3, "y();"}}));
}

TEST_F(PreprocessorTest, DefineWithANumberAndNoNameFails) {
    EXPECT_EQ(Run("x = 1;\n#define 5\n").size(), 1u);
    EXPECT_EQ(tree, nullptr);
    EXPECT_EQ(service->getError(), 4);
    EXPECT_NE(std::string(service->getMessage()).find("Unsupported value for #define: 5"),
              std::string::npos);
    EXPECT_STREQ(service->getFilename(), "Main");
    EXPECT_EQ(service->getLineNumber(), 2);
    EXPECT_EQ(service->getColumnNumber(), 9);
    EXPECT_STREQ(service->getLine(), "#define 5");
}

TEST_F(PreprocessorTest, IncludesFromTwoFoldersAndSubfolders) {
    stravel::testing::TempDir first, second;
    std::filesystem::create_directories(first / "sub");
    stravel::testing::WriteFileBytes(first / "sub" / "lib.as", "function f() {\n  x(;\n}\n");
    stravel::testing::WriteFileBytes(second / "other.as", "y = 2;\n");
    service->addPath(first.Path().c_str());
    service->addPath(second.Path().c_str());

    EXPECT_EQ(Run("#include \"other.as\"\nz = 3;\n"),
              (std::vector<Entry>{{second.Path().string() + "/other.as", 1, "y = 2;"},
                                  {"Main", 1, " "},
                                  {"Main", 2, "z = 3;"}}));
    EXPECT_NE(tree, nullptr);

    // A syntax error inside an included file is reported against that file.
    Run("a = 1;\n#include \"sub\\\\lib.as\"\n"); // an escaped backslash
    EXPECT_EQ(tree, nullptr);
    EXPECT_EQ(service->getError(), 4);
    EXPECT_EQ(service->getFilename(), first.Path().string() + "/sub//lib.as");
    EXPECT_EQ(service->getLineNumber(), 2);
    EXPECT_EQ(service->getColumnNumber(), 5);
    EXPECT_STREQ(service->getLine(), "  x(;");
}

TEST_F(PreprocessorTest, MissingIncludeReportsItsOwnPlace) {
    Run("a = 1;\n  #include \"nowhere.as\"\n");
    EXPECT_EQ(tree, nullptr);
    EXPECT_EQ(service->getError(), 4);
    EXPECT_NE(std::string(service->getMessage()).find("Could not find file: \"nowhere.as\""),
              std::string::npos);
    EXPECT_STREQ(service->getFilename(), "Main");
    EXPECT_EQ(service->getLineNumber(), 2);
    EXPECT_EQ(service->getColumnNumber(), 12);
    EXPECT_STREQ(service->getLine(), "  #include \"nowhere.as\"");
}

TEST_F(PreprocessorTest, MissingIncludeInsideAnIncludedFileNamesThatFile) {
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "outer.as", "a = 1;\nb = 2;\n#include \"gone.as\"\n");
    service->addPath(dir.Path().c_str());
    Run("x = 1;\n#include \"outer.as\"\n");
    EXPECT_EQ(tree, nullptr);
    EXPECT_EQ(service->getError(), 4);
    EXPECT_EQ(service->getFilename(), dir.Path().string() + "/outer.as");
    EXPECT_EQ(service->getLineNumber(), 3);
    EXPECT_EQ(service->getColumnNumber(), 10);
    EXPECT_STREQ(service->getLine(), "#include \"gone.as\"");
}

TEST_F(PreprocessorTest, FoldersAndDevicesAreNotIncluded) {
    stravel::testing::TempDir dir;
    std::filesystem::create_directories(dir / "folder.as");
    service->addPath(dir.Path().c_str());
    service->addPath("/dev");
    EXPECT_EQ(service->pathToFile("\"folder.as\""), "");
    EXPECT_EQ(service->pathToFile("\"zero\""), "");
    Run("#include \"zero\"\n");
    EXPECT_EQ(tree, nullptr);
    EXPECT_EQ(service->getError(), 4);
}

TEST_F(PreprocessorTest, SelfIncludingFileIsAnError) {
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "loop.as", "a = 1;\n#include \"loop.as\"\n");
    stravel::testing::WriteFileBytes(dir / "ping.as", "#include \"pong.as\"\n");
    stravel::testing::WriteFileBytes(dir / "pong.as", "#include \"ping.as\"\n");
    service->addPath(dir.Path().c_str());
    for (const char* script : {"#include \"loop.as\"\n", "#include \"ping.as\"\n"}) {
        Run(script);
        EXPECT_EQ(tree, nullptr);
        EXPECT_EQ(service->getError(), 4) << script;
        EXPECT_GT(service->getLineNumber(), 0);
    }
    EXPECT_EQ(service->getFilename(), dir.Path().string() + "/pong.as");
}

TEST_F(PreprocessorTest, IncludesThatMultiplyAreCapped) {
    // Each level includes the next one twice: 2^12 copies of the last file unless capped.
    stravel::testing::TempDir dir;
    for (int level = 0; level < 12; ++level) {
        const std::string next = "\"level" + std::to_string(level + 1) + ".as\"";
        stravel::testing::WriteFileBytes(dir / ("level" + std::to_string(level) + ".as"),
                                         "#include " + next + "\n#include " + next + "\n");
    }
    stravel::testing::WriteFileBytes(dir / "level12.as", "x = 1;\n");
    service->addPath(dir.Path().c_str());
    Run("#include \"level0.as\"\n");
    EXPECT_EQ(tree, nullptr);
    EXPECT_EQ(service->getError(), 4);
    EXPECT_NE(std::string(service->getMessage()).find("Too many #include files"),
              std::string::npos);
    EXPECT_LT(service->lineFiles().size(), 4096u);
}

// Lines that start with a /* comment, some spanning lines, come out as the scanner's tokens
// put together: an empty line for the comment at its first line, the rest of the line where it
// closes, with the source line numbers the comment's line ends give; a comment after a token
// becomes a blank, and a // comment ends its line.
TEST_F(PreprocessorTest, LinesAfterCommentsMatchTheScannersTokens) {
    const char* const pieces[] = {"/* a */",  "/**/",           "/* * / */",       "/* x\r\ny */",
                                  "/* \r */", "/*\n\n*/",       "/* \x01 */",      "/* open",
                                  "x = 1;",   "s = \"\\q\";",   "y = a.b(2, .5);", " ",
                                  "// c",     "/* c */ /* d */"};
    const char* const endings[] = {"\n", "\r\n", "\r"};
    std::mt19937 random(15);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int line = random() % 6; line >= 0; --line) {
            for (int n = static_cast<int>(random() % 3); n > 0; --n)
                text += pieces[random() % std::size(pieces)];
            text += endings[random() % 3];
        }
        // The scanner's tokens, written out as the preprocessor's rules say.
        std::vector<std::pair<int, std::string>> expected;
        try {
            std::istringstream input(text);
            Preprocessor scanner(input);
            std::string pending;
            int counter = 0;
            for (antlr::RefToken token = scanner.nextToken();
                 token->getType() != antlr::Token::EOF_TYPE; token = scanner.nextToken()) {
                const int type = token->getType();
                if (type == PreprocessorTokenTypes::ML_COMMENT) {
                    while (counter++ < token->getLine())
                        expected.emplace_back(counter, "");
                    if (!pending.empty())
                        pending += ' ';
                } else if (type == PreprocessorTokenTypes::LINE_END ||
                           type == PreprocessorTokenTypes::SL_COMMENT) {
                    counter = token->getLine();
                    expected.emplace_back(counter, pending);
                    pending.clear();
                } else {
                    pending += token->getText();
                }
            }
            if (!pending.empty())
                expected.emplace_back(counter + 1, pending);
        } catch (antlr::ANTLRException&) {
            expected = {{0, "error"}};
        }
        std::vector<std::pair<int, std::string>> actual;
        try {
            std::unique_ptr<ASParserImpl, translate::Destroyer> fresh(new ASParserImpl());
            std::istringstream input(text);
            fresh->processDirectives(input, "Main");
            for (size_t i = 0; i < fresh->lineNumbers().size(); ++i)
                actual.emplace_back(fresh->lineNumbers()[i], fresh->lineTexts()[i]);
        } catch (antlr::ANTLRException&) {
            actual = {{0, "error"}};
        }
        ASSERT_EQ(actual, expected) << text;
    }
}
