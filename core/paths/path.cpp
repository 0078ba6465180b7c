#include "core/paths/path.h"

#include <sys/stat.h>

#include "core/strings/string_functions.h"
#include "core/strings/wide_text.h"
#include "platform/files/fs_catalog.h"
#include "platform/resources/aliases.h"
#include "platform/text_encoding.h"

int32_t CBK_Path::m_nLastError = 0;
std::wstring CBK_Path::m_CustomResourcePath;

namespace {

std::wstring UrlPath(tbx::CFURLRef url, int32_t style) {
    tbx::CFStringRef text =
        tbx::CFURLCopyFileSystemPath(url, static_cast<tbx::CFURLPathStyle>(style));
    std::wstring out = BK_WidenCFString(text);
    tbx::CFRelease(text);
    return out;
}

// A URL from the text in its own style, not as a directory.
tbx::CFURLRef MakeUrl(const std::wstring& text, int32_t style, bool directory) {
    tbx::CFStringRef string = BK_MakeCFString(text.c_str());
    tbx::CFURLRef url = tbx::CFURLCreateWithFileSystemPath(
        nullptr, string, static_cast<tbx::CFURLPathStyle>(style), directory);
    tbx::CFRelease(string);
    return url;
}

bool EndsWithSeparator(const std::wstring& text) {
    return !text.empty() && (text.back() == L'/' || text.back() == L'\\');
}

} // namespace

std::string BK_WideToFileSystemName(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        tbx::text::AppendUtf8Escaped(out, static_cast<char32_t>(c));
    return out;
}

std::wstring BK_FileSystemNameToWide(const std::string& bytes) {
    const std::u32string wide = tbx::text::Utf8ToUtf32Escaped(bytes);
    return std::wstring(wide.begin(), wide.end());
}

CBK_Path::CBK_Path(tbx::CFStringRef text) {
    Set(text);
}
CBK_Path::CBK_Path(tbx::CFURLRef url) {
    Set(url);
}
CBK_Path::CBK_Path(const tbx::FSRef& ref) {
    Set(ref);
}
CBK_Path::CBK_Path(const tbx::FSSpec& fileRecord) {
    Set(fileRecord);
}

void CBK_Path::Set(tbx::CFStringRef text) {
    _path = BK_WidenCFString(text);
    tbx::CFRelease(text);
}

void CBK_Path::Set(tbx::CFURLRef url) {
    if (!url)
        return;
    _path = UrlPath(url, POSIX_PATH);
    if (tbx::CFURLHasDirectoryPath(url) && (_path.empty() || _path.back() != L'/'))
        _path += L'/';
}

// An alias file keeps its own path: folder walks that delete what they list build their paths
// this way, and must act on the aliases, not on their targets.
void CBK_Path::Set(const tbx::FSRef& ref) {
    tbx::Boolean alias = false, folder = false;
    m_nLastError = tbx::FSIsAliasFile(&ref, &alias, &folder);
    tbx::CFURLRef url = tbx::CFURLCreateFromFSRef(nullptr, &ref);
    if (url) {
        Set(url);
        tbx::CFRelease(url);
    } else {
        _path.clear();
    }
}

void CBK_Path::Set(const tbx::FSSpec& fileRecord) {
    _path.clear();
    if (fileRecord.path.empty())
        return;
    tbx::FSRef ref;
    if (tbx::FSpMakeFSRef(&fileRecord, &ref) == tbx::noErr)
        Set(ref);
    else
        _path = BK_FileSystemNameToWide(fileRecord.path);
}

void CBK_Path::Set(const CBK_Path& other) {
    _path = other.GetFullPathString(POSIX_PATH);
}

bool CBK_Path::operator==(const CBK_Path& other) const {
    return qf_wcscasecmp(GetFullPathString().c_str(), other.GetFullPathString().c_str()) == 0;
}

int32_t CBK_Path::GetPathStyle() const {
    if (!_path.empty() && _path.find(L':') != std::wstring::npos &&
        _path.find(L'/') == std::wstring::npos && _path.find(L"://") == std::wstring::npos)
        return MAC_PATH;
    return POSIX_PATH;
}

bool CBK_Path::IsRelative() const {
    return !_path.empty() && _path[0] != L'/' && _path[0] != L'\\';
}

void CBK_Path::AppendSlash() {
    BK_PathAppendSlash(_path);
}
void CBK_Path::RemoveSlash() {
    BK_PathRemoveSlash(_path);
}

std::wstring CBK_Path::GetFullPathString(int32_t style) const {
    std::wstring text = _path;
    if (text.empty())
        return text;
    if (IsRelative()) {
        CBK_Path app;
        if (app.GetAppPath()) {
            app.AppendSlash();
            text = app._path + text;
        }
    }
    if (style == POSIX_PATH)
        return text;
    tbx::CFURLRef url = MakeUrl(text, POSIX_PATH, text.back() == L'/');
    std::wstring out = UrlPath(url, style);
    tbx::CFRelease(url);
    return out;
}

