// Hand-written helpers that the generated script parser calls from its actions.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

namespace translate {

// The text between a string token's quotes with its escapes turned into the bytes they
// stand for (\uXXXX and octal escapes as the UTF-8 of that character).
std::string DecodeStringLiteral(const std::string& token);

// Every node a parse builds, so that a failed parse frees what it built and a successful one
// frees only what the parser discarded.
class NodeKeeper {
public:
    NodeKeeper() = default;
    NodeKeeper(const NodeKeeper&) = delete;
    NodeKeeper& operator=(const NodeKeeper&) = delete;
    ~NodeKeeper() { FreeAll(); }

    ASNode* Keep(ASNode* node);
    // The node leaves the tree (detached, childless) and is freed when the parse ends.
    void Discard(ASNode* node);
    // Success: the tree belongs to the caller; discarded nodes are freed.
    void Release();
    // Failure: every node built is freed once, whatever tree it hangs in.
    void FreeAll();

private:
    // In blocks, so that a growing parse never asks the allocator for one large piece.
    std::deque<ASNode*> m_built;
    std::deque<ASNode*> m_discarded;
};

// Outcome of a statement parsed while guessing, by absolute token position: the number of
// tokens it took, or -1 when it failed. Keeps nested trial parses linear.
class GuessMemo {
public:
    bool Find(size_t position, long& consumed) const;
    void Store(size_t position, long consumed) { m_results[position] = consumed; }

private:
    std::unordered_map<size_t, long> m_results;
};

} // namespace translate
