#include <vector>

#include "core/paths/path.h"

namespace {

// Repeated separators and "." components add nothing to a path and would upset the
// component counts below.
std::wstring Tidy(const std::wstring& path) {
    std::wstring out;
    std::size_t i = 0;
    while (i < path.size()) {
        if (path[i] != L'/') {
            out += path[i++];
            continue;
        }
        out += L'/';
        while (i < path.size() && path[i] == L'/')
            ++i;
        while (i + 1 < path.size() && path[i] == L'.' && path[i + 1] == L'/') {
            i += 2;
            while (i < path.size() && path[i] == L'/')
                ++i;
        }
    }
    return out;
}

// The text up to and including the last "/"; empty without one.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'/');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

} // namespace

std::wstring BK_PathRelativePathTo(const CBK_Path& base, const CBK_Path& target) {
    const std::wstring to = Tidy(target.GetFullPathString());
    if (to.empty())
        return {};
    const std::wstring from = Tidy(base.GetFullPathString());
    const std::wstring baseFolder = FolderOf(from);
    const std::wstring targetFolder = FolderOf(to);

    // The longest run of whole leading folders both have alike.
    std::size_t shared = 0;
    if (!baseFolder.empty() && !targetFolder.empty()) {
        const std::size_t limit = std::min(baseFolder.size(), targetFolder.size());
        for (std::size_t i = 0; i < limit && baseFolder[i] == targetFolder[i]; ++i)
            if (baseFolder[i] == L'/')
                shared = i + 1;
    }
    std::wstring out;
    const std::wstring rest = to.substr(shared);
    if (shared == baseFolder.size()) {
        out = rest.empty() ? std::wstring(L".") : L"./" + rest;
    } else {
        for (std::size_t i = shared; i < baseFolder.size(); ++i)
            if (baseFolder[i] == L'/')
                out += L"../";
        out += rest;
    }
    return out.empty() ? std::wstring(L".") : out;
}

std::wstring BK_PathAbsoluteFromRelative(const CBK_Path& relative, const CBK_Path& base) {
    if (!relative.IsRelative())
        return relative.GetFullPathString();
    // A base that ends in "/" names a folder even before it exists, as for relative paths.
    const std::wstring baseText = base.GetFullPathString();
    const bool baseIsFolder = BK_PathIsFolder(baseText) || base.IsDirectory();
    std::wstring result = baseIsFolder ? baseText : CBK_Path(baseText).GetDirectoryString(false);
    if (!result.empty() && (result.back() == L'/' || result.back() == L'\\'))
        result.pop_back();

    const std::wstring& text = relative.GetPathString();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(L"/\\", start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        if (part == L"..") {
            const std::size_t cut = result.find_last_of(L"/\\");
            result.erase(cut == std::wstring::npos ? 0 : cut);
        } else if (part == L".") {
            if (result.empty() || (result.back() != L'/' && result.back() != L'\\'))
                result += L'/';
        } else {
            if (result.empty() || (result.back() != L'/' && result.back() != L'\\'))
                result += L'/';
            result += part;
        }
    }
    if (result.empty())
        return L"/";
    CBK_Path built(result);
    if (built.IsDirectory()) {
        built.AppendSlash();
        return built.GetFullPathString();
    }
    return result;
}
