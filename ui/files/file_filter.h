// CBK_FileFilter: the file kinds that the open and save dialogs show in their pop-up and
// filter by. Each entry has a description and data records of one Mac file type with its
// extensions, taken from the file-type table; the type 'XxXx' matches every file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/cf_array.h"

class CBK_FileFilter {
public:
    static constexpr uint32_t kAnyType = 0x58785878; // 'XxXx'

    struct FILTER_TYPE_DATA {
        // From a text of extensions separated by ";" (at most 256 characters read).
        FILTER_TYPE_DATA(uint32_t type, const wchar_t* extensions);
        std::vector<std::wstring> extensions;
        uint32_t type = 0;
    };

    struct FILTER_TYPE {
        std::wstring description;
        std::vector<std::unique_ptr<FILTER_TYPE_DATA>> data;
        // True when a record has the type or 'XxXx'.
        bool HasFilter(uint32_t type) const;
        // True when a record has the extension, without regard to case.
        bool HasExtension(const wchar_t* extension) const;
    };

    CBK_FileFilter() = default;
    CBK_FileFilter(const CBK_FileFilter&) = delete;
    CBK_FileFilter& operator=(const CBK_FileFilter&) = delete;
    ~CBK_FileFilter() { Destroy(); }

    // Positions: negative inserts first, at or past the count appends, else before that entry.
    // Without a description the file-type table's is taken (empty for a type it lacks).
    bool InsertFilter(uint32_t type, const wchar_t* description, const wchar_t* unused,
                      int32_t position);
    bool InsertLongFilter(const wchar_t* description, int32_t count, const uint32_t* types,
                          int32_t position);
    bool InsertAllFilesFilter(int32_t position);
    FILTER_TYPE* GetFilter(int32_t index);
    int32_t GetFilterCount() const { return static_cast<int32_t>(_entries.size()); }
    // The first extension of the entry, for proposing a save name; null when it has none
    // (the "*" of "All Files" is none).
    const wchar_t* GetExtension(int32_t index);
    bool BuildCFArray(tbx::CFMutableArrayRef array);
    // Whether the application's "main.rsrc" has an 'open' resource of that id; the list is
    // left as it is.
    bool Load(uint32_t id);
    bool HasFilter(uint32_t) { return false; }
    void Destroy() { _entries.clear(); }

    // Ready-made lists; each ends with "All Files".
    bool MakeTxtFilter();
    bool MakeFlaFilter();
    bool MakeSwfFilter();
    bool MakeVideoFilter();
    bool MakeQuicktimeSoundFilter();
    bool MakeQuicktimeImageFilter();

private:
    bool _Insert(std::unique_ptr<FILTER_TYPE> entry, int32_t position);
    bool _MakeGroup(const wchar_t* description, const std::vector<uint32_t>& types);

    std::vector<std::unique_ptr<FILTER_TYPE>> _entries;
};
