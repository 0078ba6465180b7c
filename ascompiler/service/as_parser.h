// The compiler service: script text in, syntax tree out (and, with the back end, action code).
#pragma once

#include "ascompiler/tree/as_node.h"

namespace translate {

class ASParser : public DLLInterface {
public:
    // Adds an include folder, searched after those added before it.
    virtual void addPath(const char* folder) = 0;
    // Error fields of the last parse: code 0 none, 2 stream failure, 4 syntax error.
    virtual const char* getMessage() = 0;
    virtual const char* getFilename() = 0;
    virtual int getLineNumber() = 0;
    virtual int getColumnNumber() = 0;
    virtual const char* getLine() = 0;
    virtual int getError() = 0;
    // The tree for the text, owned by the caller; null on failure or for empty text. Never
    // throws.
    virtual ASNode* parse(const char* text) = 0;
    // Action code for the tree; its length in bytes (0 below SWF version 5).
    virtual int compile(ASNode* tree, int swfVersion) = 0;
    // Copies the code of the last compile into out and returns its length.
    virtual int getCode(unsigned char* out) = 0;

protected:
    ~ASParser() override = default;
};

} // namespace translate

// A new, independent compiler service; release it through destroy().
translate::ASParser* Parser();
