// CBK_XmlWriter: a streaming writer of the system's XML documents. Callers stream literal
// markup and values in order; the writer adds the opening and closing lines, escapes texts
// and paths written as values, and writes raw bytes as base64. A document that replaces a
// file is written beside it and takes its place only when closed without a failure.
#pragma once

#include <cstdint>

#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "platform/types.h"

class CBK_XmlWriter {
public:
    struct SETTINGS {
        uint32_t fileType = tbx::FourCC("????");
        uint32_t fileCreator = tbx::FourCC("????");
        float version = 1.0f;        // not used by the writer
        bool relativePaths = false;  // paths relative to the document's own place
        bool xmlDeclaration = false; // a standard declaration instead of the pseudo-root
        bool header = true;          // write the opening and closing lines at all
    };

    CBK_XmlWriter();
    ~CBK_XmlWriter() { Close(); }
    CBK_XmlWriter(const CBK_XmlWriter&) = delete;
    CBK_XmlWriter& operator=(const CBK_XmlWriter&) = delete;

    // False when the file cannot be made: a folder of that name, an existing file without
    // `replace`, or no way to write beside it.
    bool Create(const CBK_Path& path, const SETTINGS& settings, bool replace);
    // Writes the closing text and puts the document in place. False when any write failed
    // (the file it was to replace is then left as it was); true with nothing open.
    bool Close();

    void StartTag(const wchar_t* name, bool empty);
    void EndTag() {}

    // Markup and literal text, unescaped; wide text in the code page.
    CBK_XmlWriter& operator<<(const char* text);
    CBK_XmlWriter& operator<<(const wchar_t* text);
    CBK_XmlWriter& operator<<(bool value); // "true" or "false"
    CBK_XmlWriter& operator<<(unsigned char c);
    CBK_XmlWriter& operator<<(char c);
    CBK_XmlWriter& operator<<(int16_t value);
    CBK_XmlWriter& operator<<(uint16_t value);
    CBK_XmlWriter& operator<<(int32_t value);
    CBK_XmlWriter& operator<<(uint32_t value);
    CBK_XmlWriter& operator<<(long long value);
    // The shortest decimal text that reads back as the same number.
    CBK_XmlWriter& operator<<(float value);
    CBK_XmlWriter& operator<<(double value);
    // Relative to the document with the relative-paths setting (the full path when the
    // relative text would hold a backslash), else the full POSIX path; escaped as by
    // WriteString. A path holding a character the document cannot carry fails the document.
    CBK_XmlWriter& operator<<(const CBK_Path& path);

    void Write(unsigned char c) { *this << c; }
    void Write(char c) { *this << c; }
    void Write(uint16_t value) { *this << value; }
    void Write(int16_t value) { *this << value; }
    void Write(uint32_t value) { *this << value; }
    void Write(int32_t value) { *this << value; }
    void Write(float value) { *this << value; }
    void Write(double value) { *this << value; }
    void Write(const CBK_Path& path) { *this << path; }
    void WriteNumber(int32_t value) { *this << value; }

    // The text as an attribute value: markup characters, line ends and tab as references,
    // characters whose low byte is 0x80 or above as hexadecimal references of the whole
    // code point. A byte escape (a byte of a file name that is not UTF-8) is kept and
    // written as that byte, which the reader turns back into the same escape; other
    // characters XML cannot carry (control characters, unpaired surrogates, U+FFFE,
    // U+FFFF, values beyond U+10FFFF) are left out.
    void WriteString(const wchar_t* text);
    static std::wstring EscapeString(const wchar_t* text);
    // Base64 of the bytes; the number of characters written, 0 when nothing could be.
    uint32_t WriteBinary(const unsigned char* data, uint32_t n);
    // Base64 of the text's characters, four bytes each in memory order.
    uint32_t WriteEncodedString(const wchar_t* text);

private:
    void WriteBytes(const char* bytes, std::size_t n);
    void Discard();

    CBK_AtomicFile _file;
    CBK_Path _path;
    uint32_t _codePage;
    bool _failed = false; // a text the code page cannot hold
    bool _relativePaths = false;
    bool _xmlDeclaration = false;
    bool _header = true;
};
