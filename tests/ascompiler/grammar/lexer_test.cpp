#include "ActionScriptLexer.hpp"
#include "ActionScriptParser.hpp"

#include <antlr/TokenStreamException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Lexed {
    int type;
    std::string text;
    int line;
    int column;
};

// Scans the text in place, as the compiler service does.
std::vector<Lexed> Lex(const std::string& text) {
    std::istringstream unused;
    ActionScriptLexer lexer(unused);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    lexer.scanMemory(bytes, bytes + text.size());
    std::vector<Lexed> tokens;
    for (;;) {
        antlr::RefToken token = lexer.nextToken();
        if (token->getType() == antlr::Token::EOF_TYPE)
            return tokens;
        tokens.push_back(
            {token->getType(), token->getText(), token->getLine(), token->getColumn()});
    }
}

std::vector<int> Types(const std::string& text) {
    std::vector<int> types;
    for (const Lexed& token : Lex(text))
        types.push_back(token.type);
    return types;
}

std::vector<std::string> Texts(const std::string& text) {
    std::vector<std::string> texts;
    for (const Lexed& token : Lex(text))
        texts.push_back(token.text);
    return texts;
}

// The tokens as the compiler service reads them, blanks stepped over, with names and
// one-character punctuation made without the rules when `plain`; then the error, if any.
std::vector<std::string> Scan(const std::string& text, bool plain) {
    std::istringstream unused;
    ActionScriptLexer lexer(unused);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    lexer.scanMemory(bytes, bytes + text.size());
    lexer.stepOverBlanks(true);
    std::vector<std::string> tokens;
    try {
        for (int type = 0; type != antlr::Token::EOF_TYPE;) {
            antlr::RefToken token;
            if (plain)
                token = lexer.nextPlainToken(ActionScriptParser::plainTokens());
            if (!token)
                token = lexer.nextToken();
            type = token->getType();
            tokens.push_back(std::to_string(type) + " " + token->getText() + " " +
                             std::to_string(token->getLine()) + ":" +
                             std::to_string(token->getColumn()));
        }
    } catch (antlr::TokenStreamException& e) {
        tokens.push_back(e.toString());
    }
    return tokens;
}

bool Fails(const std::string& text) {
    try {
        Lex(text);
    } catch (antlr::TokenStreamException&) {
        return true;
    }
    return false;
}

} // namespace

TEST(ActionScriptLexerTest, TokenNamesMatchTheSharedNumbering) {
    const char* const expected[] = {"<0>",
                                    "EOF",
                                    "<2>",
                                    "NULL_TREE_LOOKAHEAD",
                                    "\"{\"",
                                    "\"function\"",
                                    "IDENTIFIER",
                                    "\"(\"",
                                    "\")\"",
                                    "\";\"",
                                    "\"}\"",
                                    "\"if\"",
                                    "\"else\"",
                                    "\"with\"",
                                    "\"while\"",
                                    "\"do\"",
                                    "\"for\"",
                                    "\"in\"",
                                    "\"onClipEvent\"",
                                    "\",\"",
                                    "\"on\"",
                                    "\"keyPress\"",
                                    "\"break\"",
                                    "\"continue\"",
                                    "\"return\"",
                                    "\"var\"",
                                    "ASSIGN",
                                    "ASSIGN_ADD",
                                    "ASSIGN_SUB",
                                    "ASSIGN_MUL",
                                    "ASSIGN_DIV",
                                    "ASSIGN_MOD",
                                    "ASSIGN_LSL",
                                    "ASSIGN_ASR",
                                    "ASSIGN_LSR",
                                    "ASSIGN_AND",
                                    "ASSIGN_OR",
                                    "ASSIGN_XOR",
                                    "\"?\"",
                                    "\":\"",
                                    "LOGICAL_OR",
                                    "LOGICAL_AND",
                                    "BIT_OR",
                                    "BIT_XOR",
                                    "BIT_AND",
                                    "EQ",
                                    "NE",
                                    "LTHAN",
                                    "GTHAN",
                                    "LTE",
                                    "GTE",
                                    "\"instanceof\"",
                                    "LSL",
                                    "LSR",
                                    "ASR",
                                    "PLUS",
                                    "MINUS",
                                    "MULTIPLY",
                                    "DIVIDE",
                                    "MOD",
                                    "INC",
                                    "DEC",
                                    "BIT_NOT",
                                    "LOGICAL_NOT",
                                    "\"delete\"",
                                    "\"[\"",
                                    "\"]\"",
                                    "\".\"",
                                    "\"new\"",
                                    "NUMERIC_LITERAL",
                                    "STRING_LITERAL",
                                    "QUOTED_LITERAL",
                                    "LPAREN",
                                    "RPAREN",
                                    "LCURLY",
                                    "RCURLY",
                                    "LBRACKET",
                                    "RBRACKET",
                                    "SEMI",
                                    "COMMA",
                                    "SELECT",
                                    "ALTERNATE",
                                    "WS",
                                    "ESC",
                                    "HEX_DIGIT",
                                    "EXPONENT"};
    std::istringstream in;
    ActionScriptLexer lexer(in);
    ActionScriptParser parser(lexer);
    ASSERT_EQ(parser.getNumTokens(), 86);
    for (int type = 0; type < 86; ++type)
        EXPECT_STREQ(parser.getTokenName(type), expected[type]) << type;
    EXPECT_EQ(parser.getTokenName(86), nullptr);
}

