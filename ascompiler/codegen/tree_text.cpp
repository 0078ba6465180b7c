#include "ascompiler/codegen/tree_text.h"

#include "core/strings/string_functions.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <vector>

namespace translate {
namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string LocaleText(std::string_view utf8) {
    std::string out;
    std::wstring run; // characters waiting to be encoded together
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const int n = tbx::text::DecodeUtf8Sequence(bytes + i, utf8.size() - i, c);
        if (n > 0) {
            run.push_back(static_cast<wchar_t>(c));
            i += static_cast<size_t>(n);
            continue;
        }
        out += BK_StringWideToAnsi(run);
        run.clear();
        out.push_back(static_cast<char>(bytes[i++]));
    }
    return out + BK_StringWideToAnsi(run);
}

void EncodeTreeText(ASNode* tree, int version) {
    if (version >= 6 || !tree)
        return;
    std::vector<ASNode*> pending{tree};
    while (!pending.empty()) {
        ASNode* node = pending.back();
        pending.pop_back();
        const std::string_view value = node->getValue();
        if (!IsAscii(value))
            node->setValue(LocaleText(value).c_str());
        for (int i = 0; i < node->count(); ++i)
            pending.push_back(node->get(static_cast<unsigned int>(i)));
    }
}

} // namespace translate
