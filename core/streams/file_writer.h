// CBK_FileWriter: writes a text file with Finder type and creator, texts and numbers. The
// file is written beside the one it replaces and takes its place when closed without a
// failure.
#pragma once

#include <cstdint>

#include "core/files/atomic_file.h"
#include "core/files/file_create_attributes.h"
#include "core/paths/path.h"

class CBK_FileWriter {
public:
    CBK_FileWriter();
    virtual ~CBK_FileWriter();
    CBK_FileWriter(const CBK_FileWriter&) = delete;
    CBK_FileWriter& operator=(const CBK_FileWriter&) = delete;

    // Null attributes give creator 'ttex' and type 'TEXT'. False for a folder, an existing
    // file without `overwrite`, or a folder that cannot be written.
    virtual bool Create(const CBK_Path& path, const BK_FILE_CREATE_ATTRIBUTES* attributes,
                        bool overwrite);
    // False when a write failed or the file did not take its place (the old one is then
    // left as it was).
    virtual bool Close();

    CBK_FileWriter& operator<<(const char* text);
    CBK_FileWriter& operator<<(const wchar_t* text);
    CBK_FileWriter& operator<<(unsigned char c);
    CBK_FileWriter& operator<<(char c);
    CBK_FileWriter& operator<<(short value);
    CBK_FileWriter& operator<<(unsigned short value);
    CBK_FileWriter& operator<<(int32_t value);
    CBK_FileWriter& operator<<(uint32_t value);
    CBK_FileWriter& operator<<(float value);
    CBK_FileWriter& operator<<(double value);
    void Write(unsigned char c) { *this << c; }
    void Write(char c) { *this << c; }
    void Write(short value) { *this << value; }
    void Write(unsigned short value) { *this << value; }
    void Write(int32_t value) { *this << value; }
    void Write(uint32_t value) { *this << value; }
    void Write(float value) { *this << value; }
    void Write(double value) { *this << value; }

private:
    void WriteBytes(const char* bytes, std::size_t n);

    CBK_AtomicFile _file;
    uint32_t _codePage;
    bool _failed = false; // a write, or a text the code page cannot hold
};
