#include "ascompiler/grammar/parse_support.h"

#include "ascompiler/tree/as_node_impl.h"
#include "core/strings/string_functions.h"

namespace translate {
namespace {

void AppendUtf8(std::string& out, unsigned int code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string DecodeStringLiteral(std::string_view token) {
    if (token.size() < 2)
        return {};
    const size_t end = token.size() - 1;
    std::string out;
    out.reserve(end);
    // The lexer has already checked every escape; anything odd is copied as it stands.
    for (size_t i = 1; i < end; ++i) {
        char c = token[i];
        if (c != '\\' || i + 1 >= end) {
            out += c;
            continue;
        }
        char e = token[++i];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'u': {
            while (i + 1 < end && token[i + 1] == 'u')
                ++i;
            unsigned int code = 0;
            for (int digits = 0; digits < 4 && i + 1 < end; ++digits) {
                const int digit = BK_HexDigitValue(static_cast<unsigned char>(token[i + 1]));
                if (digit < 0)
                    break;
                code = code * 16 + static_cast<unsigned int>(digit);
                ++i;
            }
            AppendUtf8(out, code);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned int code = static_cast<unsigned int>(e - '0');
                const int most = e <= '3' ? 3 : 2;
                for (int n = 1;
                     n < most && i + 1 < end && token[i + 1] >= '0' && token[i + 1] <= '7'; ++n)
                    code = code * 8 + static_cast<unsigned int>(token[++i] - '0');
                AppendUtf8(out, code);
            } else {
                out += e; // quote, apostrophe, backslash
            }
        }
    }
    return out;
}

std::string_view StringLiteralText(std::string_view token, std::string& spare) {
    if (token.size() < 2)
        return {};
    if (token.find('\\') == std::string_view::npos)
        return token.substr(1, token.size() - 2);
    spare = DecodeStringLiteral(token);
    return spare;
}

void NodeKeeper::Discard(ASNode* node) {
    if (ASNode* parent = node->getParent()) {
        int index = parent->indexOf(node);
        if (index >= 0)
            parent->remove(static_cast<unsigned int>(index));
    }
    m_discarded.push_back(node);
}

void NodeKeeper::Release() {
    m_built.clear();
    for (ASNode* node : m_discarded) {
        while (node->count() > 0)
            node->remove(static_cast<unsigned int>(node->count() - 1));
        node->destroy();
    }
    m_discarded.clear();
}

void NodeKeeper::FreeSince(Mark mark) {
    for (size_t i = mark.built; i < m_built.size(); ++i)
        while (m_built[i]->count() > 0)
            m_built[i]->remove(static_cast<unsigned int>(m_built[i]->count() - 1));
    for (size_t i = mark.built; i < m_built.size(); ++i)
        m_built[i]->destroy();
    m_built.resize(mark.built);
    m_discarded.resize(mark.discarded);
}

} // namespace translate
