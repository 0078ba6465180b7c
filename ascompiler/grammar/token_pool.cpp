#include "ascompiler/grammar/token_pool.h"

#include <new>

namespace translate {
namespace {

// Enough for the tokens a parse holds at once; more go back to the heap.
constexpr size_t kMaxFree = 4096;

} // namespace

void PooledToken::operator delete(PooledToken* token, std::destroying_delete_t) {
    token->m_pPool->Recycle(token);
}

PooledToken* TokenPool::Make() {
    void* memory;
    if (m_free.empty()) {
        memory = ::operator new(sizeof(PooledToken));
    } else {
        memory = m_free.back();
        m_free.pop_back();
    }
    ++m_users;
    return new (memory) PooledToken(this);
}

void TokenPool::Recycle(PooledToken* token) {
    token->~PooledToken();
    bool kept = false;
    if (m_free.size() < kMaxFree) {
        try {
            m_free.push_back(token);
            kept = true;
        } catch (const std::bad_alloc&) {
        }
    }
    if (!kept)
        ::operator delete(token);
    Leave();
}

TokenPool::~TokenPool() {
    for (void* memory : m_free)
        ::operator delete(memory);
}

} // namespace translate