TEST(ActionScriptLexerTest, EveryTokenKindGetsItsNumber) {
    // Text and expected type, one token each; punctuation arrives as its literal's number.
    const std::pair<const char*, int> table[] = {
        {"{", 4},       {"function", 5}, {"name", 6},        {"(", 7},      {")", 8},
        {";", 9},       {"}", 10},       {"if", 11},         {"else", 12},  {"with", 13},
        {"while", 14},  {"do", 15},      {"for", 16},        {"in", 17},    {"onClipEvent", 18},
        {",", 19},      {"on", 20},      {"keyPress", 21},   {"break", 22}, {"continue", 23},
        {"return", 24}, {"var", 25},     {"=", 26},          {"+=", 27},    {"-=", 28},
        {"*=", 29},     {"/=", 30},      {"%=", 31},         {"<<=", 32},   {">>=", 33},
        {">>>=", 34},   {"&=", 35},      {"|=", 36},         {"^=", 37},    {"?", 38},
        {":", 39},      {"||", 40},      {"&&", 41},         {"|", 42},     {"^", 43},
        {"&", 44},      {"==", 45},      {"!=", 46},         {"<", 47},     {">", 48},
        {"<=", 49},     {">=", 50},      {"instanceof", 51}, {"<<", 52},    {">>>", 53},
        {">>", 54},     {"+", 55},       {"-", 56},          {"*", 57},     {"/", 58},
        {"%", 59},      {"++", 60},      {"--", 61},         {"~", 62},     {"!", 63},
        {"delete", 64}, {"[", 65},       {"]", 66},          {".", 67},     {"new", 68},
        {"1.5e3", 69},  {"\"s\"", 70},   {"'s'", 71},
    };
    for (const auto& [text, type] : table) {
        std::vector<Lexed> tokens = Lex(text);
        ASSERT_EQ(tokens.size(), 1u) << text;
        EXPECT_EQ(tokens[0].type, type) << text;
        EXPECT_EQ(tokens[0].text, text);
    }
}

TEST(ActionScriptLexerTest, OperatorsTakeTheLongestMatch) {
    EXPECT_EQ(Types("==="), (std::vector<int>{45, 26}));
    EXPECT_EQ(Types("!=="), (std::vector<int>{46, 26}));
    EXPECT_EQ(Types("+++"), (std::vector<int>{60, 55}));
    EXPECT_EQ(Types("<>"), (std::vector<int>{47, 48}));
    EXPECT_EQ(Types("//"), (std::vector<int>{58, 58}));
    EXPECT_EQ(Types("/*"), (std::vector<int>{58, 57}));
}

TEST(ActionScriptLexerTest, NumbersDotsAndNames) {
    EXPECT_EQ(Types("a.b"), (std::vector<int>{6, 67, 6}));
    EXPECT_EQ(Texts(".5"), (std::vector<std::string>{".5"}));
    EXPECT_EQ(Types(".e"), (std::vector<int>{67, 6}));
    EXPECT_EQ(Texts("1."), (std::vector<std::string>{"1."}));
    EXPECT_EQ(Texts("1..2"), (std::vector<std::string>{"1.", ".2"}));
    EXPECT_EQ(Types("1.a"), (std::vector<int>{69, 6}));
    EXPECT_EQ(Texts("1.e5"), (std::vector<std::string>{"1.e5"}));
    EXPECT_EQ(Texts("0x1f.5"), (std::vector<std::string>{"0x1f.5"}));
    EXPECT_EQ(Texts("0x1fg"), (std::vector<std::string>{"0x1f", "g"}));
    EXPECT_EQ(Texts("0x1e5"), (std::vector<std::string>{"0x1e5"}));
    EXPECT_EQ(Texts("0089"), (std::vector<std::string>{"0089"}));
    EXPECT_EQ(Texts("12ab"), (std::vector<std::string>{"12", "ab"}));
    EXPECT_TRUE(Fails("1ex"));
    EXPECT_TRUE(Fails("1.ex"));
    EXPECT_TRUE(Fails("0x"));
    EXPECT_TRUE(Fails("1e+"));
}

