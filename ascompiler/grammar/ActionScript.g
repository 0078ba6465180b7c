// Script grammar: the parser builds translate::ASNode trees, the lexer feeds it tokens whose
// numbers come from ActionScriptVocabTokenTypes.txt.
header "pre_include_hpp" {
#include "ascompiler/grammar/memory_scanner.h"
#include "ascompiler/grammar/parse_support.h"
#include "ascompiler/tree/node_factory.h"
#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <vector>
}
options {
    language = "Cpp";
}

class ActionScriptParser extends Parser;
options {
    k = 2;
    importVocab = ActionScriptVocab;
    exportVocab = ActionScript;
    buildAST = false;
    defaultErrorHandler = false;
}
{
public:
    // Tokens are counted from the start of the input so that trial parses can be memoised by
    // position; mark and rewind come in pairs in the generated code. The parser keeps its
    // own look-ahead, in blocks small enough for the allocator's quick paths, and lets a
    // token go as soon as no mark can return to it.
    void consume() override {
        ++m_position;
        m_lookahead[0] = m_lookahead[1] = kUnknown;
        if (m_marks.empty())
            dropConsumed();
    }
    unsigned int mark() override {
        m_marks.push_back(m_position);
        return static_cast<unsigned int>(m_position);
    }
    void rewind(unsigned int pos) override {
        if (m_marks.empty()) {
            m_position = pos;
        } else {
            m_position = m_marks.back();
            m_marks.pop_back();
        }
        m_lookahead[0] = m_lookahead[1] = kUnknown;
        if (m_marks.empty())
            dropConsumed();
    }
    // Every rule asks for the next two token types many times over: keep them at hand. Final,
    // so that the rules call these directly, and the look-ahead inlined into them.
    [[gnu::always_inline]] int LA(unsigned int i) final {
        if (i - 1 < 2) {
            int& type = m_lookahead[i - 1];
            if (type == kUnknown)
                type = tokenAt(i)->getType();
            return type;
        }
        return tokenAt(i)->getType();
    }
    antlr::RefToken LT(unsigned int i) final { return tokenAt(i); }
    // The runtime's, without its tracing, with LA bound statically and inlined into the rules.
    [[gnu::always_inline]] void match(int t) final {
        if (LA(1) != t)
            mismatch(t);
        consume();
    }
    [[noreturn, gnu::cold, gnu::noinline]] void mismatch(int t) {
        throw antlr::MismatchedTokenException(getTokenNames(), getNumTokens(), LT(1), t, false,
                                              getFilename());
    }

    // Tokens straight from the scanner rather than through the runtime's token buffer.
    void takeTokensFrom(antlr::TokenStream& source) { m_pSource = &source; }

    // The start rule: the caller owns the tree; on an error every node built so far is freed
    // and the exception goes on.
    translate::ASNode* script() {
        try {
            translate::ASNode* root = scriptRule();
            m_nodes.Release();
            return root;
        } catch (...) {
            m_nodes.FreeAll();
            throw;
        }
    }

private:
    translate::ASNode* keep(translate::ASNode* node) { return m_nodes.Keep(node); }
    translate::ASNode* unary(translate::ASNode::NodeType type, translate::ASNode* operand) {
        translate::ASNode* node = keep(translate::NewASNode(type));
        node->append(operand);
        return node;
    }
    translate::ASNode* binary(translate::ASNode::NodeType type, translate::ASNode* left, translate::ASNode* right) {
        return keep(translate::BinaryASNode(type, left, right));
    }
    translate::ASNode* value(translate::ASNode::NodeType type, const std::string& text) {
        return keep(translate::ValueASNode(type, text.c_str()));
    }
    // Binding level of each two-operand token from LOGICAL_OR on, loosest first.
    static int binaryLevel(int token) {
        static constexpr unsigned char kLevels[] = {1, 2, 3, 4, 5, 6, 6, 7, 7, 7,
                                                    7, 8, 9, 9, 9, 10, 10, 11, 11, 11};
        return kLevels[token - LOGICAL_OR];
    }
    static_assert(EQ - LOGICAL_OR == 5 && LITERAL_instanceof - LOGICAL_OR == 11 &&
                      LSR - LOGICAL_OR == 13 && PLUS - LOGICAL_OR == 15 &&
                      MOD - LOGICAL_OR == 19,
                  "two-operand tokens out of their fixed order");
    static translate::ASNode::NodeType binaryNodeType(int token) {
        using T = translate::ASNode;
        static constexpr T::NodeType kTypes[] = {
            T::Or,       T::And,         T::BitOr,         T::BitXor,           T::BitAnd,
            T::Equal,    T::NotEqual,    T::LessThan,      T::GreaterThan,      T::LessThanEqual,
            T::GreaterThanEqual,         T::InstanceOf,    T::LSL,              T::LSR,
            T::ASR,      T::Add,         T::Sub,           T::Mul,              T::Div,
            T::Mod};
        return kTypes[token - LOGICAL_OR];
    }
    // Left operands of binaryExpression still open, each with the operator token that joins
    // it to the next; levels rise strictly from the bottom, so one slot per level suffices.
    struct PendingOperands {
        translate::ASNode* left[11];
        int token[11];
        int count = 0;
    };
    // Closes the open operands that bind at least as tightly as token, then opens current.
    translate::ASNode* shiftOperand(PendingOperands& pending, translate::ASNode* current,
                                    int token, translate::ASNode* right) {
        current = closeOperands(pending, current, binaryLevel(token));
        pending.left[pending.count] = current;
        pending.token[pending.count] = token;
        ++pending.count;
        return right;
    }
    // Closes the open operands down to the given level, all of them by default.
    translate::ASNode* closeOperands(PendingOperands& pending, translate::ASNode* current,
                                     int level = 0) {
        while (pending.count > 0 && binaryLevel(pending.token[pending.count - 1]) >= level) {
            --pending.count;
            current = binary(binaryNodeType(pending.token[pending.count]),
                             pending.left[pending.count], current);
        }
        return current;
    }
    // An expression list or argument list of one item is that item.
    translate::ASNode* dissolve(translate::ASNode* list) {
        if (list->count() != 1)
            return list;
        translate::ASNode* only = list->remove(0);
        m_nodes.Discard(list);
        return only;
    }
    // The elements of the member chains being parsed, innermost chain last, so that a chain
    // needs no storage of its own; each chain's scope drops its elements when it ends.
    class ChainScope {
    public:
        explicit ChainScope(std::vector<translate::ASNode*>& chain)
            : m_chain(chain), m_base(chain.size()) {}
        ~ChainScope() { m_chain.resize(m_base); }
        ChainScope(const ChainScope&) = delete;
        ChainScope& operator=(const ChainScope&) = delete;
        size_t base() const { return m_base; }

    private:
        std::vector<translate::ASNode*>& m_chain;
        size_t m_base;
    };
    // A name followed by a call names the call; a member followed by a call becomes a method
    // call; a chain of one element is that element.
    translate::ASNode* tidyChain(size_t base) {
        std::vector<translate::ASNode*>& chain = m_chain;
        for (size_t i = base; i + 1 < chain.size(); ++i) {
            translate::ASNode* call = chain[i + 1];
            if (call->getType() != translate::ASNode::Function)
                continue;
            if (chain[i]->getType() == translate::ASNode::Identifier) {
                call->setValue(chain[i]->getValue());
                m_nodes.Discard(chain[i]);
                chain.erase(chain.begin() + static_cast<long>(i));
            } else if (chain[i]->getType() == translate::ASNode::Attribute) {
                chain[i]->setType(translate::ASNode::NoOp);
                call->setType(translate::ASNode::Method);
                call->setValue(chain[i]->getValue());
            }
        }
        if (chain.size() - base == 1)
            return chain[base];
        translate::ASNode* n = keep(translate::NewASNode(translate::ASNode::Value));
        for (size_t i = base; i < chain.size(); ++i)
            n->append(chain[i]);
        return n;
    }

    // While guessing, a statement already tried at this position is not parsed again.
    bool replayGuess(size_t start) {
        long consumed = 0;
        if (inputState->guessing == 0 || !m_memo.Find(start, consumed))
            return false;
        if (consumed < 0)
            throw antlr::NoViableAltException(LT(1), getFilename());
        // While guessing a mark holds the tokens, so the parser steps over the statement in
        // one move.
        m_lookahead[0] = m_lookahead[1] = kUnknown;
        m_position += static_cast<size_t>(consumed);
        return true;
    }
    bool storeGuess(size_t start, bool ok) {
        if (inputState->guessing > 0)
            m_memo.Store(start, ok ? static_cast<long>(m_position - start) : -1);
        return true;
    }

    // Every nesting rule holds one of these for its run, so that deeply nested text fails
    // with an error instead of exhausting the stack.
    class NestingGuard {
    public:
        explicit NestingGuard(ActionScriptParser& parser) : m_parser(parser) {
            if (m_parser.m_nesting >= kMaxNesting)
                throw antlr::RecognitionException("Script nests too deeply",
                                                  m_parser.getFilename(),
                                                  m_parser.LT(1)->getLine(),
                                                  m_parser.LT(1)->getColumn());
            ++m_parser.m_nesting;
        }
        ~NestingGuard() { --m_parser.m_nesting; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

    private:
        ActionScriptParser& m_parser;
    };
    static constexpr int kMaxNesting = 600;
    int m_nesting = 0;

    const antlr::RefToken& tokenAt(unsigned int i) {
        const size_t index = m_head + (m_position - m_first) + (i - 1);
        while (m_tokens.size() <= index)
            m_tokens.push_back(nextToken());
        return m_tokens[index];
    }
    antlr::RefToken nextToken() {
        if (m_pSource)
            return m_pSource->nextToken();
        antlr::TokenBuffer& input = inputState->getInput();
        antlr::RefToken token = input.LT(1);
        input.consume();
        return token;
    }
    void dropConsumed() {
        while (m_first < m_position && m_head < m_tokens.size()) {
            m_tokens[m_head++] = antlr::RefToken();
            ++m_first;
        }
        // Usually nothing is left ahead and the buffer starts over; tokens held long by a
        // trial parse move down once they fill the front half.
        if (m_head == m_tokens.size()) {
            m_tokens.clear();
            m_head = 0;
        } else if (m_head >= kCompactFrom && m_head * 2 >= m_tokens.size()) {
            m_tokens.erase(m_tokens.begin(), m_tokens.begin() + static_cast<long>(m_head));
            m_head = 0;
        }
    }

    antlr::TokenStream* m_pSource = nullptr;
    // The tokens from m_first on start at m_tokens[m_head]; the slots before it are spent.
    std::vector<antlr::RefToken> m_tokens;
    size_t m_head = 0;
    static constexpr size_t kCompactFrom = 256;
    size_t m_first = 0;
    translate::NodeKeeper m_nodes;
    translate::GuessMemo m_memo;
    static constexpr int kUnknown = -2;
    int m_lookahead[2] = {kUnknown, kUnknown};
    size_t m_position = 0;
    std::vector<size_t> m_marks;
    std::vector<translate::ASNode*> m_chain;
}

scriptRule returns [translate::ASNode* root = 0]
    { translate::ASNode* s = 0; }
    :   { root = keep(translate::NewASNode(translate::ASNode::Array)); }
        ( s=statement
            {
                if (s->getType() == translate::ASNode::OnClipEvent)
                    root->setType(translate::ASNode::MovieClip);
                else if (s->getType() == translate::ASNode::On)
                    root->setType(translate::ASNode::Button);
                root->append(s);
            }
        )*
    ;

statement returns [translate::ASNode* n = 0]
    {
        NestingGuard nesting(*this);
        const size_t start = m_position;
        if (replayGuess(start))
            return n;
        storeGuess(start, false); // replaced by the outcome when the statement parses
    }
    :   (   n=ifStatement
        |   n=withStatement
        |   n=whileStatement
        |   n=doStatement
        |   n=forStatement
        |   n=onClipEvent
        |   n=on
        |   n=breakStatement
        |   n=continueStatement
        |   n=returnStatement
        |   ("{" ( "}" | statement )) => n=blockStatement
        |   ("function" IDENTIFIER) => n=functionDefinition
        |   n=expressionStatement
        )
        { storeGuess(start, true) }?
    ;

blockStatement returns [translate::ASNode* n = 0]
    { translate::ASNode* s = 0; }
    :   "{" { n = keep(translate::NewASNode(translate::ASNode::List)); }
        ( s=statement { n->append(s); } )*
        "}"
    ;

ifStatement returns [translate::ASNode* n = 0]
    { translate::ASNode *c = 0, *t = 0, *e = 0; }
    :   "if" "(" c=conditionalExpression ")" t=statement
        ( options { warnWhenFollowAmbig = false; } : ("else") => "else" e=statement )?
        {
            n = keep(translate::NewASNode(translate::ASNode::If));
            n->append(c);
            n->append(t);
            if (e)
                n->append(e);
        }
    ;

whileStatement returns [translate::ASNode* n = 0]
    { translate::ASNode *c = 0, *b = 0; }
    :   "while" "(" c=conditionalExpression ")" b=statement
        { n = binary(translate::ASNode::While, c, b); }
    ;

doStatement returns [translate::ASNode* n = 0]
    { translate::ASNode *c = 0, *b = 0; }
    :   "do" b=statement "while" "(" c=conditionalExpression ")" ";"
        { n = binary(translate::ASNode::DoWhile, b, c); }
    ;

withStatement returns [translate::ASNode* n = 0]
    { translate::ASNode *o = 0, *b = 0; }
    :   "with" "(" o=conditionalExpression ")" b=statement
        { n = binary(translate::ASNode::With, o, b); }
    ;

forStatement returns [translate::ASNode* n = 0]
    { translate::ASNode *i = 0, *c = 0, *u = 0, *b = 0, *v = 0, *o = 0; }
    :   "for" "("
        (   ( i=expressionList )? ";" ( c=conditionalExpression )? ";" ( u=expressionList )? ")"
            b=statement
            {
                n = keep(translate::NewASNode(translate::ASNode::For));
                n->append(i ? i : keep(translate::NewASNode(translate::ASNode::NoOp)));
                n->append(c ? c : keep(translate::NewASNode(translate::ASNode::NoOp)));
                n->append(u ? u : keep(translate::NewASNode(translate::ASNode::NoOp)));
                n->append(b);
            }
        |   v=literal "in" o=conditionalExpression ")" b=statement
            {
                n = keep(translate::NewASNode(translate::ASNode::ForIn));
                n->append(v);
                n->append(o);
                n->append(b);
            }
        )
    ;

breakStatement returns [translate::ASNode* n = 0]
    :   "break" ";" { n = keep(translate::NewASNode(translate::ASNode::Break)); }
    ;

continueStatement returns [translate::ASNode* n = 0]
    :   "continue" ";" { n = keep(translate::NewASNode(translate::ASNode::Continue)); }
    ;

returnStatement returns [translate::ASNode* n = 0]
    { translate::ASNode* v = 0; }
    :   "return" ( v=conditionalExpression )? ";"
        {
            n = keep(translate::NewASNode(translate::ASNode::Return));
            if (v)
                n->append(v);
        }
    ;

functionDefinition returns [translate::ASNode* n = 0]
    { translate::ASNode *p = 0, *b = 0; }
    :   "function" id:IDENTIFIER "(" ( p=argumentList )? ")" b=blockStatement
        {
            n = value(translate::ASNode::DefineFunction, id->getText());
            if (p)
                n->append(p);
            n->append(b);
        }
    ;

on returns [translate::ASNode* n = 0]
    { translate::ASNode *e = 0, *s = 0; std::vector<translate::ASNode*> events; }
    :   "on" "("
        ( "keyPress" e=literal | e=literal ) { events.push_back(e); }
        ( "," ( "keyPress" e=literal | e=literal ) { events.push_back(e); } )*
        ")" s=statement
        {
            n = keep(translate::NewASNode(translate::ASNode::On));
            for (translate::ASNode* event : events)
                n->append(event);
            n->append(s);
        }
    ;

onClipEvent returns [translate::ASNode* n = 0]
    { translate::ASNode *e = 0, *s = 0; std::vector<translate::ASNode*> events; }
    :   "onClipEvent" "(" e=literal { events.push_back(e); }
        ( "," e=literal { events.push_back(e); } )*
        ")" s=statement
        {
            n = keep(translate::NewASNode(translate::ASNode::OnClipEvent));
            for (translate::ASNode* event : events)
                n->append(event);
            n->append(s);
        }
    ;

expressionStatement returns [translate::ASNode* n = 0]
    :   n=expressionList ";"
    |   ";" { n = keep(translate::NewASNode(translate::ASNode::NoOp)); }
    ;

expressionList returns [translate::ASNode* n = 0]
    { translate::ASNode* e = 0; }
    :   e=assignmentExpression
        { n = keep(translate::NewASNode(translate::ASNode::ExpressionList)); n->append(e); }
        ( "," e=assignmentExpression { n->append(e); } )*
        { n = dissolve(n); }
    ;

expression returns [translate::ASNode* n = 0]
    :   n=assignmentExpression
    ;

assignmentExpression returns [translate::ASNode* n = 0]
    { bool declared = false; NestingGuard nesting(*this); translate::ASNode* v = 0; translate::ASNode::NodeType type = translate::ASNode::Assign; }
    :   ( "var" { declared = true; } )?
        n=conditionalExpression
        { if (declared) n->setType(translate::ASNode::DefineVariable); }
        (   (   ASSIGN { type = translate::ASNode::Assign; }
            |   ASSIGN_ADD { type = translate::ASNode::AssignAdd; }
            |   ASSIGN_SUB { type = translate::ASNode::AssignSub; }
            |   ASSIGN_MUL { type = translate::ASNode::AssignMul; }
            |   ASSIGN_DIV { type = translate::ASNode::AssignDiv; }
            |   ASSIGN_MOD { type = translate::ASNode::AssignMod; }
            |   ASSIGN_LSL { type = translate::ASNode::AssignLSL; }
            |   ASSIGN_ASR { type = translate::ASNode::AssignASR; }
            |   ASSIGN_LSR { type = translate::ASNode::AssignLSR; }
            |   ASSIGN_AND { type = translate::ASNode::AssignBitAnd; }
            |   ASSIGN_OR { type = translate::ASNode::AssignBitOr; }
            |   ASSIGN_XOR { type = translate::ASNode::AssignBitXor; }
            )
            v=assignmentExpression
            { n = binary(type, n, v); }
        )?
    ;

conditionalExpression returns [translate::ASNode* n = 0]
    { translate::ASNode *t = 0, *e = 0; NestingGuard nesting(*this); }
    :   n=binaryExpression
        (   "?" t=assignmentExpression ":" e=conditionalExpression
            {
                translate::ASNode* c = n;
                n = keep(translate::NewASNode(translate::ASNode::Select));
                n->append(c);
                n->append(t);
                n->append(e);
            }
        )?
    ;

// The two-operand levels in one rule: an operand costs one rule call, not one per level.
// Operands wait beside their operator until an operator of the same or a looser level
// closes them, so every level associates to the left.
binaryExpression returns [translate::ASNode* n = 0]
    { translate::ASNode* r = 0; int type = 0; PendingOperands pending; }
    :   n=unaryExpression
        (   { type = LA(1); }
            (   LOGICAL_OR | LOGICAL_AND | BIT_OR | BIT_XOR | BIT_AND | EQ | NE
            |   LTHAN | GTHAN | LTE | GTE | "instanceof" | LSL | LSR | ASR
            |   PLUS | MINUS | MULTIPLY | DIVIDE | MOD
            )
            r=unaryExpression
            { n = shiftOperand(pending, n, type, r); }
        )*
        { n = closeOperands(pending, n); }
    ;

unaryExpression returns [translate::ASNode* n = 0]
    { translate::ASNode* o = 0; NestingGuard nesting(*this); }
    :   PLUS o=unaryExpression { n = unary(translate::ASNode::Plus, o); }
    |   MINUS o=unaryExpression { n = unary(translate::ASNode::Minus, o); }
    |   INC o=primaryExpression { n = unary(translate::ASNode::PreInc, o); }
    |   DEC o=primaryExpression { n = unary(translate::ASNode::PreDec, o); }
    |   BIT_NOT o=unaryExpression { n = unary(translate::ASNode::BitNot, o); }
    |   LOGICAL_NOT o=unaryExpression { n = unary(translate::ASNode::Not, o); }
    |   "delete" o=unaryExpression { n = unary(translate::ASNode::Delete, o); }
    |   n=postfixExpression
    ;

postfixExpression returns [translate::ASNode* n = 0]
    :   n=primaryExpression
        (   INC { n = unary(translate::ASNode::PostInc, n); }
        |   DEC { n = unary(translate::ASNode::PostDec, n); }
        )*
    ;

primaryExpression returns [translate::ASNode* n = 0]
    { translate::ASNode* p = 0; NestingGuard nesting(*this); ChainScope chain(m_chain); }
    :   p=primaryPrefix { m_chain.push_back(p); }
        ( p=primarySuffix { m_chain.push_back(p); } )*
        { n = tidyChain(chain.base()); }
    ;

primaryPrefix returns [translate::ASNode* n = 0]
    :   n=anonymousObject
    |   n=methodDefinition
    |   n=literal
    |   "(" n=conditionalExpression ")"
    |   n=anonymousArray
    |   n=constructor
    ;

primarySuffix returns [translate::ASNode* n = 0]
    { translate::ASNode* i = 0; }
    :   "[" i=conditionalExpression "]" { n = unary(translate::ASNode::Subscript, i); }
    |   "."
        (   n=function { n->setType(translate::ASNode::Method); }
        |   n=literal { n->setType(translate::ASNode::Attribute); }
        )
    |   n=function
    ;

function returns [translate::ASNode* n = 0]
    { translate::ASNode* a = 0; }
    :   "(" { n = keep(translate::NewASNode(translate::ASNode::Function)); }
        (   a=conditionalExpression { n->append(a); }
            ( "," a=conditionalExpression { n->append(a); } )*
        )?
        ")"
    ;

literal returns [translate::ASNode* n = 0]
    :   i:IDENTIFIER { n = value(translate::ASNode::Identifier, i->getText()); }
    |   d:NUMERIC_LITERAL { n = value(translate::ASNode::Number, d->getText()); }
    |   s:STRING_LITERAL
        { n = value(translate::ASNode::String, translate::DecodeStringLiteral(s->getText())); }
    |   q:QUOTED_LITERAL
        { n = value(translate::ASNode::String, translate::DecodeStringLiteral(q->getText())); }
    ;

constructor returns [translate::ASNode* n = 0]
    { translate::ASNode* a = 0; }
    :   "new" id:IDENTIFIER "(" { n = value(translate::ASNode::NewObject, id->getText()); }
        (   a=conditionalExpression { n->append(a); }
            ( "," a=conditionalExpression { n->append(a); } )*
        )?
        ")"
    ;

anonymousArray returns [translate::ASNode* n = 0]
    { translate::ASNode* e = 0; }
    :   "[" { n = keep(translate::NewASNode(translate::ASNode::DefineArray)); }
        (   e=conditionalExpression { n->append(e); }
            ( "," e=conditionalExpression { n->append(e); } )*
        )?
        "]"
    ;

anonymousObject returns [translate::ASNode* n = 0]
    { translate::ASNode* a = 0; }
    :   "{" { n = keep(translate::NewASNode(translate::ASNode::DefineObject)); }
        a=attribute { n->append(a); }
        ( "," a=attribute { n->append(a); } )*
        "}"
    ;

attribute returns [translate::ASNode* n = 0]
    { translate::ASNode *k = 0, *v = 0; }
    :   k=literal ":" v=conditionalExpression { n = binary(translate::ASNode::DefineAttribute, k, v); }
    ;

methodDefinition returns [translate::ASNode* n = 0]
    { translate::ASNode *p = 0, *b = 0; }
    :   "function" "(" ( p=argumentList )? ")" b=blockStatement
        {
            n = keep(translate::NewASNode(translate::ASNode::DefineMethod));
            if (p)
                n->append(p);
            n->append(b);
        }
    ;

argumentList returns [translate::ASNode* n = 0]
    { translate::ASNode* a = 0; }
    :   a=conditionalExpression
        { n = keep(translate::NewASNode(translate::ASNode::List)); n->append(a); }
        ( "," a=conditionalExpression { n->append(a); } )*
        { n = dissolve(n); }
    ;

class ActionScriptLexer extends Lexer("translate::MemoryScanner");
options {
    k = 4;
    importVocab = ActionScript;
    charVocabulary = '\3'..'\377';
    testLiterals = false;
    caseSensitive = true;
    caseSensitiveLiterals = true;
    defaultErrorHandler = false;
}

// Only names, punctuation and the lone dot can be literals (punctuation arrives as its
// literal's number); the other tokens skip the lookup.
LPAREN options { testLiterals = true; } : '(' ;
RPAREN options { testLiterals = true; } : ')' ;
LCURLY options { testLiterals = true; } : '{' ;
RCURLY options { testLiterals = true; } : '}' ;
LBRACKET options { testLiterals = true; } : '[' ;
RBRACKET options { testLiterals = true; } : ']' ;
SEMI options { testLiterals = true; } : ';' ;
COMMA options { testLiterals = true; } : ',' ;
SELECT options { testLiterals = true; } : '?' ;
ALTERNATE options { testLiterals = true; } : ':' ;

// Each operator is taken by its first character and its longer forms chosen inside, so that
// the scanner dispatches every operator at once instead of trying the forms one by one.
ASSIGN : '=' ( '=' { $setType(EQ); } )? ;
LOGICAL_NOT : '!' ( '=' { $setType(NE); } )? ;
PLUS : '+' ( '+' { $setType(INC); } | '=' { $setType(ASSIGN_ADD); } )? ;
MINUS : '-' ( '-' { $setType(DEC); } | '=' { $setType(ASSIGN_SUB); } )? ;
MULTIPLY : '*' ( '=' { $setType(ASSIGN_MUL); } )? ;
DIVIDE : '/' ( '=' { $setType(ASSIGN_DIV); } )? ;
MOD : '%' ( '=' { $setType(ASSIGN_MOD); } )? ;
BIT_AND : '&' ( '&' { $setType(LOGICAL_AND); } | '=' { $setType(ASSIGN_AND); } )? ;
BIT_OR : '|' ( '|' { $setType(LOGICAL_OR); } | '=' { $setType(ASSIGN_OR); } )? ;
BIT_XOR : '^' ( '=' { $setType(ASSIGN_XOR); } )? ;
BIT_NOT : '~' ;

LTHAN
    :   '<'
        (   '=' { $setType(LTE); }
        |   '<' { $setType(LSL); } ( '=' { $setType(ASSIGN_LSL); } )?
        )?
    ;

GTHAN
    :   '>'
        (   '=' { $setType(GTE); }
        |   '>' { $setType(ASR); }
            (   '=' { $setType(ASSIGN_ASR); }
            |   '>' { $setType(LSR); } ( '=' { $setType(ASSIGN_LSR); } )?
            )?
        )?
    ;

WS
    :   (   ' '
        |   '\t'
        |   '\f'
        |   (   options { generateAmbigWarnings = false; }
            :   "\r\n"
            |   '\r'
            |   '\n'
            )
            { newline(); }
        )+
        { $setType(antlr::Token::SKIP); }
    ;

IDENTIFIER
    options { testLiterals = true; }
    :   ( 'a'..'z' | 'A'..'Z' | '_' | '$' )
        // Where the text lies in memory, the rest of the name is stepped over at once.
        { skipNameCharacters(); }
        ( 'a'..'z' | 'A'..'Z' | '_' | '$' | '0'..'9' )*
    ;

// Where the text lies in memory, plain characters up to an escape or the end are stepped
// over at once.
STRING_LITERAL
    :   '"' { skipStringCharacters('"'); } ( ESC | ~( '"' | '\\' | '\n' | '\r' ) )* '"'
    ;

QUOTED_LITERAL
    :   '\'' { skipStringCharacters('\''); } ( ESC | ~( '\'' | '\\' | '\n' | '\r' ) )* '\''
    ;

protected
ESC
    :   '\\'
        (   'n'
        |   'r'
        |   't'
        |   'b'
        |   'f'
        |   '"'
        |   '\''
        |   '\\'
        |   ( 'u' )+ HEX_DIGIT HEX_DIGIT HEX_DIGIT HEX_DIGIT
        |   '0'..'3'
            (   options { warnWhenFollowAmbig = false; }
            :   '0'..'7'
                ( options { warnWhenFollowAmbig = false; } : '0'..'7' )?
            )?
        |   '4'..'7'
            ( options { warnWhenFollowAmbig = false; } : '0'..'7' )?
        )
    ;

protected
HEX_DIGIT
    :   ( '0'..'9' | 'A'..'F' | 'a'..'f' )
    ;

protected
EXPONENT
    :   ( 'e' | 'E' ) ( '+' | '-' )? ( '0'..'9' )+
    ;

NUMERIC_LITERAL
    options { testLiterals = true; }
    :   '.' ( ( '0'..'9' )+ ( EXPONENT )? )?
    |   (   '0'
            (   ( 'x' | 'X' ) ( options { warnWhenFollowAmbig = false; } : HEX_DIGIT )+
            |   ( '0'..'9' )+
            )?
        |   '1'..'9' ( '0'..'9' )*
        )
        (   options { warnWhenFollowAmbig = false; }
        :   EXPONENT
        |   '.' ( '0'..'9' )* ( EXPONENT )?
        )?
    ;
