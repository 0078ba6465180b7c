// Compiles script text through the compiler service for the code generator's tests.
#pragma once

#include "ascompiler/service/as_parser.h"
#include "core/bitstream/byte_buffer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace stravel::testing {

struct Compiled {
    bool parsed = false;
    int error = 0;
    std::string message;
    std::vector<unsigned char> code;
};

inline Compiled CompileScript(const std::string& text, int version = 6) {
    Compiled result;
    translate::ASParser* parser = Parser();
    translate::ASNode* tree = parser->parse(text.c_str());
    result.parsed = tree != nullptr;
    if (tree) {
        const int length = parser->compile(tree, version);
        result.code.resize(static_cast<size_t>(length));
        parser->getCode(result.code.data());
        tree->destroy();
    }
    result.error = parser->getError();
    result.message = parser->getMessage();
    parser->destroy();
    return result;
}

inline std::string Hex(const std::vector<unsigned char>& bytes) {
    std::string text;
    char digits[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, i ? " %02X" : "%02X", bytes[i]);
        text += digits;
    }
    return text;
}

inline std::string Hex(const CBK_ByteBuffer& bytes) {
    return Hex(std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

} // namespace stravel::testing