std::wstring CBK_Path::GetDirectoryString(bool appendSlash) const {
    if (_path.empty())
        return {};
    const int32_t style = GetPathStyle();
    tbx::CFURLRef url = MakeUrl(_path, style, false);
    tbx::CFURLRef parent = tbx::CFURLCreateCopyDeletingLastPathComponent(nullptr, url);
    std::wstring out = UrlPath(parent, style);
    tbx::CFRelease(parent);
    tbx::CFRelease(url);
    if (appendSlash)
        BK_PathAppendSlash(out);
    return out;
}

// On this system the name stored for an item is the name in its path, so no file-system
// call is needed (the list sorts ask for it on every comparison).
std::wstring CBK_Path::GetFilenameString(bool withoutExtension) const {
    if (_path.empty())
        return {};
    tbx::CFURLRef url = MakeUrl(_path, GetPathStyle(), false);
    if (!url)
        return {};
    tbx::CFURLRef name = url;
    if (withoutExtension)
        name = tbx::CFURLCreateCopyDeletingPathExtension(nullptr, url);
    tbx::CFStringRef last = tbx::CFURLCopyLastPathComponent(name);
    std::wstring out = BK_WidenCFString(last);
    tbx::CFRelease(last);
    if (name != url)
        tbx::CFRelease(name);
    tbx::CFRelease(url);
    return out;
}

std::wstring CBK_Path::GetExtensionString(bool withDot) const {
    return BK_PathGetExtensionString(_path, withDot);
}

void CBK_Path::SetExtension(const wchar_t* ext) {
    if (_path.empty())
        return;
    const int32_t style = GetPathStyle();
    tbx::CFURLRef url = MakeUrl(_path, style, false);
    tbx::CFURLRef stem = tbx::CFURLCreateCopyDeletingPathExtension(nullptr, url);
    _path = UrlPath(stem, style) + (ext ? ext : L"");
    tbx::CFRelease(stem);
    tbx::CFRelease(url);
}

void CBK_Path::SetFilename(const wchar_t* name) {
    const std::wstring text = name ? name : L"";
    if (_path.empty()) {
        _path = text;
        return;
    }
    if (_path.back() == L'/') {
        _path += text;
        return;
    }
    const std::size_t slash = _path.find_last_of(L'/');
    _path = slash == std::wstring::npos ? text : _path.substr(0, slash + 1) + text;
}

bool CBK_Path::MakePath(const wchar_t* name, const wchar_t* folder) {
    return MakePath(name, CBK_Path(folder));
}

bool CBK_Path::MakePath(const wchar_t* name, const CBK_Path& folder) {
    std::wstring text = folder.GetFullPathString();
    BK_PathAppendSlash(text);
    _path = text + (name ? name : L"");
    return true;
}

bool CBK_Path::MakePath(const wchar_t* name, const tbx::FSRef& folder) {
    return MakePath(name, CBK_Path(folder));
}

bool CBK_Path::GetParentPath(CBK_Path& out) const {
    out.Set(GetDirectoryString(true).c_str());
    return !out._path.empty() && out.FileExists();
}

tbx::CFURLRef CBK_Path::GetCFURL() const {
    return BK_PathToCFURL(_path);
}

bool CBK_Path::GetFSRef(tbx::FSRef& ref) const {
    ref = tbx::FSRef();
    std::wstring full = GetFullPathString(POSIX_PATH);
    if (full.empty())
        return false;
    bool folder = false;
    if (full.size() >= 2 && full.back() == L'/') {
        full.pop_back();
        folder = true;
    }
    for (bool directory : {folder, !folder}) {
        tbx::CFURLRef url = MakeUrl(full, POSIX_PATH, directory);
        const bool found = tbx::CFURLGetFSRef(url, &ref);
        tbx::CFRelease(url);
        if (found)
            return true;
    }
    // The nearest existing parent, for callers that create things there.
    CBK_Path parent(CBK_Path(full).GetDirectoryString(true));
    if (!parent._path.empty() && parent._path != full + L"/" && parent._path != full)
        parent.GetFSRef(ref);
    return false;
}

bool CBK_Path::GetParentFSRef(tbx::FSRef& ref) const {
    return CBK_Path(GetDirectoryString(false)).GetFSRef(ref);
}

tbx::FSSpec CBK_Path::GetFSSpec() const {
    tbx::FSSpec fileRecord;
    if (_path.empty())
        return fileRecord;
    tbx::FSRef ref;
    if (GetFSRef(ref)) {
        fileRecord.path = ref.path;
        return fileRecord;
    }
    std::wstring full = GetFullPathString(POSIX_PATH);
    while (full.size() > 1 && full.back() == L'/')
        full.pop_back();
    fileRecord.path = BK_WideToFileSystemName(full);
    return fileRecord;
}

