// Base of the generated scanners: when handed the text in memory it reads the characters
// straight from there instead of through the runtime's character queue, with the runtime's
// own text, line and column keeping. Without it, it is the runtime's scanner unchanged.
#pragma once

#include <antlr/CharScanner.hpp>
#include <antlr/MismatchedCharException.hpp>

#include "ascompiler/grammar/token_pool.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace translate {

class MemoryScanner : public antlr::CharScanner {
public:
    MemoryScanner(antlr::InputBuffer& cb, bool caseSensitive) : CharScanner(cb, caseSensitive) {}
    MemoryScanner(antlr::InputBuffer* cb, bool caseSensitive) : CharScanner(cb, caseSensitive) {}
    MemoryScanner(const antlr::LexerSharedInputState& state, bool caseSensitive)
        : CharScanner(state, caseSensitive) {}

    // From now on the scanner reads [begin, end), which must outlive it and the tokens it
    // makes (they keep their text there); the input buffer given to the constructor is no
    // longer read. Only for case-sensitive scanning.
    void scanMemory(const unsigned char* begin, const unsigned char* end) {
        m_pNext = begin;
        m_pEnd = end;
        m_pTextFrom = begin;
        m_pColumnFrom = begin;
    }

    // Where the scanner reads in memory, and the end of that text (null when not scanning
    // memory); a caller that has dealt with a whole line itself may step over it.
    const unsigned char* memoryNext() const { return m_pNext; }
    const unsigned char* memoryEnd() const { return m_pEnd; }
    // Continues at `next`, the start of the line after the one the scanner stood at.
    void skipLineTo(const unsigned char* next) {
        FlushText();
        m_pNext = next;
        m_pTextFrom = next;
        newline();
    }

    // The token types that nextPlainToken makes without a rule: characters that are tokens
    // by themselves and never begin a longer one, and names (looked up as literals).
    struct PlainTokens {
        std::array<unsigned char, 256> single{}; // the character's token type, 0 for none
        int name = 0;
    };
    // In memory and outside guesses, the next token when it is plain: made at once, as its rule
    // would make it, after the blanks resetText steps over. Null for any other token, which the
    // rules then read from where this left off.
    antlr::RefToken nextPlainToken(const PlainTokens& plain) {
        if (!m_pNext || inputState->guessing != 0 || !saveConsumedInput)
            return antlr::nullToken;
        resetText();
        if (m_pNext == m_pEnd)
            return antlr::nullToken;
        const unsigned char c = *m_pNext;
        if (const int type = plain.single[c]) {
            ++m_pNext;
            return makeToken(type);
        }
        if (!IsNameStart(c))
            return antlr::nullToken;
        const unsigned char* next = m_pNext + 1;
        while (next != m_pEnd && IsNameCharacter(*next))
            ++next;
        m_pNext = next;
        return makeToken(testLiteralsTable(plain.name));
    }

    // In memory, steps over the letters, digits, '_' and '$' that follow, as a rule matching
    // them one at a time would.
    void skipNameCharacters() {
        if (!m_pNext || inputState->guessing != 0 || !saveConsumedInput)
            return;
        const unsigned char* next = m_pNext;
        while (next != m_pEnd && IsNameCharacter(*next))
            ++next;
        m_pNext = next;
    }

    // In memory, steps over the characters that follow up to the quote, a backslash, a line
    // end, a tab (which moves the column its own way) or a character the scanners never take.
    void skipStringCharacters(unsigned char quote) {
        if (!m_pNext || inputState->guessing != 0 || !saveConsumedInput)
            return;
        const unsigned char* next = m_pNext;
        while (next != m_pEnd && *next != quote && *next != '\\' && *next != '\n' &&
               *next != '\r' && *next != '\t' && *next >= kFirstCharacter)
            ++next;
        m_pNext = next;
    }

    // Blanks that only separate tokens (the script lexer's) are stepped over in memory where
    // the next token starts, rather than scanned as a token of their own that is skipped.
    void stepOverBlanks(bool on) { m_stepOverBlanks = on; }

