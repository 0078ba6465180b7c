// The context of one compile run: target version, the constant pool and working stacks.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace translate {

class ASInfo {
public:
    explicit ASInfo(int version);

    // Keeps the first offer of each string while the pool has room (256 strings before
    // SWF 6; from SWF 6 as many as its 16-bit count and length fields can describe).
    void addString(const std::string& s);
    int indexOf(const std::string& s) const;
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
    std::unordered_map<std::string, int> m_index;
    int m_poolBytes = 0;
};

} // namespace translate
