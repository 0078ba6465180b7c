#include "platform/files/cf_url.h"

#include <sys/stat.h>
#include <vector>

#include "platform/files/fs_internal.h"

namespace tbx {

namespace {

std::string Utf8(CFStringRef text) {
    return text ? text::Utf16ToUtf8Escaped(text->Text()) : std::string();
}

CFStringRef MakeString(const std::string& utf8) {
    const std::u16string units = text::Utf8ToUtf16Escaped(utf8);
    return CFStringCreateWithCharacters(nullptr, units.data(), CFIndex(units.size()));
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string Swap(std::string text, char a, char b) {
    for (char& c : text)
        c = c == a ? b : c == b ? a : c;
    return text;
}

std::string StripSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// "Volume:a:b" is absolute, ":a:b" and a name without ":" relative. Names may hold "/",
// which is ":" in POSIX names.
std::string HfsToPosix(const std::string& hfs) {
    if (hfs.find(':') == std::string::npos)
        return Swap(hfs, '/', ':');
    std::vector<std::string> parts = Split(hfs, ':');
    std::string out;
    std::size_t first = 1;
    if (parts[0].empty()) {
        first = 1; // relative
    } else if (parts[0] == kStartupVolumeName) {
        out = "";
    } else {
        out = "/Volumes/" + Swap(parts[0], '/', ':');
    }
    bool relative = parts[0].empty();
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (parts[i].empty())
            continue;
        if (!out.empty() || !relative)
            out += '/';
        out += Swap(parts[i], '/', ':');
    }
    if (out.empty())
        return relative ? std::string() : std::string("/");
    return out;
}

std::string PosixToHfs(const std::string& posix) {
    std::vector<std::string> parts = Split(posix, '/');
    std::string out;
    std::size_t first = 0;
    if (posix.empty() || posix[0] != '/') {
        out = "";
        for (const std::string& part : parts) {
            if (!part.empty()) {
                out += ':';
                out += Swap(part, '/', ':');
            }
        }
        return out;
    }
    if (parts.size() > 2 && parts[1] == "Volumes" && !parts[2].empty()) {
        out = Swap(parts[2], '/', ':');
        first = 3;
    } else {
        out = kStartupVolumeName;
        first = 1;
    }
    bool any = false;
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (parts[i].empty())
            continue;
        out += ':';
        out += Swap(parts[i], '/', ':');
        any = true;
    }
    return any ? out : out + ":";
}

} // namespace

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle style,
                                       Boolean isDirectory) {
    std::string text = Utf8(filePath);
    if (text.empty())
        return nullptr;
    if (style == kCFURLHFSPathStyle)
        text = HfsToPosix(text);
    else if (style == kCFURLWindowsPathStyle)
        for (char& c : text)
            c = c == '\\' ? '/' : c;
    if (text.empty())
        return nullptr;
    return new CFURL(StripSlashes(text), isDirectory != 0);
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style) {
    if (!url)
        return nullptr;
    std::string text = url->Path();
    if (style == kCFURLHFSPathStyle)
        text = PosixToHfs(text);
    else if (style == kCFURLWindowsPathStyle)
        for (char& c : text)
            c = c == '/' ? '\\' : c;
    return MakeString(text);
}

Boolean CFURLHasDirectoryPath(CFURLRef url) {
    return url && url->IsDirectory();
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref) {
    if (!url || !ref)
        return false;
    FSRef made;
    if (fs_detail::MakeRef(url->Path(), false, made) != noErr)
        return false;
    *ref = std::move(made);
    return true;
}

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref) {
    if (!ref || ref->path.empty())
        return nullptr;
    struct stat info;
    const bool directory = fs_detail::StatRef(*ref, info) == noErr && S_ISDIR(info.st_mode);
    return new CFURL(ref->path, directory);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url) {
    if (!url)
        return nullptr;
    const std::string& path = url->Path();
    if (path == "/")
        return new CFURL("/", true);
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return new CFURL(".", true);
    return new CFURL(slash == 0 ? std::string("/") : path.substr(0, slash), true);
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url, CFStringRef component,
                                               Boolean isDirectory) {
    if (!url || !component)
        return nullptr;
    const std::string name = StripSlashes(Utf8(component));
    if (name.empty())
        return nullptr;
    return new CFURL(url->Path() == "/" ? "/" + name : url->Path() + "/" + name, isDirectory != 0);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
    if (!url)
        return nullptr;
    const std::string& path = url->Path();
    if (path == "/")
        return MakeString("/");
    return MakeString(fs_detail::LeafOf(path));
}

CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef, CFURLRef url) {
    if (!url)
        return nullptr;
    const std::string& path = url->Path();
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart || dot + 1 == path.size())
        return new CFURL(path, url->IsDirectory());
    return new CFURL(path.substr(0, dot), url->IsDirectory());
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
    const std::string path = CFBundleGetPath(bundle);
    if (path.empty())
        return nullptr;
    return new CFURL(StripSlashes(path), true);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
    const std::string folder = CFBundleGetPath(bundle);
    std::string name = Utf8(resourceName);
    if (folder.empty() || name.empty() || name.find('/') != std::string::npos || name == "..")
        return nullptr;
    if (const std::string type = Utf8(resourceType); !type.empty()) {
        name += '.';
        name += type;
    }
    std::string path = folder + "/Contents/Resources";
    if (const std::string sub = Utf8(subDirName); !sub.empty()) {
        if (sub.find("..") != std::string::npos)
            return nullptr;
        path += '/';
        path += StripSlashes(sub);
    }
    path += '/';
    path += name;
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return nullptr;
    return new CFURL(path, S_ISDIR(info.st_mode));
}

} // namespace tbx