    // In memory the text of a token is copied in one piece when first read (a token made, a
    // literal looked up) rather than a character at a time, and not at all for skipped tokens.
    // The runtime's, without building an empty string to assign.
    void resetText() final {
        // Outside memory both ends are null.
        if (m_pNext != m_pEnd && *m_pNext == ' ' && m_stepOverBlanks && inputState->guessing == 0)
            do
                ++m_pNext;
            while (m_pNext != m_pEnd && *m_pNext == ' ');
        CharScanner::text.clear();
        m_pMade = nullptr;
        m_pTextFrom = m_pNext;
        m_pLookedUpAt = nullptr;
        inputState->tokenStartColumn = SettledColumn();
        inputState->tokenStartLine = inputState->line;
    }

    // In memory the column is counted from where it was last known when asked for, rather
    // than a character at a time; tabs and new lines settle it.
    int getColumn() const final { return SettledColumn(); }
    void setColumn(int c) final {
        CharScanner::setColumn(c);
        m_pColumnFrom = m_pNext;
    }
    void newline() final {
        CharScanner::newline();
        m_pColumnFrom = m_pNext;
    }
    const std::string& getText() const final {
        FlushText();
        return CharScanner::text;
    }
    void setText(const std::string& s) final {
        CharScanner::text = s;
        m_pTextFrom = m_pNext;
        m_pLookedUpAt = nullptr;
    }
    void append(char c) final {
        FlushText();
        m_pLookedUpAt = nullptr;
        CharScanner::append(c);
    }
    void append(const std::string& s) final {
        FlushText();
        m_pLookedUpAt = nullptr;
        CharScanner::append(s);
    }

    // Tokens come from the scanner's pool rather than one heap allocation each. A token read
    // in memory with nothing copied yet takes its text from there; the rule that made it
    // then sets that same text again (see TextView).
    antlr::RefToken makeToken(int type) final {
        const antlr::RefToken& made = m_pTokens->Make();
        auto* token = static_cast<PooledToken*>(made.get());
        token->Start(type, inputState->tokenStartLine, inputState->tokenStartColumn);
        if (m_pNext && CharScanner::text.empty()) {
            token->AssignText(m_pTextFrom, m_pNext);
            m_pMade = token;
            m_pMadeFrom = m_pTextFrom;
            m_pMadeTo = m_pNext;
        }
        return made;
    }

    // Final, so that the generated rules call these directly, and inlined into them (the
    // compiler would not on its own); the matches below are the runtime's own, restated so
    // that they too reach LA and consume without a virtual call.
    [[gnu::always_inline]] int LA(unsigned int i) final {
        if (!m_pNext)
            return CharScanner::LA(i);
        const unsigned char* at = m_pNext + (i - 1);
        return at < m_pEnd ? *at : EOF_CHAR;
    }

    [[gnu::always_inline]] void consume() final {
        if (!m_pNext) {
            CharScanner::consume();
            return;
        }
        if (m_pNext >= m_pEnd)
            return;
        const unsigned char c = *m_pNext;
        if (inputState->guessing == 0 && saveConsumedInput) {
            if (c == '\t')
                ConsumeTab();
            else
                ++m_pNext;
            return;
        }
        // A character left out of the text ends the pending run.
        FlushText();
        if (inputState->guessing == 0 && c == '\t') {
            ConsumeTab();
        } else if (inputState->guessing == 0) {
            ++m_pNext;
        } else {
            SettledColumn(); // a guess moves no column
            m_pColumnFrom = ++m_pNext;
        }
        m_pTextFrom = m_pNext;
    }

    [[gnu::always_inline]] void match(int c) final {
        const int la = LA(1);
        if (la != c)
            Mismatch(la, c, false);
        consume();
    }
    void match(const antlr::BitSet& set) final {
        const int la = LA(1);
        if (!set.member(la))
            MismatchSet(la, set);
        consume();
    }
    void match(const char* s) final {
        for (; *s != '\0'; ++s)
            match(*s & 0xFF);
    }
    void match(const std::string& s) final {
        for (char c : s)
            match(c & 0xFF);
    }
    [[gnu::always_inline]] void matchNot(int c) final {
        const int la = LA(1);
        if (la == c)
            Mismatch(la, c, true);
        consume();
    }
    [[gnu::always_inline]] void matchRange(int low, int high) final {
        const int la = LA(1);
        if (la < low || la > high)
            MismatchRange(la, low, high);
        consume();
    }

