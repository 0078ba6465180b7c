#include "ascompiler/grammar/token_pool.h"

#include <utility>

namespace translate {

void PooledToken::operator delete(PooledToken* token, std::destroying_delete_t) {
    TokenPool* pool = token->m_pPool;
    token->~PooledToken();
    ::operator delete(token);
    pool->Leave();
}

PooledToken* TokenPool::Add() {
    if (m_refs.size() == m_refs.capacity())
        m_refs.reserve(m_refs.empty() ? 16 : m_refs.size() * 2);
    void* memory = ::operator new(sizeof(PooledToken));
    auto* token = new (memory) PooledToken(this);
    try {
        // Sets the token's reference, counting the pool's hold.
        m_refs.push_back(new antlr::TokenRef(token));
    } catch (...) {
        token->~PooledToken();
        ::operator delete(memory);
        throw;
    }
    ++m_users;
    return token;
}

void TokenPool::Release() {
    const std::vector<antlr::TokenRef*> refs = std::move(m_refs);
    m_refs.clear();
    for (antlr::TokenRef* ref : refs) {
        if (ref->decrement())
            delete ref; // frees its token
    }
    Leave();
}

} // namespace translate
