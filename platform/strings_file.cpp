#include "platform/strings_file.h"

#include "platform/text_encoding.h"

namespace tbx::strings_file {
namespace {

class Scanner {
public:
    explicit Scanner(std::u16string_view text) : _text(text) {}

    bool AtEnd() {
        SkipSpaceAndComments();
        return _pos >= _text.size();
    }

    bool Expect(char16_t c) {
        SkipSpaceAndComments();
        if (_pos < _text.size() && _text[_pos] == c) {
            ++_pos;
            return true;
        }
        return false;
    }

    // A quoted string with escapes, or a bare word of letters, digits and "_.-".
    bool ReadToken(std::u16string& out) {
        SkipSpaceAndComments();
        out.clear();
        if (_pos >= _text.size())
            return false;
        if (_text[_pos] != u'"') {
            while (_pos < _text.size() && IsBare(_text[_pos]))
                out.push_back(_text[_pos++]);
            return !out.empty();
        }
        ++_pos;
        while (_pos < _text.size()) {
            char16_t c = _text[_pos++];
            if (c == u'"')
                return true;
            if (c != u'\\') {
                out.push_back(c);
                continue;
            }
            if (_pos >= _text.size())
                return false;
            c = _text[_pos++];
            switch (c) {
            case u'n':
                out.push_back(u'\n');
                break;
            case u't':
                out.push_back(u'\t');
                break;
            case u'r':
                out.push_back(u'\r');
                break;
            case u'U':
            case u'u': {
                char32_t value = 0;
                int digits = 0;
                while (digits < 4 && _pos < _text.size() && IsHex(_text[_pos])) {
                    value = value * 16 + HexValue(_text[_pos++]);
                    ++digits;
                }
                if (digits == 0)
                    return false;
                out.push_back(static_cast<char16_t>(value));
                break;
            }
            default:
                out.push_back(c);
                break;
            }
        }
        return false;
    }

private:
    static bool IsBare(char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               c == u'_' || c == u'.' || c == u'-';
    }
    static bool IsHex(char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }
    static int HexValue(char16_t c) {
        if (c <= u'9')
            return c - u'0';
        return (c | 0x20) - u'a' + 10;
    }

    void SkipSpaceAndComments() {
        while (_pos < _text.size()) {
            char16_t c = _text[_pos];
            if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xFEFF) {
                ++_pos;
            } else if (c == u'/' && _pos + 1 < _text.size() && _text[_pos + 1] == u'/') {
                while (_pos < _text.size() && _text[_pos] != u'\n')
                    ++_pos;
            } else if (c == u'/' && _pos + 1 < _text.size() && _text[_pos + 1] == u'*') {
                std::size_t end = _text.find(u"*/", _pos + 2);
                _pos = end == std::u16string_view::npos ? _text.size() : end + 2;
            } else {
                break;
            }
        }
    }

    std::u16string_view _text;
    std::size_t _pos = 0;
};

} // namespace

bool Parse(std::string_view bytes, std::map<std::u16string, std::u16string>& table) {
    std::u16string text;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() >= 2 &&
        ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        if (!text::Decode(data, bytes.size(), kCFStringEncodingUTF16, true, text))
            return false;
    } else {
        // One bad byte costs no entry: it is kept as a byte escape.
        text = text::Utf8ToUtf16Escaped(bytes);
    }

    // All or nothing: a table cut short by an error would hide the rest as if it were not
    // there.
    std::map<std::u16string, std::u16string> read;
    Scanner scanner(text);
    while (!scanner.AtEnd()) {
        std::u16string key, value;
        if (!scanner.ReadToken(key))
            return false;
        if (scanner.Expect(u';')) { // "key"; maps the key to itself
            read[key] = key;
            continue;
        }
        if (!scanner.Expect(u'=') || !scanner.ReadToken(value) || !scanner.Expect(u';'))
            return false;
        read[key] = value;
    }
    for (auto& [key, value] : read)
        table[key] = std::move(value);
    return true;
}

} // namespace tbx::strings_file