TEST(ActionScriptLexerTest, KeywordsAreCaseSensitive) {
    EXPECT_EQ(Types("if If onclipevent $ _ $1 _2"), (std::vector<int>{11, 6, 6, 6, 6, 6, 6}));
}

TEST(ActionScriptLexerTest, StringsKeepQuotesAndEscapes) {
    EXPECT_EQ(Texts("\"a\\tb\""), (std::vector<std::string>{"\"a\\tb\""}));
    EXPECT_EQ(Texts("\"\\uuu0041\""), (std::vector<std::string>{"\"\\uuu0041\""}));
    EXPECT_EQ(Texts("'\\08'"), (std::vector<std::string>{"'\\08'"}));
    EXPECT_EQ(Texts("\"it's\" '\"'"), (std::vector<std::string>{"\"it's\"", "'\"'"}));
    EXPECT_TRUE(Fails("\"\\x\""));
    EXPECT_TRUE(Fails("\"\\u12\""));
    EXPECT_TRUE(Fails("\"open\nx\""));
    EXPECT_TRUE(Fails("'open"));
    EXPECT_TRUE(Fails("a # b"));
    EXPECT_TRUE(Fails("a \x0b b"));
    EXPECT_TRUE(Fails("\xe9"));
}

// Tabs inside strings move the column to their stop; a character no rule takes stops a string
// where it stands.
TEST(ActionScriptLexerTest, ColumnsThroughStrings) {
    std::vector<Lexed> tokens = Lex("\"a\tb\" 'c\td' e");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].text, "\"a\tb\"");
    EXPECT_EQ(tokens[1].column, 12);
    EXPECT_EQ(tokens[2].column, 20);
    try {
        Lex("x = \"ab\x01\";");
        ADD_FAILURE() << "a control character was taken into a string";
    } catch (antlr::TokenStreamRecognitionException& e) {
        EXPECT_EQ(e.getLine(), 1);
        EXPECT_EQ(e.getColumn(), 8);
    }
}

TEST(ActionScriptLexerTest, LinesAndColumns) {
    std::vector<Lexed> tokens = Lex("a\r\nb\n\rc\rd\n\te");
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[1].line, 2);
    EXPECT_EQ(tokens[2].line, 4);
    EXPECT_EQ(tokens[3].line, 5);
    EXPECT_EQ(tokens[4].line, 6);
    EXPECT_EQ(tokens[4].column, 9);
    EXPECT_EQ(tokens[1].column, 1);
}

TEST(ActionScriptLexerTest, EndOfInputRepeats) {
    std::istringstream in(""); // through the runtime's own character buffer
    ActionScriptLexer lexer(in);
    for (int i = 0; i < 3; ++i) {
        antlr::RefToken token = lexer.nextToken();
        EXPECT_EQ(token->getType(), antlr::Token::EOF_TYPE);
        EXPECT_EQ(token->getText(), "");
    }
}

// Tokens are made again once let go; those still held keep what they read, past the scanner.
TEST(ActionScriptLexerTest, HeldTokensKeepTheirTextPastTheScanner) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text +=
            "name" + std::to_string(i) + (i % 7 == 0 ? " = \"a longer string literal\"\n" : "\n");
    std::vector<antlr::RefToken> held;
    antlr::RefToken end;
    {
        std::istringstream unused;
        ActionScriptLexer lexer(unused);
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        lexer.scanMemory(bytes, bytes + text.size());
        for (int count = 0;; ++count) {
            antlr::RefToken token = lexer.nextToken();
            if (token->getType() == antlr::Token::EOF_TYPE) {
                end = token;
                break;
            }
            if (token->getType() == 6 && count % 3 == 0)
                held.push_back(token);
        }
    }
    EXPECT_EQ(end->getText(), "");
    ASSERT_GT(held.size(), 80u);
    for (const antlr::RefToken& token : held) {
        const int line = token->getLine();
        EXPECT_EQ(token->getText(), "name" + std::to_string(line - 1));
        EXPECT_EQ(token->getColumn(), 1);
    }
}

TEST(ActionScriptLexerTest, PlainTokensAreTheRulesTokens) {
    const std::string alphabet = "ab_$Z09 \t\n\r.();{}[],?:=+-*/\"'\\@#\x80";
    std::mt19937 random(35);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 16); n > 0; --n)
            text += alphabet[random() % alphabet.size()];
        ASSERT_EQ(Scan(text, true), Scan(text, false)) << text;
    }
}
