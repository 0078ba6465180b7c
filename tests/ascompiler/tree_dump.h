// One-line dumps of syntax trees for golden comparisons: each node's toString() with its
// children in brackets.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <string>

namespace stravel::testing {

inline std::string DumpTree(translate::ASNode* node) {
    if (!node)
        return "null";
    std::string text = node->toString();
    while (!text.empty() && (text.back() == ' ' || text.back() == ';'))
        text.pop_back();
    if (node->count() > 0) {
        text += " [";
        for (int i = 0; i < node->count(); ++i) {
            if (i > 0)
                text += ", ";
            text += DumpTree(node->get(static_cast<unsigned int>(i)));
        }
        text += "]";
    }
    return text;
}

} // namespace stravel::testing
