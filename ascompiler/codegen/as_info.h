// The context of one compile run: target version, the constant pool and working stacks.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace translate {

class ASInfo {
public:
    explicit ASInfo(int version);

    // Keeps the first offer of each string while the pool has room (256 strings before
    // SWF 6; from SWF 6 as many as its 16-bit count and length fields can describe).
    void addString(std::string_view s);
    int indexOf(std::string_view s) const;
    bool inContext(const std::string& word) const;

    int version;
    std::vector<ASNode*> nodeStack;
    std::vector<int> numberStack;
    std::vector<std::string> context;
    int repeated = 0;
    std::vector<std::string> pool;

    // What break, continue and return must know about the loops around them: one entry per
    // enclosing loop of the current function or handler, true for a for-in loop.
    std::vector<bool> loops;

private:
    // Slot of s in m_slots: where it is, or the empty slot where it would go.
    size_t Slot(std::string_view s, uint32_t hash) const;
    void Grow();

    // Open addressing on the pool's strings: each slot holds a pool index + 1 (0 is empty)
    // beside the string's hash, so that a lookup builds no string.
    struct Entry {
        uint32_t hash;
        int32_t index;
    };
    std::vector<Entry> m_slots;
    int m_poolBytes = 0;
};

} // namespace translate
