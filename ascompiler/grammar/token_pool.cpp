#include "ascompiler/grammar/token_pool.h"

#include <utility>

namespace translate {

void PooledToken::operator delete(PooledToken* token, std::destroying_delete_t) {
    TokenPool* pool = token->m_pPool;
    token->~PooledToken();
    ::operator delete(token);
    pool->Leave();
}

const antlr::RefToken& TokenPool::Add() {
    if (m_slots.size() == m_slots.capacity())
        m_slots.reserve(m_slots.empty() ? 16 : m_slots.size() * 2);
    void* memory = ::operator new(sizeof(PooledToken));
    auto* token = new (memory) PooledToken(this);
    antlr::TokenRef* ref;
    try {
        ref = new antlr::TokenRef(token); // the token's count, at 1
    } catch (...) {
        token->~PooledToken();
        ::operator delete(memory);
        throw;
    }
    ++m_users;
    m_slots.push_back(Slot{antlr::RefToken(), ref});
    Slot& slot = m_slots.back();
    slot.token = token; // a second hold, through the count made above
    ref->decrement();   // which is the only one
    return slot.token;
}

void TokenPool::Release() {
    // Tokens no one else holds go now; the others with their last holder.
    std::vector<Slot> slots = std::move(m_slots);
    slots.clear();
    Leave();
}

} // namespace translate
