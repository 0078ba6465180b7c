// Tokens for the scanners. The pool holds a reference to every token it made, so that the
// runtime's reference counting neither allocates nor frees anything per token: a token whose
// count is back to the pool's own is free to be made again.
#pragma once

#include <antlr/CommonToken.hpp>
#include <antlr/TokenRefCount.hpp>

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace translate {

class TokenPool;

class PooledToken final : public antlr::CommonToken {
public:
    explicit PooledToken(TokenPool* pool) : m_pPool(pool) {}
    // A token is deleted only by its last holder once the pool's owner is gone, or by the pool.
    static void operator delete(PooledToken* token, std::destroying_delete_t);

    // Made again: what the previous use left is overwritten.
    void Start(int type, int line, int column) {
        text.clear();
        m_pBegin = m_pEnd = nullptr;
        setType(type);
        this->line = line;
        col = column;
    }
    // The text is left where the scanner read it in memory, which outlives the token; it is
    // copied only for whoever asks for a string.
    void AssignText(const unsigned char* begin, const unsigned char* end) {
        m_pBegin = reinterpret_cast<const char*>(begin);
        m_pEnd = reinterpret_cast<const char*>(end);
    }
    std::string_view TextView() const {
        return m_pBegin ? std::string_view(m_pBegin, static_cast<size_t>(m_pEnd - m_pBegin))
                        : std::string_view(text);
    }
    // What setText takes as no change: the rules set a token's text again right after making
    // it.
    const std::string& Unchanged() const { return text; }

    std::string getText() const override { return std::string(TextView()); }
    void setText(const std::string& s) override {
        if (&s == &text)
            return;
        text = s;
        m_pBegin = m_pEnd = nullptr;
    }

private:
    TokenPool* m_pPool;
    const char* m_pBegin = nullptr;
    const char* m_pEnd = nullptr;
};

// A token may outlive its scanner (an exception carries one), so the pool lives until both
// its owner and every token made from it are gone.
class TokenPool {
public:
    static TokenPool* Create() { return new TokenPool(); }
    // The pool's hold on a token no one else holds, with whatever the token kept from its
    // last use; valid until the next Make.
    const antlr::RefToken& Make() {
        // Tokens are let go nearly in the order they were made: the oldest is usually free.
        const size_t size = m_slots.size();
        for (size_t probe = 0; probe < kProbes && probe < size; ++probe) {
            const Slot& slot = m_slots[m_cursor];
            if (++m_cursor == size)
                m_cursor = 0;
            if (slot.pRef->count == 1)
                return slot.token;
        }
        return Add();
    }
    // The owner is done with the pool: tokens held elsewhere are freed by their last holder.
    void Release();

private:
    friend class PooledToken;
    static constexpr size_t kProbes = 4;

    TokenPool() = default;
    ~TokenPool() = default;
    const antlr::RefToken& Add();
    void Leave() {
        if (--m_users == 0)
            delete this;
    }

    // The pool's own hold on each token, in a ring searched from the cursor, beside the
    // count that tells whether anyone else holds it.
    struct Slot {
        antlr::RefToken token;
        const antlr::TokenRef* pRef;
    };
    std::vector<Slot> m_slots;
    size_t m_cursor = 0;
    // The owner and every token alive.
    size_t m_users = 1;
};

} // namespace translate
