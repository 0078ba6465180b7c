#include "ascompiler/service/as_parser_impl.h"
#include "tests/ascompiler/tree_dump.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace {

using ServicePtr = std::unique_ptr<translate::ASParser, translate::Destroyer>;
using TreePtr = std::unique_ptr<translate::ASNode, translate::Destroyer>;

} // namespace

TEST(ASParserTest, EmptyTextGivesNoTreeAndNoError) {
    ServicePtr service(Parser());
    EXPECT_EQ(service->parse(nullptr), nullptr);
    EXPECT_EQ(service->parse(""), nullptr);
    EXPECT_EQ(service->getError(), 0);
}

TEST(ASParserTest, SyntaxErrorsNameTheirLine) {
    ServicePtr service(Parser());
    EXPECT_EQ(service->parse("a = 1;\n\tb = 2 }\n"), nullptr);
    EXPECT_EQ(service->getError(), 4);
    EXPECT_STREQ(service->getFilename(), "Main");
    EXPECT_EQ(service->getLineNumber(), 2);
    EXPECT_EQ(service->getColumnNumber(), 15);
    EXPECT_STREQ(service->getLine(), "\tb = 2 }");
    EXPECT_NE(std::string(service->getMessage()).find("2:15"), std::string::npos);

    // Text after the statements is refused at its first token, not dropped.
    EXPECT_EQ(service->parse("trace(1);\n  } trace(2);\n"), nullptr);
    EXPECT_EQ(service->getError(), 4);
    EXPECT_EQ(service->getLineNumber(), 2);
    EXPECT_EQ(service->getColumnNumber(), 3);
    EXPECT_NE(std::string(service->getMessage()).find("}"), std::string::npos);
}

TEST(ASParserTest, DeepNestingIsReportedAsSuch) {
    ServicePtr service(Parser());
    const std::pair<const char*, const char*> levels[] = {
        {"if (a) ", ""}, {"if (a) { ", "} "}, {"while (a) { if (b) ", "} "}};
    for (const auto& [level, close] : levels) {
        std::string script;
        for (int i = 0; i < 1300; ++i)
            script += level;
        script += "b(); ";
        for (int i = 0; i < 1300; ++i)
            script += close;
        EXPECT_EQ(service->parse(script.c_str()), nullptr);
        EXPECT_EQ(service->getError(), 4);
        EXPECT_NE(std::string(service->getMessage()).find("nests too deeply"), std::string::npos)
            << level << service->getMessage();
        EXPECT_EQ(service->getLineNumber(), 1);
        EXPECT_GT(service->getColumnNumber(), 1000);
    }
}

TEST(ASParserTest, LexicalErrorsAreStreamFailuresWithTheirPlace) {
    ServicePtr service(Parser());
    // The scanner of the directives sees the unterminated string first.
    EXPECT_EQ(service->parse("x = 1;\ny = \"open;\n"), nullptr);
    EXPECT_EQ(service->getError(), 2);
    EXPECT_STREQ(service->getFilename(), "Main");
    EXPECT_EQ(service->getLineNumber(), 2);
    EXPECT_STREQ(service->getLine(), "y = \"open;");
    EXPECT_STRNE(service->getMessage(), "");
}

TEST(ASParserTest, ALaterParseStartsClean) {
    ServicePtr service(Parser());
    EXPECT_EQ(service->parse("x = ;"), nullptr);
    EXPECT_EQ(service->getError(), 4);
    TreePtr tree(service->parse("y = 2;"));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(service->getError(), 0);
    EXPECT_STREQ(service->getMessage(), "");
    EXPECT_EQ(stravel::testing::DumpTree(tree.get()), "Array [= [Identifier = y, Number = 2]]");
}

TEST(ASParserTest, CompileBelowVersionFiveGivesNoCode) {
    ServicePtr service(Parser());
    TreePtr tree(service->parse("x = 1;"));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(service->compile(tree.get(), 4), 0);
    EXPECT_EQ(service->getCode(nullptr), 0);
}

TEST(ASParserTest, DiscardValuesMarksStatementsThroughLists) {
    std::unique_ptr<translate::ASParserImpl, translate::Destroyer> service(
        new translate::ASParserImpl());
    TreePtr tree(service->parse("{ a = 1; { b(); } c ? d : e; }"));
    ASSERT_NE(tree, nullptr);
    translate::ASNode* outer = tree->get(0);
    ASSERT_EQ(outer->getType(), translate::ASNode::List);
    service->discardValues(outer);
    EXPECT_EQ(outer->getStatus(), 1);
    EXPECT_EQ(outer->get(0)->getStatus(), 1);
    EXPECT_EQ(outer->get(1)->getStatus(), 1);
    EXPECT_EQ(outer->get(1)->get(0)->getStatus(), 1); // inside the nested List
    EXPECT_EQ(outer->get(2)->getStatus(), 1);
    EXPECT_EQ(outer->get(0)->get(0)->getStatus(), 0); // operands are not statements
    EXPECT_EQ(outer->get(2)->get(0)->getStatus(), 0);
    EXPECT_EQ(tree->getStatus(), 0);
}
