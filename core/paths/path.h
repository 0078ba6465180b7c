// CBK_Path: the one file-path value of the system, a wide POSIX path. Folders end in "/". A
// relative path is taken from the application bundle's folder wherever a full path is made.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/cf_string.h"
#include "platform/files/cf_url.h"
#include "platform/files/fs_types.h"
#include "platform/files/launch.h"

struct BK_FILE_CREATE_ATTRIBUTES;
class CBK_OFStream;

// Path styles; the values are those of tbx::CFURLPathStyle.
enum : int32_t {
    POSIX_PATH = tbx::kCFURLPOSIXPathStyle,
    MAC_PATH = tbx::kCFURLHFSPathStyle,
    WINDOWS_PATH = tbx::kCFURLWindowsPathStyle,
};

// The domain of a standard folder; any value other than these four is the user's domain.
enum DOMAIN_TYPE : int32_t {
    DOMAIN_SYSTEM = 0,
    DOMAIN_LOCAL = 1,
    DOMAIN_USER = 2,
    DOMAIN_NETWORK = 3,
    DOMAIN_CLASSIC = 4,
};

// Permission for OpenAsFileHandle.
enum FILE_OPEN_FLAG : int32_t {
    FILE_OPEN_READ = 0,
};

// Name of the program's own sub-folder of the temporary folder; empty until set.
extern std::wstring gBK_TempSubFolder;

class CBK_Path {
public:
    // The last platform error a path operation recorded; not cleared on success.
    static int32_t m_nLastError;
    // A folder (with a trailing "/") that callers may use instead of the bundle's resources.
    static std::wstring m_CustomResourcePath;

    CBK_Path() = default;
    CBK_Path(const wchar_t* text) : _path(text ? text : L"") {}
    CBK_Path(const std::wstring& text) : _path(text) {}
    // Takes over the caller's reference and releases it.
    explicit CBK_Path(tbx::CFStringRef text);
    explicit CBK_Path(tbx::CFURLRef url);
    // Records in m_nLastError whether the reference could be tested for being an alias; the
    // path is the reference's own, an alias file keeping its path.
    explicit CBK_Path(const tbx::FSRef& ref);
    explicit CBK_Path(const tbx::FSSpec& fileRecord);
    CBK_Path(const CBK_Path&) = default;
    CBK_Path& operator=(const CBK_Path&) = default;

    void Set(const wchar_t* text) { _path = text ? text : L""; }
    void Set(tbx::CFStringRef text);
    // A null URL leaves the path unchanged.
    void Set(tbx::CFURLRef url);
    void Set(const tbx::FSRef& ref);
    void Set(const tbx::FSSpec& fileRecord);
    void Set(const CBK_Path& other);

    const std::wstring& GetPathString() const { return _path; }
    const std::wstring& GetString() const { return _path; }

    // Full paths compared without regard to case.
    bool operator==(const CBK_Path& other) const;
    bool operator!=(const CBK_Path& other) const { return !(*this == other); }

    // MAC_PATH for a text with ":" but neither "/" nor "://"; otherwise POSIX_PATH.
    int32_t GetPathStyle() const;
    bool IsRelative() const;
    void AppendSlash();
    void RemoveSlash();
    std::wstring GetFullPathString(int32_t style = POSIX_PATH) const;
    // The path less its last component; empty for an empty path.
    std::wstring GetDirectoryString(bool appendSlash) const;
    std::wstring GetFilenameString(bool withoutExtension = false) const;
    // The file name's text from its last "." (with the dot when asked); empty without one.
    std::wstring GetExtensionString(bool withDot) const;
    // Replaces the extension by `ext`, given with its dot ("" removes it).
    void SetExtension(const wchar_t* ext);
    void SetFilename(const wchar_t* name);
    bool MakePath(const wchar_t* name, const wchar_t* folder);
    bool MakePath(const wchar_t* name, const CBK_Path& folder);
    bool MakePath(const wchar_t* name, const tbx::FSRef& folder);
    // The folder of this path; true when it exists.
    bool GetParentPath(CBK_Path& out) const;
    // A new URL owned by the caller, from the text as held.
    tbx::CFURLRef GetCFURL() const;

