#include "core/streams/file_writer.h"

#include <charconv>
#include <cstring>

#include "core/strings/locale.h"
#include "core/strings/wide_text.h"

namespace {

// Numbers as the standard stream gives them in the C locale: decimal integers, and up to
// six significant digits for reals.
template <class T>
std::string Text(T value) {
    char text[64];
    std::to_chars_result result;
    if constexpr (std::is_floating_point_v<T>)
        result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    else
        result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace

CBK_FileWriter::CBK_FileWriter() : _codePage(CBK_Locale::GetCodePage()) {}

CBK_FileWriter::~CBK_FileWriter() {
    Close();
}

bool CBK_FileWriter::Create(const CBK_Path& path, const BK_FILE_CREATE_ATTRIBUTES* attributes,
                            bool overwrite) {
    Close();
    BK_FILE_CREATE_ATTRIBUTES text;
    text.creator = tbx::FourCC("ttex");
    text.type = tbx::FourCC("TEXT");
    const BK_FILE_CREATE_ATTRIBUTES& wanted = attributes ? *attributes : text;
    _codePage = CBK_Locale::GetCodePage();
    _failed = false;
    if (!BK_OpenAtomicFile(_file, path, overwrite))
        return false;
    _file.SetFileTypes(wanted.creator, wanted.type);
    return true;
}

bool CBK_FileWriter::Close() {
    if (!_file.IsOpen())
        return true;
    if (_failed || !_file.Commit()) {
        _file.Discard();
        return false;
    }
    return true;
}

void CBK_FileWriter::WriteBytes(const char* bytes, std::size_t n) {
    if (_file.IsOpen() && n > 0 && !_file.Write(bytes, n))
        _failed = true;
}

CBK_FileWriter& CBK_FileWriter::operator<<(const char* text) {
    if (text)
        WriteBytes(text, std::strlen(text));
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(const wchar_t* text) {
    std::string bytes;
    if (!BK_WideToCodePage(text, _codePage, bytes))
        _failed = true;
    else
        WriteBytes(bytes.data(), bytes.size());
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(unsigned char c) {
    const char byte = static_cast<char>(c);
    WriteBytes(&byte, 1);
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(char c) {
    WriteBytes(&c, 1);
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(short value) {
    return *this << Text(value).c_str();
}

CBK_FileWriter& CBK_FileWriter::operator<<(unsigned short value) {
    return *this << Text(value).c_str();
}

CBK_FileWriter& CBK_FileWriter::operator<<(int32_t value) {
    return *this << Text(value).c_str();
}

CBK_FileWriter& CBK_FileWriter::operator<<(uint32_t value) {
    return *this << Text(value).c_str();
}

CBK_FileWriter& CBK_FileWriter::operator<<(float value) {
    return *this << Text(value).c_str();
}

CBK_FileWriter& CBK_FileWriter::operator<<(double value) {
    return *this << Text(value).c_str();
}
