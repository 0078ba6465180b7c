#include "core/paths/path_list.h"

#include <algorithm>

#include "core/strings/string_functions.h"

namespace {
int CompareNames(const CBK_Path* a, const CBK_Path* b) {
    return qf_wcscasecmp(a->GetFilenameString(false).c_str(), b->GetFilenameString(false).c_str());
}
} // namespace

bool CBK_PathSortAscending::operator()(const CBK_Path* a, const CBK_Path* b) const {
    return CompareNames(a, b) < 0;
}

bool CBK_PathSortDescending::operator()(const CBK_Path* a, const CBK_Path* b) const {
    return CompareNames(a, b) > 0;
}

void CBK_PathList::Add(const CBK_Path& path) {
    _paths.push_back(std::make_unique<CBK_Path>(path.GetFullPathString()));
}

CBK_Path* CBK_PathList::GetPath(int32_t index) const {
    if (index < 0 || index >= GetSize())
        return nullptr;
    return _paths[static_cast<std::size_t>(index)].get();
}

bool CBK_PathList::Delete(const CBK_Path& path) {
    auto found = std::find_if(_paths.begin(), _paths.end(),
                              [&](const std::unique_ptr<CBK_Path>& p) { return p.get() == &path; });
    if (found == _paths.end())
        return false;
    _paths.erase(found);
    return true;
}

bool CBK_PathList::Delete(int32_t index) {
    if (index < 0 || index >= GetSize())
        return false;
    _paths.erase(_paths.begin() + index);
    return true;
}

void CBK_PathList::SortAscending() {
    std::stable_sort(_paths.begin(), _paths.end(), [](const auto& a, const auto& b) {
        return CBK_PathSortAscending()(a.get(), b.get());
    });
}

void CBK_PathList::SortDescending() {
    std::stable_sort(_paths.begin(), _paths.end(), [](const auto& a, const auto& b) {
        return CBK_PathSortDescending()(a.get(), b.get());
    });
}
