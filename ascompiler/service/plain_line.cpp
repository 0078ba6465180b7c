#include "ascompiler/service/plain_line.h"

#include <array>
#include <string_view>

namespace translate {
namespace {

// How the plain-line checks see each character.
enum CharClass : unsigned char {
    kOther,
    kName,
    kDigit,
    kDot,
    kSpace,
    kOperator,
    kSlash,
    kQuote,
    kLineEnd
};

constexpr std::array<CharClass, 256> MakeCharClasses() {
    std::array<CharClass, 256> classes{};
    for (int c = 'a'; c <= 'z'; ++c)
        classes[c] = classes[c - 'a' + 'A'] = kName;
    classes['_'] = classes['$'] = kName;
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = kDigit;
    classes['.'] = kDot;
    classes[' '] = classes['\t'] = classes['\f'] = kSpace;
    for (unsigned char c : std::string_view("()[]{};,?:=+-*%<>&|^!~"))
        classes[c] = kOperator;
    classes['/'] = kSlash;
    classes['"'] = classes['\''] = kQuote;
    classes['\n'] = classes['\r'] = kLineEnd;
    return classes;
}
constexpr std::array<CharClass, 256> kCharClasses = MakeCharClasses();

bool IsDigit(unsigned char c) {
    return kCharClasses[c] == kDigit;
}

bool IsHexDigit(unsigned char c) {
    return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// Steps over the escape after a backslash in a string; null for one the scanner must judge.
const unsigned char* SkipEscape(const unsigned char* p, const unsigned char* end) {
    if (p == end)
        return nullptr;
    switch (*p) {
    case 'n':
    case 'r':
    case 't':
    case 'b':
    case 'f':
    case '"':
    case '\'':
    case '\\':
        return p + 1;
    case 'u':
        while (p < end && *p == 'u')
            ++p;
        for (int n = 0; n < 4; ++n, ++p)
            if (p == end || !IsHexDigit(*p))
                return nullptr;
        return p;
    default:
        // Further octal digits belong to the escape or the string alike.
        return *p >= '0' && *p <= '7' ? p + 1 : nullptr;
    }
}

} // namespace

ptrdiff_t CommentLineLength(const unsigned char* begin, const unsigned char* end) {
    if (end - begin < 2 || begin[0] != '/' || begin[1] != '/')
        return -1;
    for (const unsigned char* p = begin + 2; p < end; ++p) {
        if (*p == '\n' || *p == '\r')
            return p - begin;
        if (*p < 3) // outside the scanner's characters
            return -1;
    }
    return -1;
}

ptrdiff_t PlainLineLength(const unsigned char* begin, const unsigned char* end) {
    const unsigned char* p = begin;
    while (p < end) {
        switch (kCharClasses[*p]) {
        case kName:
            ++p;
            while (p < end && (kCharClasses[*p] == kName || kCharClasses[*p] == kDigit))
                ++p;
            break;
        case kSpace:
        case kOperator:
            ++p;
            break;
        case kSlash:
            if (p + 1 < end && (p[1] == '/' || p[1] == '*'))
                return -1;
            ++p;
            break;
        case kDot:
            ++p;
            if (p < end && IsDigit(*p)) {
                while (p < end && IsDigit(*p))
                    ++p;
                // Exponents can be malformed: the scanner judges them.
                if (p < end && (*p | 0x20) == 'e')
                    return -1;
            }
            break;
        case kDigit:
            if (*p == '0' && p + 1 < end && (p[1] | 0x20) == 'x') {
                p += 2;
                if (p == end || !IsHexDigit(*p))
                    return -1;
                while (p < end && IsHexDigit(*p))
                    ++p;
            } else {
                while (p < end && IsDigit(*p))
                    ++p;
            }
            if (p < end && *p == '.') {
                ++p;
                while (p < end && IsDigit(*p))
                    ++p;
            }
            if (p < end && (*p | 0x20) == 'e')
                return -1;
            break;
        case kQuote: {
            const unsigned char quote = *p++;
            while (p < end && *p != quote) {
                if (*p == '\n' || *p == '\r' || *p < 3) // the last outside its characters
                    return -1;
                if (*p == '\\') {
                    p = SkipEscape(p + 1, end);
                    if (!p)
                        return -1;
                    continue;
                }
                ++p;
            }
            if (p == end)
                return -1;
            ++p;
            break;
        }
        case kLineEnd:
            return p - begin;
        case kOther:
            return -1;
        }
    }
    return -1; // the last line is left to the scanner
}

} // namespace translate
