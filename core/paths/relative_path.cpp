#include <vector>

#include "core/paths/path.h"

namespace {

// Takes the components of `text` (cut at any of `separators`) onto `parts`: empty ones and
// "." add nothing, ".." takes away the one before it (a root has no parent). Whether the
// text ends as a folder does: in a separator, "." or "..".
bool Apply(std::vector<std::wstring>& parts, const std::wstring& text, const wchar_t* separators) {
    bool folder = false;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring part = text.substr(start, end - start);
        start = end + 1;
        folder = part.empty() || part == L"." || part == L"..";
        if (part == L".." && !parts.empty())
            parts.pop_back();
        else if (!folder)
            parts.push_back(part);
    }
    return folder;
}

std::wstring Joined(const std::vector<std::wstring>& parts) {
    std::wstring out;
    for (const std::wstring& part : parts)
        out += L"/" + part;
    return out;
}

// The full path with "." and ".." taken as what they mean, so that no "./" or "../" is left
// for the component counts below to trip over.
std::wstring Normalised(const std::wstring& path) {
    std::vector<std::wstring> parts;
    const bool folder = Apply(parts, path, L"/");
    return parts.empty() ? L"/" : Joined(parts) + (folder ? L"/" : L"");
}

// The text up to and including the last "/"; empty without one.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'/');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

} // namespace

std::wstring BK_PathRelativePathTo(const CBK_Path& base, const CBK_Path& target) {
    if (target.GetFullPathString().empty())
        return {};
    const std::wstring to = Normalised(target.GetFullPathString());
    const std::wstring from = Normalised(base.GetFullPathString());
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
    std::vector<std::wstring> parts;
    Apply(parts, baseIsFolder ? baseText : CBK_Path(baseText).GetDirectoryString(false), L"/");
    Apply(parts, relative.GetPathString(), L"/\\");
    const std::wstring result = parts.empty() ? L"/" : Joined(parts);
    CBK_Path built(result);
    if (built.IsDirectory()) {
        built.AppendSlash();
        return built.GetFullPathString();
    }
    return result;
}
