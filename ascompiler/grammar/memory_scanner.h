// Base of the generated scanners: when handed the text in memory it reads the characters
// straight from there instead of through the runtime's character queue, with the runtime's
// own text, line and column keeping. Without it, it is the runtime's scanner unchanged.
#pragma once

#include <antlr/CharScanner.hpp>
#include <antlr/MismatchedCharException.hpp>

#include <string>
#include <unordered_map>

namespace translate {

class MemoryScanner : public antlr::CharScanner {
public:
    MemoryScanner(antlr::InputBuffer& cb, bool caseSensitive) : CharScanner(cb, caseSensitive) {}
    MemoryScanner(antlr::InputBuffer* cb, bool caseSensitive) : CharScanner(cb, caseSensitive) {}
    MemoryScanner(const antlr::LexerSharedInputState& state, bool caseSensitive)
        : CharScanner(state, caseSensitive) {}

    // From now on the scanner reads [begin, end), which must outlive it; the input buffer
    // given to the constructor is no longer read. Only for case-sensitive scanning.
    void scanMemory(const unsigned char* begin, const unsigned char* end) {
        m_pNext = begin;
        m_pEnd = end;
    }

    // Where the scanner reads in memory, and the end of that text (null when not scanning
    // memory); a caller that has dealt with a whole line itself may step over it.
    const unsigned char* memoryNext() const { return m_pNext; }
    const unsigned char* memoryEnd() const { return m_pEnd; }
    // Continues at `next`, the start of the line after the one the scanner stood at.
    void skipLineTo(const unsigned char* next) {
        m_pNext = next;
        newline();
    }

    // Final, so that the generated rules call these directly; the matches below are the
    // runtime's own, restated so that they too reach LA and consume without a virtual call.
    int LA(unsigned int i) final {
        if (!m_pNext)
            return CharScanner::LA(i);
        const unsigned char* at = m_pNext + (i - 1);
        return at < m_pEnd ? *at : EOF_CHAR;
    }

    void consume() final {
        if (!m_pNext) {
            CharScanner::consume();
            return;
        }
        if (m_pNext >= m_pEnd)
            return;
        if (inputState->guessing == 0) {
            const unsigned char c = *m_pNext;
            if (saveConsumedInput)
                text += static_cast<char>(c);
            if (c == '\t')
                tab();
            else
                inputState->column++;
        }
        ++m_pNext;
    }

    void match(int c) final {
        const int la = LA(1);
        if (la != c)
            throw antlr::MismatchedCharException(la, c, false, this);
        consume();
    }
    void match(const antlr::BitSet& set) final {
        const int la = LA(1);
        if (!set.member(la))
            throw antlr::MismatchedCharException(la, set, false, this);
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
    void matchNot(int c) final {
        const int la = LA(1);
        if (la == c)
            throw antlr::MismatchedCharException(la, c, true, this);
        consume();
    }
    void matchRange(int low, int high) final {
        const int la = LA(1);
        if (la < low || la > high)
            throw antlr::MismatchedCharException(la, low, high, false, this);
        consume();
    }

    // The runtime's literal table, looked up through a hash table built from it.
    int testLiteralsTable(int ttype) const override { return FindLiteral(text, ttype); }
    int testLiteralsTable(const std::string& txt, int ttype) const override {
        return FindLiteral(txt, ttype);
    }

private:
    int FindLiteral(const std::string& key, int ttype) const {
        if (!getCaseSensitiveLiterals())
            return CharScanner::testLiteralsTable(key, ttype);
        if (m_literals.size() != literals.size())
            m_literals = std::unordered_map<std::string, int>(literals.begin(), literals.end());
        auto found = m_literals.find(key);
        return found == m_literals.end() ? ttype : found->second;
    }

    mutable std::unordered_map<std::string, int> m_literals;
    const unsigned char* m_pNext = nullptr;
    const unsigned char* m_pEnd = nullptr;
};

} // namespace translate
