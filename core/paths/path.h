// CBK_Path: the one file-path value of the system, a wide POSIX path.
#pragma once

#include <cstdio>
#include <string>

class CBK_Path {
public:
    CBK_Path() = default;
    CBK_Path(const wchar_t* text) : _path(text ? text : L"") {}
    CBK_Path(const std::wstring& text) : _path(text) {}
    CBK_Path(const CBK_Path&) = default;
    CBK_Path& operator=(const CBK_Path&) = default;

    void Set(const wchar_t* text) { _path = text ? text : L""; }

    const std::wstring& GetPathString() const { return _path; }
    const std::wstring& GetString() const { return _path; }

    // The file name's text from its last "." (with the dot when asked); empty without one.
    std::wstring GetExtensionString(bool withDot) const;

    // fopen of the path; file-system names are always UTF-8. The caller closes the stream.
    FILE* OpenAsStdFile(const wchar_t* mode) const;

private:
    std::wstring _path;
};

// A wide text as the UTF-8 bytes the file system takes.
std::string BK_WideToFileSystemName(const std::wstring& text);