bool CBK_Path::IsDirectory() const {
    if (_path.empty())
        return false;
    tbx::FSRef ref;
    if (!GetFSRef(ref)) {
        m_nLastError = tbx::fnfErr;
        return false;
    }
    tbx::FSCatalogInfo info;
    const tbx::OSErr error =
        tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr);
    m_nLastError = error;
    return error == tbx::noErr && (info.nodeFlags & tbx::kFSNodeIsDirectoryMask) != 0;
}

bool CBK_Path::FileExists() const {
    return BK_PathExists(_path);
}

FILE* CBK_Path::OpenAsStdFile(const wchar_t* mode) const {
    if (!mode || _path.empty())
        return nullptr;
    return std::fopen(BK_WideToFileSystemName(_path).c_str(),
                      BK_WideToFileSystemName(mode).c_str());
}

bool CBK_Path::OpenAsFstream(std::fstream& stream, std::ios_base::openmode mode) const {
    if (_path.empty())
        return false;
    stream.open(BK_WideToFileSystemName(_path), mode);
    return stream.is_open();
}

std::wstring CBK_Path::GetRelativePathTo(const CBK_Path& target) const {
    return BK_PathRelativePathTo(*this, target);
}

std::wstring CBK_Path::GetRelativePathFrom(const CBK_Path& base) const {
    return BK_PathRelativePathTo(base, *this);
}

std::wstring CBK_Path::GetAbsolutePathFrom(const CBK_Path& base) const {
    return BK_PathAbsoluteFromRelative(*this, base);
}

void BK_PathAppendSlash(std::wstring& path) {
    if (path.empty())
        return;
    while (EndsWithSeparator(path))
        path.pop_back();
    path += L'/';
}

void BK_PathRemoveSlash(std::wstring& path) {
    if (!path.empty() && (path.back() == L'/' || path.back() == L'\\' || path.back() == L':'))
        path.pop_back();
}

std::wstring BK_PathGetDirectoryString(const std::wstring& path, bool appendSlash) {
    return CBK_Path(path).GetDirectoryString(appendSlash);
}

std::wstring BK_PathGetFilenameString(const std::wstring& path, bool withoutExtension) {
    return CBK_Path(path).GetFilenameString(withoutExtension);
}

std::wstring BK_PathGetExtensionString(const std::wstring& path, bool withDot) {
    const std::size_t slash = path.find_last_of(L'/');
    const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < nameStart)
        return {};
    return path.substr(withDot ? dot : dot + 1);
}

void BK_PathSetExtension(std::wstring& path, const wchar_t* ext) {
    CBK_Path full(CBK_Path(path).GetFullPathString());
    full.SetExtension(ext);
    path = full.GetPathString();
}

std::wstring BK_GetPathAsPosix(const std::wstring& path) {
    std::wstring out = path;
    for (wchar_t& c : out)
        c = (c == L':' || c == L'\\') ? L'/' : c;
    return out;
}

std::wstring BK_GetPathAsMac(const std::wstring& path) {
    std::wstring out = path;
    for (wchar_t& c : out)
        c = (c == L'/' || c == L'\\') ? L':' : c;
    return out;
}

std::wstring BK_GetPathAsWin(const std::wstring& path) {
    std::wstring out = path;
    for (wchar_t& c : out)
        c = (c == L':' || c == L'/') ? L'\\' : c;
    return out;
}

tbx::CFURLRef BK_PathToCFURL(const std::wstring& path) {
    return MakeUrl(path, CBK_Path(path).GetPathStyle(), false);
}

bool BK_PathExists(const std::wstring& path) {
    if (path.empty())
        return false;
    tbx::CFURLRef url = BK_PathToCFURL(path);
    tbx::FSRef ref;
    const bool found = tbx::CFURLGetFSRef(url, &ref);
    tbx::CFRelease(url);
    return found;
}

bool BK_PathIsFolder(const std::wstring& path) {
    return !path.empty() && path.back() == L'/';
}

bool IsDots(const wchar_t* name) {
    return name && (std::wstring(name) == L"." || std::wstring(name) == L"..");
}

tbx::OSStatus BK_UnicodeNameGetHFSName(uint32_t length, const tbx::UniChar* name,
                                       tbx::TextEncoding encoding, bool isVolumeName,
                                       unsigned char* hfsName) {
    if (!hfsName || (!name && length))
        return tbx::paramErr;
    hfsName[0] = 0;
    if (encoding == 0xFFFF)
        encoding = tbx::kCFStringEncodingMacRoman;
    std::string bytes;
    if (!tbx::text::Encode(std::u16string_view(name, length), encoding, bytes))
        return tbx::bdNamErr;
    const std::size_t limit = isVolumeName ? 27 : 31;
    if (bytes.size() > limit)
        return tbx::errFSNameTooLong;
    hfsName[0] = static_cast<unsigned char>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), hfsName + 1);
    return tbx::noErr;
}
