// The compiler service behind translate::ASParser: preprocessing and parsing.
#pragma once

#include "ascompiler/codegen/builtins.h"
#include "ascompiler/service/as_parser.h"
#include "ascompiler/service/line_table.h"

#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace translate {

class ASParserImpl : public DLLImpl<ASParser> {
public:
    ASParserImpl();
    ASParserImpl(const ASParserImpl&) = delete;
    ASParserImpl& operator=(const ASParserImpl&) = delete;

    void addPath(const char* folder) override;
    const char* getMessage() override { return m_message.c_str(); }
    const char* getFilename() override { return m_fileName.c_str(); }
    int getLineNumber() override { return m_lineNumber; }
    int getColumnNumber() override { return m_column; }
    const char* getLine() override { return m_lineText.c_str(); }
    int getError() override { return m_error; }
    ASNode* parse(const char* text) override;
    int compile(ASNode* tree, int swfVersion) override;
    int getCode(unsigned char* out) override;

    // Marks a node in statement position as leaving no value (status 1); a List passes the
    // mark on to its children, nested Lists included.
    void discardValues(ASNode* node);

    // Directive preprocessor: appends the output lines of `input`, read as the file
    // `fileName`, with the file and line each came from. Errors are ANTLR exceptions.
    void processDirectives(std::istream& input, const char* fileName);
    // The first include folder that holds `name` as a regular file (quotes and backslashes
    // allowed), or "".
    std::string pathToFile(std::string name);
    bool isDefinition(std::string name);

    // Lookups against the player's built-in vocabulary.
    bool isConstant(const std::string& name) const { return m_builtins.isConstant(name); }
    // A new copy owned by the caller; ask isConstant first.
    Value* getConstant(const std::string& name) const { return m_builtins.getConstant(name); }
    bool isFunction(const std::string& name) const { return m_builtins.isFunction(name); }
    bool isDiscardFunction(const std::string& name) const {
        return m_builtins.isDiscardFunction(name);
    }

    // The preprocessed text and, one entry per output line, where each came from and its text,
    // as the last parse left them.
    const std::string& preprocessedText() const { return m_preprocessed; }
    std::vector<std::string> lineFiles() const;
    std::vector<int> lineNumbers() const;
    std::vector<std::string> lineTexts() const;

protected:
    ~ASParserImpl() override = default;

private:
    void ProcessText(std::string_view source, const std::string& file);
    void ResetForParse();
    void SetError(int code, const std::string& message, const std::string& file, int line,
                  int column, const std::string& lineText);
    // An error at a line of the preprocessed text, reported against its source file and line.
    void SetMappedError(int code, const std::string& message, int line, int column);
    void SetStreamError(const std::string& message);

    std::string m_preprocessed;
    std::string m_message;
    std::string m_fileName;
    std::string m_lineText;
    int m_lineNumber = 0;
    int m_column = 0;
    int m_error = 0;
    Builtins m_builtins;
    std::vector<unsigned char> m_code;
    int m_codeLength = 0;
    std::map<std::string, std::string> m_definitions;
    LineTable m_lines; // of m_preprocessed
    std::vector<std::string> m_includePaths;
    // Files being preprocessed, outermost first: an include that reopens one of them is an
    // error rather than endless recursion.
    std::vector<std::string> m_includeStack;
    size_t m_includeCount = 0; // files included during this parse
    // Source text of the line at which the preprocessor failed.
    std::string m_sourceErrorLine;
};

} // namespace translate