    // The runtime's literal table, looked up through a hash table built from it, on the text
    // where it lies in memory while nothing of it has been copied.
    // Where both a token rule and the generated nextToken test literals, the text is looked up
    // twice with nothing scanned between: the second time the answer is known.
    int testLiteralsTable(int ttype) const final {
        if (m_pNext && m_pLookedUpAt == m_pNext && ttype == m_lookedUpType)
            return ttype;
        if (m_pNext && CharScanner::text.empty()) {
            m_lookedUpType =
                FindLiteral(std::string_view(reinterpret_cast<const char*>(m_pTextFrom),
                                             static_cast<size_t>(m_pNext - m_pTextFrom)),
                            ttype);
        } else {
            FlushText();
            m_lookedUpType = FindLiteral(CharScanner::text, ttype);
        }
        m_pLookedUpAt = m_pNext;
        return m_lookedUpType;
    }
    int testLiteralsTable(const std::string& txt, int ttype) const final {
        return FindLiteral(txt, ttype);
    }

protected:
    // The generated rules read `text` by name only to take a token's text: its length where a
    // rule starts and the piece it matched once it has made its token. This view, hiding the
    // runtime's member, answers both without a temporary string; the piece of a token just
    // made from memory is that token's own text, so that setting it again copies nothing.
    class TextView {
    public:
        explicit TextView(MemoryScanner& scanner) : m_scanner(scanner) {}
        TextView(const TextView&) = delete;
        TextView& operator=(const TextView&) = delete;

        size_t length() const { return m_scanner.TextLength(); }
        const std::string& substr(size_t begin, size_t count) const {
            return m_scanner.TextPiece(begin, count);
        }

    private:
        MemoryScanner& m_scanner;
    };
    TextView text{*this};

private:
    // The scanners' character vocabulary starts here.
    static constexpr unsigned char kFirstCharacter = 3;
    static bool IsNameStart(unsigned char c) {
        return static_cast<unsigned char>((c | 0x20) - 'a') < 26 || c == '_' || c == '$';
    }
    static bool IsNameCharacter(unsigned char c) {
        return static_cast<unsigned char>((c | 0x20) - 'a') < 26 ||
               static_cast<unsigned char>(c - '0') < 10 || c == '_' || c == '$';
    }
    int SettledColumn() const {
        if (m_pNext != m_pColumnFrom) {
            inputState->column += static_cast<int>(m_pNext - m_pColumnFrom);
            m_pColumnFrom = m_pNext;
        }
        return inputState->column;
    }
    // The tab stop is reached from the column the tab stands at.
    void ConsumeTab() {
        tab();
        m_pColumnFrom = ++m_pNext;
    }

    size_t TextLength() const {
        return CharScanner::text.size() + static_cast<size_t>(m_pNext - m_pTextFrom);
    }
    [[gnu::always_inline]] const std::string& TextPiece(size_t begin, size_t count) {
        if (m_pMade && begin == 0 && m_pTextFrom == m_pMadeFrom && m_pNext == m_pMadeTo &&
            CharScanner::text.empty() && count == static_cast<size_t>(m_pNext - m_pTextFrom))
            return m_pMade->Unchanged();
        return CopiedPiece(begin, count);
    }
    [[gnu::noinline]] const std::string& CopiedPiece(size_t begin, size_t count) {
        FlushText();
        const std::string& whole = CharScanner::text;
        if (begin == 0 && count >= whole.size())
            return whole;
        m_piece.assign(whole, begin, count);
        return m_piece;
    }

    // The text is logically the scanner's state as the runtime sees it; only its copying is
    // put off.
    void FlushText() const {
        if (m_pTextFrom != m_pNext) {
            const_cast<std::string&>(CharScanner::text)
                .append(reinterpret_cast<const char*>(m_pTextFrom),
                        static_cast<size_t>(m_pNext - m_pTextFrom));
            m_pTextFrom = m_pNext;
        }
    }

