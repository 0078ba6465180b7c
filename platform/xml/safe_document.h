// XML documents from other people's files, parsed with libxml2 without harm: a document that
// declares or uses entities is refused rather than expanded (a few hundred bytes can expand
// to gigabytes), and nothing is loaded from outside. Characters that XML cannot carry but
// this system's writers put into a document as they are (bytes that are not UTF-8, and in
// property lists control characters) reach the parser as private-use stand-ins and come
// back out as what they were.
#pragma once

#include <libxml/tree.h>
#include <string>
#include <string_view>

#include "platform/xml/xml_characters.h"

namespace tbx::xml {

// The stand-ins of one document.
class StandIns {
public:
    explicit StandIns(bool controls) : _controls(controls) {}

    // The document as the parser can take it: `bytes` themselves, or the text made of them in
    // `converted`. A document that declares an encoding other than UTF-8, or starts in UTF-16
    // or UTF-32, is the parser's to decode and stays as it is.
    std::string_view Prepare(std::string_view bytes, std::string& converted);
    // Parser output (UTF-8) with the stand-ins turned back into what they stood for.
    std::u16string Utf16(const char* utf8) const;
    // The same as bytes: byte escapes become their bytes again.
    std::string Bytes(std::string_view utf8) const;

private:
    char32_t Restored(char32_t c) const;

    bool _controls;
    char32_t _base = 0; // first of the 256 stand-ins, 0 when none are in use
};

// Parses the document (through `standIns.Prepare`) with libxml2's `options` and network
// access off. Null when it is not well-formed, declares an entity, or refers to one other
// than the five predefined; the caller frees the document.
xmlDocPtr ReadDocument(std::string_view bytes, int options, StandIns& standIns);

} // namespace tbx::xml
