// Tokens for the scanners, whose memory is reused as the parser lets tokens go instead of
// going back to the heap for every token.
#pragma once

#include <antlr/CommonToken.hpp>

#include <cstddef>
#include <new>
#include <vector>

namespace translate {

class TokenPool;

class PooledToken final : public antlr::CommonToken {
public:
    explicit PooledToken(TokenPool* pool) : m_pPool(pool) {}
    // The runtime deletes tokens through its reference counts: the memory goes to the pool.
    static void operator delete(PooledToken* token, std::destroying_delete_t);

private:
    TokenPool* m_pPool;
};

// A token may outlive its scanner (an exception carries one), so the pool lives until both
// its owner and every token made from it are gone.
class TokenPool {
public:
    static TokenPool* Create() { return new TokenPool(); }
    PooledToken* Make();
    // The owner is done with the pool.
    void Release() { Leave(); }
    void Recycle(PooledToken* token);

private:
    TokenPool() = default;
    ~TokenPool();
    void Leave() {
        if (--m_users == 0)
            delete this;
    }

    std::vector<void*> m_free;
    size_t m_users = 1;
};

} // namespace translate