    // Out of line, so that the matches stay small enough to inline into the rules.
    [[noreturn, gnu::cold, gnu::noinline]] void Mismatch(int la, int c, bool matchNot) {
        throw antlr::MismatchedCharException(la, c, matchNot, this);
    }
    [[noreturn, gnu::cold, gnu::noinline]] void MismatchSet(int la, const antlr::BitSet& set) {
        throw antlr::MismatchedCharException(la, set, false, this);
    }
    [[noreturn, gnu::cold, gnu::noinline]] void MismatchRange(int la, int low, int high) {
        throw antlr::MismatchedCharException(la, low, high, false, this);
    }

    // Keywords are few: an open-addressed table hashed on length and end characters sends most
    // names to an empty slot at once.
    static size_t LiteralSlot(std::string_view key) {
        return (key.size() * 31 + static_cast<unsigned char>(key.front()) * 7 +
                static_cast<unsigned char>(key.back())) &
               (kLiteralSlots - 1);
    }
    int FindLiteral(std::string_view key, int ttype) const {
        if (m_literalCount != literals.size()) [[unlikely]]
            return FindLiteralFirst(key, ttype);
        if (key.size() <= 1) {
            // Punctuation, a literal of its own, is answered at once.
            if (key.empty())
                return ttype;
            const int type = m_oneCharLiterals[static_cast<unsigned char>(key.front())];
            return type != 0 ? type : ttype;
        }
        for (size_t slot = LiteralSlot(key);; slot = (slot + 1) & (kLiteralSlots - 1)) {
            const int entry = m_literalSlots[slot];
            if (entry < 0)
                return ttype;
            const auto& [word, type] = m_literalList[static_cast<size_t>(entry)];
            if (word.size() == key.size() && word.front() == key.front() && word == key)
                return type;
        }
    }
    // Out of line, so that the lookup itself needs no room for a string: the runtime's own
    // search where the table cannot serve, else the table is built first.
    [[gnu::noinline]] int FindLiteralFirst(std::string_view key, int ttype) const {
        // The table keeps at least half its slots empty, so that searches end soon.
        if (!getCaseSensitiveLiterals() || literals.size() > kLiteralSlots / 2)
            return CharScanner::testLiteralsTable(std::string(key), ttype);
        BuildLiteralTable();
        return FindLiteral(key, ttype);
    }
    void BuildLiteralTable() const {
        m_literalList.assign(literals.begin(), literals.end());
        m_literalSlots.assign(kLiteralSlots, -1);
        m_oneCharLiterals.fill(0);
        for (size_t i = 0; i < m_literalList.size(); ++i) {
            const std::string& word = m_literalList[i].first;
            if (word.empty())
                continue;
            if (word.size() == 1) {
                m_oneCharLiterals[static_cast<unsigned char>(word.front())] =
                    m_literalList[i].second;
                continue;
            }
            size_t slot = LiteralSlot(word);
            while (m_literalSlots[slot] >= 0)
                slot = (slot + 1) & (kLiteralSlots - 1);
            m_literalSlots[slot] = static_cast<int>(i);
        }
        m_literalCount = literals.size();
    }

    static constexpr size_t kLiteralSlots = 256;
    mutable std::vector<std::pair<std::string, int>> m_literalList;
    mutable std::vector<int> m_literalSlots;
    mutable std::array<int, 256> m_oneCharLiterals{}; // 0 where none
    mutable size_t m_literalCount = static_cast<size_t>(-1);
    struct ReleasePool {
        void operator()(TokenPool* pool) const { pool->Release(); }
    };

    std::unique_ptr<TokenPool, ReleasePool> m_pTokens{TokenPool::Create()};
    bool m_stepOverBlanks = false;
    const unsigned char* m_pNext = nullptr;
    const unsigned char* m_pEnd = nullptr;
    mutable const unsigned char* m_pTextFrom = nullptr;   // start of text not yet copied
    mutable const unsigned char* m_pColumnFrom = nullptr; // where the column was last counted
    // Where the scanner stood at the last literal lookup, and its answer.
    mutable const unsigned char* m_pLookedUpAt = nullptr;
    mutable int m_lookedUpType = 0;
    // The token last made with its text from memory, and the text it took.
    PooledToken* m_pMade = nullptr;
    const unsigned char* m_pMadeFrom = nullptr;
    const unsigned char* m_pMadeTo = nullptr;
    std::string m_piece; // a piece of the text that is not all of it
};

} // namespace translate
