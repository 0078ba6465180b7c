// The directive preprocessor of the compiler service: #include, #define, #ifdef, #ifndef,
// #else and #endif, comments removed, one entry per output line.
#include "ascompiler/service/as_parser_impl.h"

#include "Preprocessor.hpp"

#include <antlr/RecognitionException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

namespace translate {
namespace {

// Deeper nesting than this is taken for runaway inclusion even without a cycle.
constexpr size_t kMaxIncludeDepth = 64;
// Files that include others several times would otherwise multiply the text without bound.
constexpr size_t kMaxIncludes = 1024;

std::string SourceLine(std::string_view source, int line) {
    size_t begin = 0;
    for (int n = 1; n < line; ++n) {
        begin = source.find_first_of("\r\n", begin);
        if (begin == std::string_view::npos)
            return {};
        begin += (source.compare(begin, 2, "\r\n") == 0) ? 2 : 1;
    }
    size_t end = source.find_first_of("\r\n", begin);
    return std::string(source.substr(begin, end == std::string_view::npos ? end : end - begin));
}

// How the plain-line check below sees each character.
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

// The length of the line at `p` when the directive scanner would split it, without error,
// into tokens that all pass through unchanged (names, plain numbers, operators, white space,
// strings without escapes) before a line end; otherwise -1, and the scanner takes the line
// token by token. Anything unusual is left to the scanner, so this need not be complete.
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

std::string IdentityOf(const std::string& path) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// Keeps the stack of open files right when an include fails.
class IncludeScope {
public:
    IncludeScope(std::vector<std::string>& stack, std::string file) : m_stack(stack) {
        m_stack.push_back(std::move(file));
    }
    ~IncludeScope() { m_stack.pop_back(); }
    IncludeScope(const IncludeScope&) = delete;
    IncludeScope& operator=(const IncludeScope&) = delete;

private:
    std::vector<std::string>& m_stack;
};

} // namespace

bool ASParserImpl::isDefinition(std::string name) {
    return m_definitions.count(name) != 0;
}

std::string ASParserImpl::pathToFile(std::string name) {
    if (!name.empty() && name.front() == '"')
        name.erase(0, 1);
    if (!name.empty() && name.back() == '"')
        name.pop_back();
    for (const std::string& folder : m_includePaths) {
        std::string candidate = folder + "/" + name;
        std::replace(candidate.begin(), candidate.end(), '\\', '/');
        // Folders and devices are no script files (a device may never end).
        std::error_code error;
        if (!std::filesystem::is_regular_file(candidate, error))
            continue;
        if (FILE* file = std::fopen(candidate.c_str(), "rb")) {
            std::fclose(file);
            return candidate;
        }
    }
    return {};
}

void ASParserImpl::processDirectives(std::istream& input, const char* fileName) {
    // The whole text is kept so that an error can quote its source line.
    std::ostringstream whole;
    if (input.rdbuf() && input.peek() != std::char_traits<char>::eof())
        whole << input.rdbuf();
    ProcessText(whole.str(), fileName ? fileName : "");
}

void ASParserImpl::ProcessText(std::string_view source, const std::string& file) {
    // The output is about as long as the source.
    m_preprocessed.reserve(m_preprocessed.size() + source.size() + source.size() / 8 + 64);
    std::istringstream unused;
    Preprocessor scanner(unused);
    const auto* bytes = reinterpret_cast<const unsigned char*>(source.data());
    scanner.scanMemory(bytes, bytes + source.size());
    scanner.setFilename(file);

    std::string lineText;
    std::string defineName;
    int lineCounter = 0;
    bool definePending = false;
    bool includePending = false;
    bool ifdefPending = false;
    bool ifndefPending = false;
    bool outputOn = true;

    auto writeLine = [&](int line, std::string_view text) {
        m_lineFiles.push_back(file);
        m_lineNumbers.push_back(line);
        m_lineTexts.emplace_back(text);
        m_preprocessed += text;
        m_preprocessed += '\n';
    };
    auto fail = [&](const std::string& message, const antlr::RefToken& token) {
        m_sourceErrorLine = SourceLine(source, token->getLine());
        throw antlr::RecognitionException(message, file, token->getLine(), token->getColumn());
    };

    for (;;) {
        // Most lines hold no directive: they pass through in one step, and a line that is one
        // comment leaves an empty line.
        if (scanner.getColumn() == 1 && lineText.empty() && !definePending && !includePending &&
            !ifdefPending && !ifndefPending && scanner.memoryNext()) {
            const unsigned char* next = scanner.memoryNext();
            const unsigned char* end = scanner.memoryEnd();
            ptrdiff_t length = CommentLineLength(next, end);
            const bool comment = length >= 0;
            if (!comment)
                length = PlainLineLength(next, end);
            if (length >= 0) {
                lineCounter = scanner.getLine();
                std::string_view text;
                if (outputOn && !comment)
                    text = {reinterpret_cast<const char*>(next), static_cast<size_t>(length)};
                writeLine(lineCounter, text);
                const unsigned char* after = next + length;
                after += (after[0] == '\r' && after + 1 < end && after[1] == '\n') ? 2 : 1;
                scanner.skipLineTo(after);
                continue;
            }
        }
        antlr::RefToken token;
        try {
            token = scanner.nextToken();
        } catch (antlr::TokenStreamRecognitionException& e) {
            m_sourceErrorLine = SourceLine(source, e.getLine());
            throw;
        }
        const int type = token->getType();
        if (type == antlr::Token::EOF_TYPE)
            break;
        switch (type) {
        case PreprocessorTokenTypes::SL_COMMENT:
            lineCounter = token->getLine();
            writeLine(lineCounter, "");
            continue;
        case PreprocessorTokenTypes::ML_COMMENT:
            while (lineCounter++ < token->getLine())
                writeLine(lineCounter, "");
            continue;
        case PreprocessorTokenTypes::LINE_END:
            if (definePending) {
                m_definitions.emplace(defineName, "");
                defineName.clear();
                definePending = false;
            }
            lineCounter = token->getLine();
            writeLine(lineCounter, lineText);
            lineText.clear();
            continue;
        case PreprocessorTokenTypes::INCLUDE:
            includePending = true;
            continue;
        case PreprocessorTokenTypes::DEFINE:
            definePending = true;
            continue;
        case PreprocessorTokenTypes::IFDEF:
            ifdefPending = true;
            continue;
        case PreprocessorTokenTypes::IFNDEF:
            ifndefPending = true;
            continue;
        case PreprocessorTokenTypes::ELSE:
            outputOn = !outputOn;
            continue;
        case PreprocessorTokenTypes::ENDIF:
            outputOn = true;
            continue;
        default:
            break;
        }
        const std::string& text = token->getText();
        if (type == PreprocessorTokenTypes::STRING_LITERAL && includePending) {
            const std::string path = pathToFile(text);
            if (path.empty())
                fail("Could not find file: " + text, token);
            const std::string identity = IdentityOf(path);
            if (m_includeStack.size() >= kMaxIncludeDepth ||
                std::find(m_includeStack.begin(), m_includeStack.end(), identity) !=
                    m_includeStack.end())
                fail("File includes itself: " + text, token);
            if (++m_includeCount > kMaxIncludes)
                fail("Too many #include files: " + text, token);
            std::ifstream included(path, std::ios::binary);
            IncludeScope scope(m_includeStack, identity);
            processDirectives(included, path.c_str());
            includePending = false;
            continue;
        }
        if (type == PreprocessorTokenTypes::LITERAL) {
            if (definePending) {
                defineName = text;
                continue;
            }
            if (ifdefPending) {
                outputOn = isDefinition(text);
                ifdefPending = false;
                continue;
            }
            if (ifndefPending) {
                outputOn = !isDefinition(text);
                ifndefPending = false;
                continue;
            }
        }
        if (type == PreprocessorTokenTypes::NUMERIC_LITERAL && definePending) {
            if (defineName.empty())
                fail("Unsupported value for #define: " + text, token);
            m_definitions.emplace(defineName, text);
            defineName.clear();
            definePending = false;
            continue;
        }
        if (outputOn && !(includePending && definePending))
            lineText += text;
    }
    if (!lineText.empty())
        writeLine(++lineCounter, lineText);
}

} // namespace translate
