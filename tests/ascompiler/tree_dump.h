// One-line dumps of syntax trees for golden comparisons: each node's toString() with its
// children in brackets.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <string>
#include <vector>

namespace stravel::testing {

// Walked with a stack of its own, so that a tree of any depth dumps.
inline std::string DumpTree(translate::ASNode* root) {
    if (!root)
        return "null";
    std::string text;
    // A node to print, or without one the text that closes or separates its siblings.
    struct Step {
        translate::ASNode* node;
        const char* text;
    };
    std::vector<Step> steps{{root, ""}};
    while (!steps.empty()) {
        const Step step = steps.back();
        steps.pop_back();
        if (!step.node) {
            text += step.text;
            continue;
        }
        std::string name = step.node->toString();
        while (!name.empty() && (name.back() == ' ' || name.back() == ';'))
            name.pop_back();
        text += name;
        const int count = step.node->count();
        if (count == 0)
            continue;
        text += " [";
        steps.push_back({nullptr, "]"});
        for (int i = count - 1; i >= 0; --i) {
            translate::ASNode* child = step.node->get(static_cast<unsigned int>(i));
            if (!child)
                steps.push_back({nullptr, "null"}); // printed as the recursion did
            else
                steps.push_back({child, ""});
            if (i > 0)
                steps.push_back({nullptr, ", "});
        }
    }
    return text;
}

} // namespace stravel::testing
