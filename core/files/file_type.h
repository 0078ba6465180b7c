// Mac four-character file types and the file-name extensions that go with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/paths/path.h"

// Room that `out` must have for any text of the table below, terminator included.
constexpr std::size_t kBK_FileTypeTextMax = 64;

// The type's main extension (no dot); false, out unchanged, for a type without one.
bool BK_GetFileExtensionFromFileType(uint32_t type, wchar_t* out);
// All accepted extensions joined by ";", or else the main extension.
bool BK_GetFileExtensionsFromFileType(uint32_t type, wchar_t* out);
// The description shown in file dialogs; false, out unchanged, for a type not in the table.
bool BK_GetFileDescriptionFromFileType(uint32_t type, wchar_t* out);

// A set of extensions (kept as given, matched without regard to case) with a type and a name.
class CBK_FileType {
public:
    CBK_FileType() = default;
    explicit CBK_FileType(uint32_t type) : _type(type) {}
    explicit CBK_FileType(const wchar_t* text) : _text(text ? text : L"") {}
    // Copies take the extensions only; the type code and the text stay as they were.
    CBK_FileType(const CBK_FileType& other) : _extensions(other._extensions) {}
    CBK_FileType& operator=(const CBK_FileType& other);

    // True when a copy of the extension was appended; an empty or null one is ignored.
    bool AddExtension(const wchar_t* ext);
    // The path's extension, without the dot, becomes the only entry (none when it has none).
    bool Init(const CBK_Path& path);
    bool HasExtension(const wchar_t* ext) const;
    // True when any extension of `other` is one of ours.
    bool HasType(const CBK_FileType& other) const;
    // True when the path's extension is one of ours.
    bool FileIsType(const CBK_Path& path) const;
    void Reset() { _extensions.clear(); }

    uint32_t GetType() const { return _type; }
    const std::wstring& GetText() const { return _text; }
    const std::vector<std::wstring>& GetExtensions() const { return _extensions; }

private:
    uint32_t _type = 0;
    std::wstring _text;
    std::vector<std::wstring> _extensions;
};