    // The item's reference; true only when the item itself exists. When it does not, `ref`
    // names its nearest existing parent folder (where creation routines make things).
    bool GetFSRef(tbx::FSRef& ref) const;
    bool GetFile(tbx::FSRef& ref) const { return GetFSRef(ref); }
    bool GetParentFSRef(tbx::FSRef& ref) const;
    // Names the item whether or not it exists yet; empty for an empty path.
    tbx::FSSpec GetFSSpec() const;
    bool IsDirectory() const;
    // Whether a file or folder is there (the text as held; relative texts from the current
    // folder).
    bool FileExists() const;
    bool FolderExists() const { return FileExists(); }

    // Level paths: each replaces this path and returns true on success.
    bool GetAppPath();
    bool GetAppDirectory();
    bool MakeAppLevelPath(const wchar_t* name, bool processFile = false);
    bool GetTempDirectory();
    bool MakeTempLevelPath(const wchar_t* name, bool inSubFolder);
    static bool SetDefaultTempFolderPath(const wchar_t* name);
    static bool DeleteTempSubFolderPath();
    bool GetSpecialDirectory(uint32_t folderType, DOMAIN_TYPE domain);
    bool GetAppSupportDirectory(DOMAIN_TYPE domain);
    bool GetDocumentsDirectory();
    bool GetDesktopDirectory();
    bool MakeSpecialDirectoryLevelPath(const wchar_t* name, uint32_t folderType,
                                       DOMAIN_TYPE domain);
    bool MakeAppSupportLevelPath(const wchar_t* name, DOMAIN_TYPE domain);
    bool MakeDocumentsLevelPath(const wchar_t* name);
    bool MakeDesktopLevelPath(const wchar_t* name);
    bool MakeBundleResourceLevelPath(const wchar_t* name);
    bool GetBundleResourceDirectory();
    static void SetCustomResourceDirectory(const CBK_Path& folder);
    static CBK_Path GetCustomResourceDirectory();

    // stem + "__" + extension, then stem + "__N" + extension for N = 0..999: the first that
    // does not exist.
    bool MakeUniqueTempPath(const CBK_Path& source);
    // Renames `source` to its name + "~"; an existing backup is replaced only with overwrite.
    bool MakeBackupPath(CBK_Path& source, bool overwrite);

    bool CreateFile(const BK_FILE_CREATE_ATTRIBUTES* attributes, bool overwrite);
    // A new file with an empty resource map in its data fork; an existing file is replaced
    // only with overwrite. The second argument has no effect.
    bool CreateResFile(const BK_FILE_CREATE_ATTRIBUTES* attributes, bool, bool overwrite);
    // True when a folder is there or was made; false when a file has the name.
    bool CreateFolder();
    bool DeleteFolder(bool recursive);
    // True when nothing is there; folders are refused.
    bool DeleteFile(bool unlinkWhenBusy = false);
    // Replaces a file of the new name atomically.
    bool RenameFile(const wchar_t* newName);
    // Into `destination` (a folder) or into its folder; never replaces an existing item.
    bool MoveFileTo(const CBK_Path& destination, bool = false);
    bool CopyFileTo(const CBK_Path& folder, const wchar_t* newName, bool replace,
                    CBK_Path* newPath = nullptr);
    // Starts `application` with this document as its argument.
    bool LaunchFileWith(const CBK_Path& application);
    // Starts this program.
    bool LaunchFile(tbx::ProcessSerialNumber& psn);
    // Asks the process psn (every process when psn is zero) to quit (SIGTERM) when this
    // program is what it runs; never this process. False when none matched.
    bool QuitFile(tbx::ProcessSerialNumber& psn);
    bool OpenAsFileHandle(int16_t& refNum, FILE_OPEN_FLAG flag = FILE_OPEN_READ);
    // fopen of the path; file-system names are always UTF-8. The caller closes the stream.
    FILE* OpenAsStdFile(const wchar_t* mode) const;
    bool OpenAsFstream(std::fstream& stream, std::ios_base::openmode mode) const;
    bool OpenAsFstream(CBK_OFStream& stream, std::ios_base::openmode mode) const;
    // Stores the sizes in the 'SIZE' -1 resource of the file's resource fork (after its flags
    // word, preferred then minimum); false when there is no such resource.
    bool SetMemoryHeapSize(uint32_t preferred, uint32_t minimum);

