// The directive preprocessor of the compiler service: #include, #define, #ifdef, #ifndef,
// #else and #endif, comments removed, with the file and line each output line came from.
#include "ascompiler/service/as_parser_impl.h"
#include "ascompiler/service/plain_line.h"

#include "Preprocessor.hpp"

#include <antlr/RecognitionException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <typeinfo>

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

// The rest of a stream: in one read where it can tell its length (files, strings), and then
// whatever follows.
std::string ReadAll(std::streambuf& input) {
    std::string text;
    const std::streamoff here = input.pubseekoff(0, std::ios::cur, std::ios::in);
    const std::streamoff last = input.pubseekoff(0, std::ios::end, std::ios::in);
    if (here >= 0 && last > here && input.pubseekpos(here, std::ios::in) == here) {
        text.resize(static_cast<size_t>(last - here));
        text.resize(static_cast<size_t>(input.sgetn(text.data(), last - here)));
    }
    char buffer[4096];
    for (std::streamsize got; (got = input.sgetn(buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    return text;
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
    const std::string name = fileName ? fileName : "";
    std::streambuf* buffer = input.rdbuf();
    if (!buffer || input.peek() == std::char_traits<char>::eof()) {
        ProcessText("", name);
        return;
    }
    // The whole text is kept so that an error can quote its source line: a string stream's
    // where it lies, any other read into memory.
    if (typeid(*buffer) == typeid(std::stringbuf)) {
        const std::string_view text = static_cast<std::stringbuf*>(buffer)->view();
        const std::streamoff here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
        if (here >= 0 && static_cast<size_t>(here) <= text.size()) {
            buffer->pubseekoff(0, std::ios::end, std::ios::in); // read, as below
            ProcessText(text.substr(static_cast<size_t>(here)), name);
            return;
        }
    }
    ProcessText(ReadAll(*buffer), name);
}

void ASParserImpl::ProcessText(std::string_view source, const std::string& file) {
    // The output is about as long as the source.
    m_preprocessed.reserve(m_preprocessed.size() + source.size() + source.size() / 8 + 64);
    const uint32_t fileIndex = m_lines.AddFile(file);
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
        m_lines.Add(fileIndex, line, 1);
        m_preprocessed += text;
        m_preprocessed += '\n';
    };
    auto fail = [&](const std::string& message, const antlr::RefToken& token) {
        m_sourceErrorLine = SourceLine(source, token->getLine());
        throw antlr::RecognitionException(message, file, token->getLine(), token->getColumn());
    };

    for (;;) {
        // Most lines hold no directive: they pass through without the scanner.
        if (scanner.getColumn() == 1 && lineText.empty() && !definePending && !includePending &&
            !ifdefPending && !ifndefPending && scanner.memoryNext()) {
            const int line = scanner.getLine();
            const PlainRun run = PassPlainLines(scanner.memoryNext(), scanner.memoryEnd(), outputOn,
                                                m_preprocessed, m_lines, fileIndex, line);
            if (run.line != line) {
                lineCounter = run.line - 1;
                scanner.skipLineTo(run.end);
                scanner.setLine(run.line);
                // The line the run stopped at needs the scanner.
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
        case PreprocessorTokenTypes::ML_COMMENT:
            while (lineCounter++ < token->getLine())
                writeLine(lineCounter, "");
            // A comment separates the tokens around it.
            if (!lineText.empty())
                lineText += ' ';
            continue;
        // A // comment ends its line as the line end it holds would: the text before it
        // comes out on that line, not joined with the next.
        case PreprocessorTokenTypes::SL_COMMENT:
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
            // Text before the directive on its line comes out before the included lines.
            if (lineText.find_first_not_of(" \t\f") != std::string::npos) {
                writeLine(token->getLine(), lineText);
                lineText.clear();
            }
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
