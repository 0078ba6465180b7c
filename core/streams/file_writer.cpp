#include "core/streams/file_writer.h"

#include <cstring>

#include "core/files/file_functions.h"
#include "core/strings/locale.h"

CBK_FileWriter::CBK_FileWriter() : _stream(CBK_Locale::GetCodePage()) {}

CBK_FileWriter::~CBK_FileWriter() {
    Close();
}

bool CBK_FileWriter::Create(const CBK_Path& path, const BK_FILE_CREATE_ATTRIBUTES* attributes,
                            bool overwrite) {
    BK_FILE_CREATE_ATTRIBUTES text;
    text.creator = tbx::FourCC("ttex");
    text.type = tbx::FourCC("TEXT");
    if (!BK_CreateFile(path.GetPathString(), attributes ? attributes : &text, overwrite))
        return false;
    _stream.clear();
    return _stream.Open(path.GetFullPathString().c_str(), std::ios_base::out,
                        CBK_Locale::GetCodePage());
}

bool CBK_FileWriter::Close() {
    if (!_stream.is_open())
        return true;
    const bool written = !_stream.fail() && !_stream.bad();
    _stream.close();
    const bool closed = !_stream.fail();
    _stream.clear();
    return written && closed;
}

CBK_FileWriter& CBK_FileWriter::operator<<(const char* text) {
    if (text)
        _stream.write(text, std::streamsize(std::strlen(text)));
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(const wchar_t* text) {
    _stream << text;
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(unsigned char c) {
    _stream.put(static_cast<char>(c));
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(char c) {
    _stream.put(c);
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(short value) {
    static_cast<std::ostream&>(_stream) << value;
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(unsigned short value) {
    static_cast<std::ostream&>(_stream) << value;
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(int32_t value) {
    static_cast<std::ostream&>(_stream) << value;
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(uint32_t value) {
    static_cast<std::ostream&>(_stream) << value;
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(float value) {
    static_cast<std::ostream&>(_stream) << value;
    return *this;
}

CBK_FileWriter& CBK_FileWriter::operator<<(double value) {
    static_cast<std::ostream&>(_stream) << value;
    return *this;
}
