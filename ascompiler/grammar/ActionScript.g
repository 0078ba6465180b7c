// Script grammar: the parser builds translate::ASNode trees, the lexer feeds it tokens whose
// numbers come from ActionScriptVocabTokenTypes.txt.
header "pre_include_hpp" {
#include "ascompiler/grammar/memory_scanner.h"
#include "ascompiler/grammar/parse_support.h"
#include "ascompiler/tree/node_factory.h"
#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <algorithm>
#include <exception>
#include <utility>
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
    // Tokens are counted from the start of the input; mark and rewind come in pairs in the
    // generated code. The parser keeps its own look-ahead and lets spent tokens go a batch at
    // a time once no mark can return to them, so that a step forward only counts.
    void consume() override {
        ++m_position;
        m_lookahead[0] = m_lookahead[1];
        m_lookahead[1] = kUnknown;
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

    // Tokens straight from the scanner rather than through the runtime's token buffer; the
    // plain ones (names, one-character punctuation) made by the scanner without its rules.
    void takeTokensFrom(antlr::TokenStream& source, translate::MemoryScanner* scanner = nullptr) {
        m_pSource = &source;
        m_pScanner = scanner;
    }
    // Names, and the punctuation that is its own literal, as the lexer's rules give them.
    static const translate::MemoryScanner::PlainTokens& plainTokens() {
        static const translate::MemoryScanner::PlainTokens plain = [] {
            translate::MemoryScanner::PlainTokens p;
            const std::pair<char, int> singles[] = {
                {'(', LITERAL_LPAREN}, {')', LITERAL_RPAREN}, {'{', LITERAL_LCURLY},
                {'}', LITERAL_RCURLY}, {'[', LITERAL_LBRACKET}, {']', LITERAL_RBRACKET},
                {';', LITERAL_SEMI}, {',', LITERAL_COMMA}, {'?', LITERAL_SELECT},
                {':', LITERAL_ALTERNATE}};
            for (const auto& [c, type] : singles)
                p.single[static_cast<unsigned char>(c)] = static_cast<unsigned char>(type);
            p.name = IDENTIFIER;
            return p;
        }();
        return plain;
    }

    // The start rule: the caller owns the tree; on an error every node built so far is freed
    // and the exception goes on.
    translate::ASNode* script() {
        try {
            translate::ASNode* root = scriptRule();
            // Text that cannot begin a statement would otherwise be left unread, and lost.
            if (LA(1) != antlr::Token::EOF_TYPE)
                throw antlr::NoViableAltException(LT(1), getFilename());
            m_nodes.Release();
            return root;
        } catch (NestsTooDeeply& e) {
            m_nodes.FreeAll();
            throw antlr::RecognitionException("Script nests too deeply", getFilename(), e.line,
                                              e.column);
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
    translate::ASNode* ifNode(translate::ASNode* condition, translate::ASNode* then) {
        return binary(translate::ASNode::If, condition, then);
    }
    // A node whose value is the token's text, or for a string the text it stands for.
    translate::ASNode* value(translate::ASNode::NodeType type, const antlr::RefToken& token) {
        const std::string_view text = translate::TokenText(*token, m_spareText);
        return keep(translate::ValueASNode(type, text.data(), text.size()));
    }
    translate::ASNode* stringValue(const antlr::RefToken& token) {
        const std::string_view text = translate::StringLiteralText(
            translate::TokenText(*token, m_spareText), m_spareDecoded);
        return keep(translate::ValueASNode(translate::ASNode::String, text.data(), text.size()));
    }
    std::string m_spareText;
    std::string m_spareDecoded;
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
    // Left operands of conditionalExpression still open, each with the operator token that joins
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
    // "var" declares every name of its list: a name, or the name an item assigns to, that
    // follows a declaration in the same list is declared too.
    static translate::ASNode* declaredAfter(translate::ASNode* previous, translate::ASNode* item) {
        if (!isDeclaration(previous))
            return item;
        translate::ASNode* name = isAssignment(item) ? item->get(0) : item;
        if (name && name->getType() == translate::ASNode::Identifier)
            name->setType(translate::ASNode::DefineVariable);
        return item;
    }
    static bool isAssignment(translate::ASNode* node) {
        return node->getType() >= translate::ASNode::Assign &&
               node->getType() <= translate::ASNode::AssignBitXor;
    }
    static bool isDeclaration(translate::ASNode* node) {
        if (isAssignment(node))
            node = node->get(0);
        return node && node->getType() == translate::ASNode::DefineVariable;
    }
    // An expression list or argument list of one item is that item: the list is only made
    // when a second item comes.
    translate::ASNode* extendList(translate::ASNode::NodeType type, translate::ASNode*& list,
                                  translate::ASNode* items, translate::ASNode* next) {
        if (!list)
            list = unary(type, items);
        list->append(next);
        return list;
    }
    // The elements of the member chains being parsed, and the targets of the assignment
    // chains, each kept innermost chain last, so that a chain needs no storage of its own; each
    // chain's scope drops its entries when it ends.
    template <class Entry>
    class ChainScope {
    public:
        explicit ChainScope(std::vector<Entry>& chain) : m_chain(chain), m_base(chain.size()) {}
        ~ChainScope() { m_chain.resize(m_base); }
        ChainScope(const ChainScope&) = delete;
        ChainScope& operator=(const ChainScope&) = delete;
        size_t base() const { return m_base; }

    private:
        std::vector<Entry>& m_chain;
        size_t m_base;
    };
    using AssignmentTarget = std::pair<translate::ASNode*, translate::ASNode::NodeType>;
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

    // Whether braces open a block is decided by a trial parse of the block's first statement.
    // The trial builds that statement in earnest and hands it to the block, which would
    // otherwise parse it again; a failed trial frees what it built. Trials nest without
    // guessing, so each statement is parsed once and no outcome needs remembering.
    translate::ASNode* trialStatement() {
        class Earnest {
        public:
            explicit Earnest(antlr::ParserSharedInputState& state)
                : m_state(state), m_guessing(std::exchange(state->guessing, 0)) {}
            ~Earnest() { m_state->guessing = m_guessing; }
            Earnest(const Earnest&) = delete;
            Earnest& operator=(const Earnest&) = delete;

        private:
            antlr::ParserSharedInputState& m_state;
            int m_guessing;
        };
        const size_t start = m_position;
        const translate::NodeKeeper::Mark built = m_nodes.Here();
        translate::ASNode* n = 0;
        try {
            Earnest earnest(inputState);
            n = statement();
        } catch (antlr::RecognitionException&) {
            m_nodes.FreeSince(built);
            throw;
        }
        if (m_trial.node)
            m_nodes.Discard(m_trial.node); // never taken: cannot happen, but must not leak
        m_trial = {start, m_position, n};
        return n;
    }
    // The block asks for its first statement where the trial found it.
    bool takeTrial(translate::ASNode*& n) {
        if (!m_trial.node || m_trial.start != m_position)
            return false;
        n = std::exchange(m_trial.node, nullptr);
        m_position = m_trial.end;
        m_lookahead[0] = m_lookahead[1] = kUnknown;
        return true;
    }
    struct Trial {
        size_t start = 0;
        size_t end = 0;
        translate::ASNode* node = nullptr;
    };
    Trial m_trial;

    // A level of nesting is a statement, a primary expression (a bracket, call, literal or
    // function), a prefix operator or a ?:, each counted where it opens, so that every form
    // of nesting takes one or two levels and deeply nested text fails with an error instead of
    // exhausting the stack. Every cycle of rules passes one of these.
    class Nesting {
    public:
        explicit Nesting(ActionScriptParser& parser) : m_parser(parser) {}
        ~Nesting() { m_parser.m_nesting -= m_levels; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        void enter() {
            if (m_parser.m_nesting >= kMaxNesting)
                m_parser.nestsTooDeeply();
            ++m_parser.m_nesting;
            ++m_levels;
        }

    private:
        ActionScriptParser& m_parser;
        int m_levels = 0;
    };
    // Not a recognition error, so that no trial parse takes it for a failed alternative and
    // tries another: it ends the parse, and script() reports it where the limit was passed.
    struct NestsTooDeeply {
        int line;
        int column;
    };
    [[noreturn, gnu::cold, gnu::noinline]] void nestsTooDeeply() {
        throw NestsTooDeeply{LT(1)->getLine(), LT(1)->getColumn()};
    }
    static constexpr int kMaxNesting = 1200;
    int m_nesting = 0;

    [[gnu::always_inline]] const antlr::RefToken& tokenAt(unsigned int i) {
        const size_t index = (m_position - m_first) + (i - 1);
        if (index < m_tokens.size()) [[likely]]
            return m_tokens[index];
        return fetchToken(i);
    }
    // Tokens are read a few ahead of the one asked for, so that most are taken without a call
    // here; a scanning error met ahead is raised once the parse reaches its place.
    [[gnu::noinline]] const antlr::RefToken& fetchToken(unsigned int i) {
        const size_t spent = std::min(m_position - m_first, m_tokens.size());
        if (m_marks.empty() && spent >= kDropBatch) {
            m_tokens.erase(m_tokens.begin(), m_tokens.begin() + static_cast<long>(spent));
            m_first += spent;
        }
        const size_t index = (m_position - m_first) + (i - 1);
        while (m_tokens.size() <= index) {
            if (m_scanError)
                std::rethrow_exception(m_scanError);
            m_tokens.push_back(nextToken());
        }
        try {
            while (!m_scanError && m_tokens.size() <= index + kReadAhead &&
                   m_tokens.back()->getType() != antlr::Token::EOF_TYPE)
                m_tokens.push_back(nextToken());
        } catch (...) {
            m_scanError = std::current_exception();
        }
        return m_tokens[index];
    }
    antlr::RefToken nextToken() {
        if (m_pScanner)
            if (antlr::RefToken token = m_pScanner->nextPlainToken(plainTokens()))
                return token;
        if (m_pSource)
            return m_pSource->nextToken();
        antlr::TokenBuffer& input = inputState->getInput();
        antlr::RefToken token = input.LT(1);
        input.consume();
        return token;
    }
    antlr::TokenStream* m_pSource = nullptr;
    translate::MemoryScanner* m_pScanner = nullptr;
    // The tokens from the position m_first on; those before m_position are spent.
    std::vector<antlr::RefToken> m_tokens;
    static constexpr size_t kDropBatch = 32;
    static constexpr size_t kReadAhead = 8;
    std::exception_ptr m_scanError;
    size_t m_first = 0;
    translate::NodeKeeper m_nodes;
    static constexpr int kUnknown = -2;
    int m_lookahead[2] = {kUnknown, kUnknown};
    size_t m_position = 0;
    std::vector<size_t> m_marks;
    std::vector<translate::ASNode*> m_chain;
    std::vector<AssignmentTarget> m_targets;
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
        if (inputState->guessing > 0)
            return trialStatement();
        Nesting nesting(*this);
        nesting.enter();
        if (takeTrial(n))
            return n;
    }
    :   n=ifStatement
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
    ;

blockStatement returns [translate::ASNode* n = 0]
    { translate::ASNode* s = 0; }
    :   "{" { n = keep(translate::NewASNode(translate::ASNode::List)); }
        ( s=statement { n->append(s); } )*
        "}"
    ;

// The links of an else-if chain are taken in one loop, each hung as the else-statement of the
// one before: a long chain neither nests the parse nor counts as nesting.
ifStatement returns [translate::ASNode* n = 0]
    { translate::ASNode *c = 0, *t = 0, *e = 0, *last = 0; }
    :   "if" "(" c=conditionalExpression ")" t=statement { n = last = ifNode(c, t); }
        (   options { greedy = true; warnWhenFollowAmbig = false; }
        :   "else" "if" "(" c=conditionalExpression ")" t=statement
            {
                translate::ASNode* link = ifNode(c, t);
                last->append(link);
                last = link;
            }
        )*
        (   options { warnWhenFollowAmbig = false; }
        :   ("else") => "else" e=statement { last->append(e); }
        )?
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
            n = value(translate::ASNode::DefineFunction, id);
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
    { translate::ASNode *e = 0, *list = 0; }
    :   n=assignmentExpression
        (   "," e=assignmentExpression
            {
                translate::ASNode* previous =
                    list ? list->get(static_cast<unsigned int>(list->count() - 1)) : n;
                e = declaredAfter(previous, e);
                n = extendList(translate::ASNode::ExpressionList, list, n, e);
            }
        )*
    ;

expression returns [translate::ASNode* n = 0]
    :   n=assignmentExpression
    ;

// A chain of assignments, a = b = c, is taken in a loop and built from the right.
assignmentExpression returns [translate::ASNode* n = 0]
    {
        bool declared = false;
        translate::ASNode::NodeType type = translate::ASNode::Assign;
        // The targets waiting for their values, each with its kind of assignment.
        ChainScope<AssignmentTarget> targets(m_targets);
    }
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
            { m_targets.emplace_back(n, type); declared = false; }
            ( "var" { declared = true; } )?
            n=conditionalExpression
            { if (declared) n->setType(translate::ASNode::DefineVariable); }
        )*
        {
            // An assignment or declaration ends where its list, group or statement goes on.
            const int next = LA(1);
            if (next != LITERAL_RPAREN && next != LITERAL_SEMI && next != LITERAL_COMMA &&
                next != LITERAL_ALTERNATE)
                throw antlr::NoViableAltException(LT(1), getFilename());
            for (; m_targets.size() > targets.base(); m_targets.pop_back())
                n = binary(m_targets.back().second, m_targets.back().first, n);
        }
    ;

// The two-operand levels are taken here in one loop: an operand costs one rule call, not one
// per level. Operands wait beside their operator until an operator of the same or a looser
// level closes them, so every level associates to the left.
conditionalExpression returns [translate::ASNode* n = 0]
    {
        translate::ASNode *r = 0, *t = 0, *e = 0;
        int type = 0;
        PendingOperands pending;
        Nesting nesting(*this);
    }
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
        (   "?" { nesting.enter(); } t=assignmentExpression ":" e=conditionalExpression
            {
                translate::ASNode* c = n;
                n = keep(translate::NewASNode(translate::ASNode::Select));
                n->append(c);
                n->append(t);
                n->append(e);
            }
        )?
    ;

unaryExpression returns [translate::ASNode* n = 0]
    {
        translate::ASNode* o = 0;
        // An operator whose operand is again a unary expression.
        Nesting nesting(*this);
        const int first = LA(1);
        if (first == PLUS || first == MINUS || first == BIT_NOT || first == LOGICAL_NOT ||
            first == LITERAL_delete)
            nesting.enter();
    }
    :   PLUS o=unaryExpression { n = unary(translate::ASNode::Plus, o); }
    |   MINUS o=unaryExpression { n = unary(translate::ASNode::Minus, o); }
    |   INC o=primaryExpression { n = unary(translate::ASNode::PreInc, o); }
    |   DEC o=primaryExpression { n = unary(translate::ASNode::PreDec, o); }
    |   BIT_NOT o=unaryExpression { n = unary(translate::ASNode::BitNot, o); }
    |   LOGICAL_NOT o=unaryExpression { n = unary(translate::ASNode::Not, o); }
    |   "delete" o=unaryExpression { n = unary(translate::ASNode::Delete, o); }
    |   n=primaryExpression
        (   INC { n = unary(translate::ASNode::PostInc, n); }
        |   DEC { n = unary(translate::ASNode::PostDec, n); }
        )*
    ;

// Most primaries are one element: the chain is only started by a suffix.
primaryExpression returns [translate::ASNode* n = 0]
    { translate::ASNode* p = 0; Nesting nesting(*this); nesting.enter(); ChainScope<translate::ASNode*> chain(m_chain); }
    :   (   n=anonymousObject
        |   n=methodDefinition
        |   n=literal
        |   "(" n=conditionalExpression ")"
        |   n=anonymousArray
        |   n=constructor
        )
        (   { if (m_chain.size() == chain.base()) m_chain.push_back(n); }
            p=primarySuffix { m_chain.push_back(p); }
        )*
        { if (m_chain.size() > chain.base()) n = tidyChain(chain.base()); }
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

// The node is made from the token where it lies before the token is matched, which the
// choice of alternative has settled: labels would hold a counted reference each.
literal returns [translate::ASNode* n = 0]
    :   { n = value(translate::ASNode::Identifier, tokenAt(1)); } IDENTIFIER
    |   { n = value(translate::ASNode::Number, tokenAt(1)); } NUMERIC_LITERAL
    |   { n = stringValue(tokenAt(1)); } STRING_LITERAL
    |   { n = stringValue(tokenAt(1)); } QUOTED_LITERAL
    ;

constructor returns [translate::ASNode* n = 0]
    { translate::ASNode* a = 0; }
    :   "new" id:IDENTIFIER "(" { n = value(translate::ASNode::NewObject, id); }
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
    { translate::ASNode *a = 0, *list = 0; }
    :   n=conditionalExpression
        ( "," a=conditionalExpression { n = extendList(translate::ASNode::List, list, n, a); } )*
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

// Only names are looked up as literals. Punctuation and the lone dot become their literals
// at once: the vocabulary names each such literal LITERAL_ and its rule, or LITERAL_DOT.
LPAREN : '(' { $setType(LITERAL_LPAREN); } ;
RPAREN : ')' { $setType(LITERAL_RPAREN); } ;
LCURLY : '{' { $setType(LITERAL_LCURLY); } ;
RCURLY : '}' { $setType(LITERAL_RCURLY); } ;
LBRACKET : '[' { $setType(LITERAL_LBRACKET); } ;
RBRACKET : ']' { $setType(LITERAL_RBRACKET); } ;
SEMI : ';' { $setType(LITERAL_SEMI); } ;
COMMA : ',' { $setType(LITERAL_COMMA); } ;
SELECT : '?' { $setType(LITERAL_SELECT); } ;
ALTERNATE : ':' { $setType(LITERAL_ALTERNATE); } ;

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
    :   '.' ( ( '0'..'9' )+ ( EXPONENT )? | { $setType(LITERAL_DOT); } )
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
