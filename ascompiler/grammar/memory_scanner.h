// Base of the generated scanners: when handed the text in memory it reads the characters
// straight from there instead of through the runtime's character queue, with the runtime's
// own text, line and column keeping. Without it, it is the runtime's scanner unchanged.
#pragma once

#include <antlr/CharScanner.hpp>
#include <antlr/MismatchedCharException.hpp>

#include "ascompiler/grammar/token_pool.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

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

    // Tokens come from the scanner's pool rather than one heap allocation each.
    antlr::RefToken makeToken(int type) final {
        antlr::RefToken token(m_pTokens->Make());
        token->setType(type);
        token->setColumn(inputState->tokenStartColumn);
        token->setLine(inputState->tokenStartLine);
        return token;
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
    // Keywords are few and short: a name is compared only with those of its own length.
    int FindLiteral(const std::string& key, int ttype) const {
        if (!getCaseSensitiveLiterals())
            return CharScanner::testLiteralsTable(key, ttype);
        if (m_literalCount != literals.size()) {
            m_literalsByLength.clear();
            for (const auto& [word, type] : literals) {
                if (word.size() >= m_literalsByLength.size())
                    m_literalsByLength.resize(word.size() + 1);
                m_literalsByLength[word.size()].emplace_back(word, type);
            }
            m_literalCount = literals.size();
        }
        if (key.empty() || key.size() >= m_literalsByLength.size())
            return ttype;
        for (const auto& [word, type] : m_literalsByLength[key.size()])
            if (word[0] == key[0] && word == key)
                return type;
        return ttype;
    }

    struct ReleasePool {
        void operator()(TokenPool* pool) const { pool->Release(); }
    };

    std::unique_ptr<TokenPool, ReleasePool> m_pTokens{TokenPool::Create()};
    mutable std::vector<std::vector<std::pair<std::string, int>>> m_literalsByLength;
    mutable size_t m_literalCount = static_cast<size_t>(-1);
    const unsigned char* m_pNext = nullptr;
    const unsigned char* m_pEnd = nullptr;
};

} // namespace translate
