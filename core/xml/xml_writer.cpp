#include "core/xml/xml_writer.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <sys/stat.h>
#include <unistd.h>

#include "core/codec/base64.h"
#include "core/strings/locale.h"
#include "core/strings/wide_text.h"
#include "platform/text_encoding.h"
#include "platform/xml/xml_characters.h"

namespace {

template <class T>
std::string Number(T value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace

CBK_XmlWriter::CBK_XmlWriter() : _codePage(CBK_Locale::GetCodePage()) {}

bool CBK_XmlWriter::Create(const CBK_Path& path, const SETTINGS& settings, bool replace) {
    Close();
    _path = path;
    _relativePaths = settings.relativePaths;
    _xmlDeclaration = settings.xmlDeclaration;
    _header = settings.header;
    _codePage = CBK_Locale::GetCodePage();
    _failed = false;

    if (!BK_OpenAtomicFile(_file, path, replace))
        return false;
    _file.SetFileTypes(settings.fileCreator, settings.fileType);
    if (_header) {
        const std::wstring name = CBK_Locale::GetCodePageName();
        *this << (_xmlDeclaration ? "<?xml version=\"1.0\" encoding=\""
                                  : "<xml version=\"1.0\" encoding=\"")
              << name.c_str() << (_xmlDeclaration ? "\" ?>\n" : "\">\n");
    }
    return true;
}

void CBK_XmlWriter::Discard() {
    _file.Discard();
}

bool CBK_XmlWriter::Close() {
    if (!_file.IsOpen())
        return true;
    *this << (_header && !_xmlDeclaration ? "\n</xml>\n" : "\n");
    if (_failed || !_file.Commit()) {
        Discard();
        return false;
    }
    return true;
}

void CBK_XmlWriter::WriteBytes(const char* bytes, std::size_t n) {
    if (_file.IsOpen() && n > 0 && !_file.Write(bytes, n))
        _failed = true;
}

void CBK_XmlWriter::StartTag(const wchar_t* name, bool empty) {
    *this << "<" << name << " ";
    if (empty)
        *this << "/>\n";
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(const char* text) {
    if (text)
        WriteBytes(text, std::strlen(text));
    return *this;
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(const wchar_t* text) {
    std::string bytes;
    if (!BK_WideToCodePage(text, _codePage, bytes))
        _failed = true;
    else
        WriteBytes(bytes.data(), bytes.size());
    return *this;
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(bool value) {
    return *this << (value ? "true" : "false");
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(unsigned char c) {
    const char byte = static_cast<char>(c);
    WriteBytes(&byte, 1);
    return *this;
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(char c) {
    WriteBytes(&c, 1);
    return *this;
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(int16_t value) {
    return *this << Number(value).c_str();
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(uint16_t value) {
    return *this << Number(value).c_str();
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(int32_t value) {
    return *this << Number(value).c_str();
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(uint32_t value) {
    return *this << Number(value).c_str();
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(long long value) {
    return *this << Number(value).c_str();
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(float value) {
    return *this << Number(value).c_str();
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(double value) {
    return *this << Number(value).c_str();
}

CBK_XmlWriter& CBK_XmlWriter::operator<<(const CBK_Path& path) {
    std::wstring text = _relativePaths ? _path.GetRelativePathTo(path) : std::wstring();
    // The reader cuts relative paths at backslashes too: a name holding one goes out whole.
    if (!_relativePaths || text.find(L'\\') != std::wstring::npos)
        text = path.GetFullPathString(POSIX_PATH);
    // A name that would not come back as it went fails the document rather than naming
    // another file.
    for (wchar_t c : text)
        if (!tbx::xml::IsXmlCharacter(char32_t(c)) && !tbx::xml::IsCarriedRaw(char32_t(c), false))
            _failed = true;
    WriteString(text.c_str());
    return *this;
}

std::wstring CBK_XmlWriter::EscapeString(const wchar_t* text) {
    std::wstring out;
    if (!text)
        return out;
    for (const wchar_t* p = text; *p; ++p) {
        const uint32_t c = static_cast<uint32_t>(*p);
        switch (c) {
        case '"':
            out += L"&quot;";
            continue;
        case '\'':
            out += L"&apos;";
            continue;
        case '&':
            out += L"&amp;";
            continue;
        case '<':
            out += L"&lt;";
            continue;
        case '>':
            out += L"&gt;";
            continue;
        case '\n':
            out += L"&#x0a;";
            continue;
        case '\r':
            out += L"&#x0d;";
            continue;
        case '\t': // a raw tab would be read back as a blank
            out += L"&#x09;";
            continue;
        default:
            break;
        }
        if (tbx::text::IsByteEscape(c)) {
            out += static_cast<wchar_t>(c); // written as its byte, which the reader takes back
            continue;
        }
        if (!tbx::xml::IsXmlCharacter(c))
            continue;
        if ((c & 0xFF) >= 0x80) {
            wchar_t reference[16];
            std::swprintf(reference, 16, L"&#x%02x;", c);
            out += reference;
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

void CBK_XmlWriter::WriteString(const wchar_t* text) {
    const std::wstring escaped = EscapeString(text);
    if (_codePage != CBK_Locale::CP_ENGLISH_US) {
        *this << escaped.c_str(); // a byte escape fails the document here
        return;
    }
    const std::string bytes = BK_WideToFileSystemName(escaped);
    WriteBytes(bytes.data(), bytes.size());
}

uint32_t CBK_XmlWriter::WriteBinary(const unsigned char* data, uint32_t n) {
    CBK_Base64 base64;
    if (!base64.Encode(data, n))
        return 0;
    WriteBytes(reinterpret_cast<const char*>(base64.GetData()), base64.GetSize());
    return static_cast<uint32_t>(base64.GetSize());
}

uint32_t CBK_XmlWriter::WriteEncodedString(const wchar_t* text) {
    if (!text)
        return 0;
    const std::size_t bytes = std::wcslen(text) * sizeof(wchar_t);
    if (bytes > UINT32_MAX)
        return 0;
    return WriteBinary(reinterpret_cast<const unsigned char*>(text), static_cast<uint32_t>(bytes));
}
