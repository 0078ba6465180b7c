#include "ascompiler/service/plain_line.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Names, white space and operators pass through whatever stands around them. So do digits
// after a letter or digit (a number is stepped over with all its digits, so such a digit is
// inside a name), dots before anything but a digit and slashes that start no comment. The
// rest (numbers, strings, comments, line ends and strangers) needs a closer look.
bool IsSimple(const unsigned char* p, const unsigned char* begin, const unsigned char* end) {
    switch (kCharClasses[*p]) {
    case kName:
    case kSpace:
    case kOperator:
        return true;
    case kDigit:
        return p != begin && (kCharClasses[p[-1]] == kName || kCharClasses[p[-1]] == kDigit);
    case kDot:
        return p + 1 == end || !IsDigit(p[1]);
    case kSlash:
        return p + 1 == end || (p[1] != '/' && p[1] != '*');
    default:
        return false;
    }
}

// Bytes are looked at in blocks; the bytes just before and after a block must be readable.
constexpr ptrdiff_t kBlock = 16;

#if defined(__SSE2__)
using Block = unsigned char __attribute__((vector_size(kBlock)));
using SignedBlock = signed char __attribute__((vector_size(kBlock)));
using Mask = SignedBlock;

Block Load(const unsigned char* p) {
    Block v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Comparisons give all ones or all zeros per byte, so their results combine bitwise.
Mask Digits(Block v) {
    return (v - '0') <= 9;
}

Mask NameCharacters(Block v) {
    return (((v | 0x20) - 'a') <= 'z' - 'a') | (v == '_') | (v == '$');
}

// Bit i set where IsSimple is false for p[i], i below kBlock: outside the characters that
// pass whatever their neighbours, and numbers, dots with digits and comments.
uint32_t SpecialBits(const unsigned char* p) {
    const Block v = Load(p);
    const Block before = Load(p - 1);
    const Block next = Load(p + 1);
    // Taken as signed, control characters and bytes from 0x80 on are all below the space.
    const Mask control = (SignedBlock(v) < ' ') & ~((v == '\t') | (v == '\f'));
    const Mask stranger = (((v - '"') <= 1) | (v == '\'') | (v == '\\') | (v == 0x7F) |
                           ((v | 0x20) == '`')); // " # ' \ DEL @ `
    const Mask special =
        control | stranger | (Digits(v) & ~(NameCharacters(before) | Digits(before))) |
        ((v == '.') & Digits(next)) | ((v == '/') & ((next == '/') | (next == '*')));
    return static_cast<uint32_t>(_mm_movemask_epi8(__m128i(special)));
}
#else
uint32_t SpecialBits(const unsigned char* p) {
    uint32_t bits = 0;
    for (ptrdiff_t i = 0; i < kBlock; ++i)
        if (!IsSimple(p + i, p - 1, p + kBlock + 1))
            bits |= 1u << i;
    return bits;
}
#endif

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

// Steps over the token at `p`, which IsSimple refuses, when it passes through unchanged;
// null for a line end and for anything the scanner must judge.
const unsigned char* SkipSpecial(const unsigned char* p, const unsigned char* end) {
    switch (kCharClasses[*p]) {
    case kDigit: // a number
        if (*p == '0' && p + 1 < end && (p[1] | 0x20) == 'x') {
            p += 2;
            if (p == end || !IsHexDigit(*p))
                return nullptr;
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
        // Exponents can be malformed: the scanner judges them.
        return p < end && (*p | 0x20) == 'e' ? nullptr : p;
    case kDot: // with digits
        ++p;
        while (p < end && IsDigit(*p))
            ++p;
        return p < end && (*p | 0x20) == 'e' ? nullptr : p;
    case kQuote: {
        const unsigned char quote = *p++;
        while (p < end && *p != quote) {
            if (*p == '\n' || *p == '\r' || *p < 3) // the last outside its characters
                return nullptr;
            if (*p == '\\') {
                p = SkipEscape(p + 1, end);
                if (!p)
                    return nullptr;
                continue;
            }
            ++p;
        }
        return p == end ? nullptr : p + 1;
    }
    default: // comments, line ends and strangers
        return nullptr;
    }
}

// The length of a line that is one // comment, up to its line end; otherwise -1.
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

// Just after the "*/" of the comment whose text starts at `p`, just after its "/*", counting
// the line ends in it; null where the scanner must judge it (unclosed, or holding characters
// outside the scanner's).
const unsigned char* CommentEnd(const unsigned char* p, const unsigned char* end, int& lineEnds) {
    for (; end - p >= 2; ++p) {
        if (p[0] == '*' && p[1] == '/')
            return p + 2;
        if (*p < 3)
            return nullptr;
        // CR LF is one line end, counted at its LF.
        if (*p == '\n' || (*p == '\r' && p[1] != '\n'))
            ++lineEnds;
    }
    return nullptr;
}

} // namespace

PlainRun PassPlainLines(const unsigned char* begin, const unsigned char* end, bool keepText,
                        std::string& out, LineTable& lines, uint32_t file, int firstLine) {
    const unsigned char* line = begin;     // start of the line being checked
    int lineNumber = firstLine;            // its number in the file
    const unsigned char* copyFrom = begin; // start of the text that comes out as it stands
    const unsigned char* p = begin;        // all before it checked
    const unsigned char* block = nullptr;  // the block whose special bytes are in `bits`
    uint32_t bits = 0;
    // A line that starts with a /* comment comes out as an empty line of its own, then what
    // follows the comment on the line where it closes.
    bool comment = false;
    int commentLineEnds = 0;

    auto flushTo = [&](const unsigned char* until) {
        out.append(reinterpret_cast<const char*>(copyFrom), static_cast<size_t>(until - copyFrom));
    };
    // Ends the line at its line end; `keep` whether its text comes out.
    auto endLine = [&](const unsigned char* lineEnd, bool keep) __attribute__((always_inline)) {
        const unsigned char* next =
            lineEnd + ((lineEnd[0] == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n') ? 2 : 1);
        if (comment) {
            lines.Add(file, lineNumber, 1);
            out += '\n';
            lineNumber += commentLineEnds;
            comment = false;
        }
        if (!keep || lineEnd[0] != '\n') {
            if (keep)
                flushTo(lineEnd);
            out += '\n';
            copyFrom = next;
        }
        lines.Add(file, lineNumber++, 1);
        line = p = next;
    };
    // The first byte from p on that IsSimple refuses, or the end.
    auto nextSpecial = [&]() -> const unsigned char* {
        for (;;) {
            if (block && p < block + kBlock) {
                bits &= ~0u << (p - block);
                if (bits)
                    return block + std::countr_zero(bits);
                p = block + kBlock;
            }
            // A block needs the byte before it, so the first byte is taken alone.
            if (p != begin && end - p > kBlock) {
                block = p;
                bits = SpecialBits(p);
                continue;
            }
            block = nullptr;
            while (p < end && IsSimple(p, begin, end))
                ++p;
            return p;
        }
    };

    for (;;) {
        if (p == line) {
            if (p == end)
                break;
            // A line that is one // comment comes out empty.
            const ptrdiff_t length = CommentLineLength(p, end);
            if (length >= 0) {
                flushTo(line);
                copyFrom = line;
                endLine(p + length, false);
                continue;
            }
            if (end - p >= 2 && p[0] == '/' && p[1] == '*') {
                commentLineEnds = 0;
                const unsigned char* after = CommentEnd(p + 2, end, commentLineEnds);
                if (!after)
                    break;
                flushTo(line);
                copyFrom = p = after;
                comment = true;
            }
        }
        const unsigned char* special = nextSpecial();
        if (special == end)
            break; // the last line is left to the scanner
        if (*special == '\n' || *special == '\r') {
            endLine(special, keepText);
            continue;
        }
        p = SkipSpecial(special, end);
        if (!p)
            break;
    }
    // Whatever was passed on stays; the line the scanner takes over starts afresh.
    if (!comment)
        flushTo(line);
    return {line, lineNumber};
}

} // namespace translate
