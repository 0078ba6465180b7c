// Hand-written helpers that the generated script parser calls from its actions.
#pragma once

#include "ascompiler/grammar/token_pool.h"
#include "ascompiler/tree/as_node.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <typeinfo>

namespace translate {

// The text between a string token's quotes with its escapes turned into the bytes they
// stand for (\uXXXX and octal escapes as the UTF-8 of that character).
std::string DecodeStringLiteral(std::string_view token);
// The same, without a copy where the token holds no escape; spare holds a decoded text.
std::string_view StringLiteralText(std::string_view token, std::string& spare);

// A token's text where it lies: the scanners' tokens keep it, which getText() would copy;
// spare holds the copy of any other token's.
inline std::string_view TokenText(const antlr::Token& token, std::string& spare) {
    if (typeid(token) == typeid(PooledToken))
        return static_cast<const PooledToken&>(token).TextView();
    spare = token.getText();
    return spare;
}

// Every node a parse builds, so that a failed parse frees what it built and a successful one
// frees only what the parser discarded.
class NodeKeeper {
public:
    NodeKeeper() = default;
    NodeKeeper(const NodeKeeper&) = delete;
    NodeKeeper& operator=(const NodeKeeper&) = delete;
    ~NodeKeeper() { FreeAll(); }

    ASNode* Keep(ASNode* node) {
        m_built.push_back(node);
        return node;
    }
    // The node leaves the tree (detached, childless) and is freed when the parse ends.
    void Discard(ASNode* node);
    // Success: the tree belongs to the caller; discarded nodes are freed.
    void Release();
    // Failure: every node built is freed once, whatever tree it hangs in.
    void FreeAll() { FreeSince({}); }

    // How far the parse had got, so that a failed part of it can be freed alone.
    struct Mark {
        size_t built = 0;
        size_t discarded = 0;
    };
    Mark Here() const { return {m_built.size(), m_discarded.size()}; }
    // Frees every node built after the mark; none of them may hang in an older node.
    void FreeSince(Mark mark);

private:
    // In blocks, so that a growing parse never asks the allocator for one large piece.
    std::deque<ASNode*> m_built;
    std::deque<ASNode*> m_discarded;
};

} // namespace translate
