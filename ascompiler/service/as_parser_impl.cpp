#include "ascompiler/service/as_parser_impl.h"

#include "ascompiler/codegen/generator.h"
#include "ascompiler/codegen/tree_text.h"

#include "ActionScriptLexer.hpp"
#include "ActionScriptParser.hpp"

#include <antlr/CharStreamException.hpp>
#include <antlr/RecognitionException.hpp>
#include <antlr/TokenStreamException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>

#include <cstring>
#include <exception>
#include <sstream>
#include <vector>

namespace translate {
namespace {

constexpr int64_t kMaxCodeLength = 0x7FFFFFFF - 64;
const char* const kReadFailure = "An error occurred while reading the script.";

std::string OrDefault(const std::string& message) {
    return message.empty() ? kReadFailure : message;
}

// Line `index` (from 0) of text whose lines all end in a newline.
std::string_view LineOf(std::string_view text, size_t index) {
    size_t begin = 0;
    for (; index > 0; --index) {
        begin = text.find('\n', begin);
        if (begin == std::string_view::npos)
            return {};
        ++begin;
    }
    const size_t end = text.find('\n', begin);
    return end == std::string_view::npos ? std::string_view() : text.substr(begin, end - begin);
}

} // namespace

ASParserImpl::ASParserImpl() : m_includePaths{"."} {}

void ASParserImpl::addPath(const char* folder) {
    if (folder)
        m_includePaths.emplace_back(folder);
}

void ASParserImpl::ResetForParse() {
    m_preprocessed.clear();
    m_lines.Clear();
    m_definitions.clear();
    m_includeStack.clear();
    m_includeCount = 0;
    m_sourceErrorLine.clear();
    SetError(0, "", "", 0, 0, "");
}

void ASParserImpl::SetError(int code, const std::string& message, const std::string& file, int line,
                            int column, const std::string& lineText) {
    m_error = code;
    m_message = message;
    m_fileName = file;
    m_lineNumber = line;
    m_column = column;
    m_lineText = lineText;
}

void ASParserImpl::SetMappedError(int code, const std::string& message, int line, int column) {
    const size_t index = static_cast<size_t>(static_cast<unsigned int>(line - 1));
    if (index < m_lines.Size()) {
        SetError(code, message, m_lines.File(index), m_lines.Line(index), column,
                 std::string(LineOf(m_preprocessed, index)));
    } else if (index == m_lines.Size() && index > 0) {
        // The end of input stands after the last line: report the end of that line, so that
        // a missing closing brace names the file it is missing from.
        const std::string last(LineOf(m_preprocessed, index - 1));
        SetError(code, message, m_lines.File(index - 1), m_lines.Line(index - 1),
                 static_cast<int>(last.size()) + 1, last);
    } else {
        SetError(code, message, "Main", 0, column, "No Line");
    }
}

std::vector<std::string> ASParserImpl::lineFiles() const {
    std::vector<std::string> files;
    for (size_t i = 0; i < m_lines.Size(); ++i)
        files.push_back(m_lines.File(i));
    return files;
}

std::vector<int> ASParserImpl::lineNumbers() const {
    std::vector<int> lines;
    for (size_t i = 0; i < m_lines.Size(); ++i)
        lines.push_back(m_lines.Line(i));
    return lines;
}

std::vector<std::string> ASParserImpl::lineTexts() const {
    std::vector<std::string> texts;
    std::string_view rest = m_preprocessed;
    while (texts.size() < m_lines.Size()) {
        const size_t end = rest.find('\n');
        texts.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return texts;
}

void ASParserImpl::SetStreamError(const std::string& message) {
    SetError(2, OrDefault(message), "Main", 0, 0, "No Line");
}

ASNode* ASParserImpl::parse(const char* text) {
    // Nothing of an earlier parse may leak into this one.
    ResetForParse();
    if (!text || !*text)
        return nullptr;
    try {
        try {
            ProcessText(text, "Main");
        } catch (antlr::RecognitionException& e) {
            // The preprocessor knows the source file and line itself.
            SetError(4, e.toString(), e.getFilename(), e.getLine(), e.getColumn(),
                     m_sourceErrorLine);
            return nullptr;
        } catch (antlr::TokenStreamRecognitionException& e) {
            SetError(2, OrDefault(e.getMessage()), e.getFilename(), e.getLine(), e.getColumn(),
                     m_sourceErrorLine);
            return nullptr;
        }
        std::istringstream script;
        ActionScriptLexer lexer(script);
        const auto* text = reinterpret_cast<const unsigned char*>(m_preprocessed.data());
        lexer.scanMemory(text, text + m_preprocessed.size());
        lexer.stepOverBlanks(true);
        ActionScriptParser parser(lexer);
        parser.takeTokensFrom(lexer, &lexer);
        return parser.script();
    } catch (antlr::RecognitionException& e) {
        SetMappedError(4, e.toString(), e.getLine(), e.getColumn());
    } catch (antlr::TokenStreamRecognitionException& e) {
        // A bad character still has a place in the text: report it there.
        SetMappedError(2, OrDefault(e.getMessage()), e.getLine(), e.getColumn());
    } catch (antlr::TokenStreamException& e) {
        SetStreamError(e.getMessage());
    } catch (antlr::CharStreamException& e) {
        SetStreamError(e.getMessage());
    } catch (antlr::ANTLRException& e) {
        SetStreamError(e.getMessage());
    } catch (std::exception& e) {
        SetStreamError(e.what());
    }
    return nullptr;
}

void ASParserImpl::discardValues(ASNode* node) {
    std::vector<ASNode*> pending{node};
    while (!pending.empty()) {
        ASNode* next = pending.back();
        pending.pop_back();
        if (!next)
            continue;
        next->setStatus(1);
        if (next->getType() == ASNode::List)
            for (int i = 0; i < next->count(); ++i)
                pending.push_back(next->get(static_cast<unsigned int>(i)));
    }
}

int ASParserImpl::compile(ASNode* tree, int swfVersion) {
    // A refusal of an earlier compile must not mark this one as failed.
    SetError(0, "", "", 0, 0, "");
    m_codeLength = 0;
    if (swfVersion < 5 || !tree)
        return 0;
    try {
        ASInfo info(swfVersion);
        Generator generator(m_builtins, info);
        generator.reorder(tree);
        EncodeTreeText(tree, swfVersion);
        generator.findStrings(tree);
        CodingList list;
        generator.generate(tree, list);
        int64_t length = 0;
        for (CodingPtr& coding : list)
            length += coding->getLength(swfVersion);
        // The driver wraps the code in a tag whose length field is 32 bits.
        if (length > kMaxCodeLength)
            throw CompileError{"the compiled script is too large"};
        std::vector<unsigned char> code(static_cast<size_t>(length));
        Coder coder{swfVersion, code.data(), code.data()};
        for (CodingPtr& coding : list) {
            coding->encode(&coder);
            coding.reset();
        }
        m_code = std::move(code);
        m_codeLength = static_cast<int>(length);
    } catch (CompileError& e) {
        SetError(4, e.message, "Main", 0, 0, "No Line");
        m_code.clear();
        m_codeLength = 0;
    }
    return m_codeLength;
}

int ASParserImpl::getCode(unsigned char* out) {
    if (out && m_codeLength > 0)
        std::memcpy(out, m_code.data(), static_cast<size_t>(m_codeLength));
    return m_codeLength;
}

} // namespace translate

translate::ASParser* Parser() {
    return new translate::ASParserImpl();
}
