// Script text through the directive preprocessor, the lexer, the parser and the code
// generator. Whatever the bytes, the service answers with a tree or an error code; a tree is
// well formed, copies to the same shape, and compiles to code or to a refusal for SWF 5 and 6.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ascompiler/service/as_parser.h"

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// Walks both trees side by side without recursion.
void CheckSameShape(translate::ASNode* a, translate::ASNode* b) {
    std::vector<std::pair<translate::ASNode*, translate::ASNode*>> pending{{a, b}};
    while (!pending.empty()) {
        auto [x, y] = pending.back();
        pending.pop_back();
        Check(x && y);
        Check(x->getType() == y->getType());
        Check(std::strcmp(x->getValue(), y->getValue()) == 0);
        Check(x->count() == y->count());
        for (int i = 0; i < x->count(); ++i) {
            translate::ASNode* child = x->get(static_cast<unsigned int>(i));
            Check(child && child->getParent() == x);
            pending.emplace_back(child, y->get(static_cast<unsigned int>(i)));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    translate::ASParser* service = Parser();
    translate::ASNode* tree = service->parse(text.c_str());
    if (tree) {
        Check(service->getError() == 0);
        translate::ASNode* copy = tree->cloneTree();
        CheckSameShape(tree, copy);
        copy->destroy();
        // The generator rewrites the tree: each version gets a fresh copy.
        for (int version : {5, 6}) {
            translate::ASNode* target = tree->cloneTree();
            const int length = service->compile(target, version);
            const int error = service->getError();
            Check(length >= 0 && (error == 0 || error == 4));
            Check(error == 0 || length == 0);
            std::vector<unsigned char> code(static_cast<size_t>(length) + 1);
            Check(service->getCode(code.data()) == length);
            target->destroy();
        }
        tree->destroy();
    } else {
        const int error = service->getError();
        Check(error == 0 || error == 2 || error == 4);
        Check(error != 0 || text.c_str()[0] == '\0');
    }
    service->destroy();
    return 0;
}
