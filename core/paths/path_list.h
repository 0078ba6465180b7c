// CBK_PathList: an owning list of paths, sortable by file name without regard to case.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/paths/path.h"

struct CBK_PathSortAscending {
    bool operator()(const CBK_Path* a, const CBK_Path* b) const;
};

struct CBK_PathSortDescending {
    bool operator()(const CBK_Path* a, const CBK_Path* b) const;
};

class CBK_PathList {
public:
    CBK_PathList() = default;
    CBK_PathList(const CBK_PathList&) = delete;
    CBK_PathList& operator=(const CBK_PathList&) = delete;

    // Appends a new copy holding the full path.
    void Add(const CBK_Path& path);
    // Null outside 0..size-1.
    CBK_Path* GetPath(int32_t index) const;
    int32_t GetSize() const { return static_cast<int32_t>(_paths.size()); }
    // Removes the entry that is that very object; false when it is not in the list.
    bool Delete(const CBK_Path& path);
    bool Delete(int32_t index);
    void Reset() { _paths.clear(); }
    void SortAscending();
    void SortDescending();

private:
    std::vector<std::unique_ptr<CBK_Path>> _paths;
};