    std::wstring GetRelativePathTo(const CBK_Path& target) const;
    std::wstring GetRelativePathFrom(const CBK_Path& base) const;
    std::wstring GetAbsolutePathFrom(const CBK_Path& base) const;

    static int32_t GetLastError() { return m_nLastError; }

private:
    // The target of an alias file or link (its whole chain), or the reference itself when it
    // is none; false when an alias cannot be resolved (the error in m_nLastError).
    static bool _ResolveAlias(tbx::FSRef& ref);
    friend bool BK_ResolveShortcut(const CBK_Path& alias, CBK_Path& target);

    std::wstring _path;
};

// A wide text as the UTF-8 bytes the file system takes.
std::string BK_WideToFileSystemName(const std::wstring& text);
// File-system bytes as wide text; bytes that are not UTF-8 become U+FFFD.
std::wstring BK_FileSystemNameToWide(const std::string& bytes);

// Text operations on a path text.
void BK_PathAppendSlash(std::wstring& path);
void BK_PathRemoveSlash(std::wstring& path);
std::wstring BK_PathGetDirectoryString(const std::wstring& path, bool appendSlash);
std::wstring BK_PathGetFilenameString(const std::wstring& path, bool withoutExtension);
std::wstring BK_PathGetExtensionString(const std::wstring& path, bool withDot);
// `ext` with its dot; the text becomes a full path.
void BK_PathSetExtension(std::wstring& path, const wchar_t* ext);
// Separator replacement only.
std::wstring BK_GetPathAsPosix(const std::wstring& path);
std::wstring BK_GetPathAsMac(const std::wstring& path);
std::wstring BK_GetPathAsWin(const std::wstring& path);
tbx::CFURLRef BK_PathToCFURL(const std::wstring& path);
bool BK_PathExists(const std::wstring& path);
// Whether the text ends in "/".
bool BK_PathIsFolder(const std::wstring& path);

// The text that leads from `base` (a file, or a folder ending in "/") to `target`.
std::wstring BK_PathRelativePathTo(const CBK_Path& base, const CBK_Path& target);
std::wstring BK_PathAbsoluteFromRelative(const CBK_Path& relative, const CBK_Path& base);

// The application bundle (flag true) or the running executable, and the bundle's folder.
bool BK_GetAppFile(tbx::FSRef& ref, bool bundle);
bool BK_GetAppFolder(tbx::FSRef& ref);

// Opens the document with the desktop's default program (xdg-open).
bool BK_LaunchDocument(const CBK_Path& document);
bool BK_LaunchApplication(const CBK_Path& application, tbx::ProcessSerialNumber& psn);
bool BK_SetFileMemoryHeapSize(const tbx::FSSpec& fileRecord, uint32_t preferred, uint32_t minimum);
// An alias file of `target`: its Finder information with the alias flag (an application's
// type 'APPL' becomes 'adrp') and an 'alis' 0 resource holding the target's full path. The
// alias file must not exist yet; a failure leaves nothing behind.
bool BK_CreateShortcut(const CBK_Path& target, const CBK_Path& alias);
// The target of an alias file (or link) and its whole chain; false, `target` unchanged, when
// `alias` is no alias or its target cannot be found (the error in m_nLastError).
bool BK_ResolveShortcut(const CBK_Path& alias, CBK_Path& target);

// One flat walk of a folder at a time; a new first call closes the previous walk.
bool BK_FindFirstFile(const CBK_Path& folder, CBK_Path& item, bool* isFolder,
                      const wchar_t* pattern);
bool BK_FindNextFile(CBK_Path& item, bool* isFolder);
bool BK_FindClose();
// Depth-first search for a file name (without regard to case); links are not followed.
bool BK_FindFile(const wchar_t* name, const CBK_Path& folder, CBK_Path& found);
bool IsDots(const wchar_t* name);

// A length-prefixed HFS name (at most 27 bytes for a volume, else 31) in `encoding`
// (0xFFFF: Mac Roman). bdNamErr when a character has no form there, errFSNameTooLong when
// too long, paramErr for a null output.
tbx::OSStatus BK_UnicodeNameGetHFSName(uint32_t length, const tbx::UniChar* name,
                                       tbx::TextEncoding encoding, bool isVolumeName,
                                       unsigned char* hfsName);
