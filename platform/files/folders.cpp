#include "platform/files/folders.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"

namespace tbx {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    // Relative values are not valid XDG folders.
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string Home() {
    std::string home = Environment("HOME");
    return home.empty() ? std::string("/") : home;
}

std::string XdgFolder(const char* variable, const char* fallback) {
    std::string value = Environment(variable);
    return value.empty() ? Home() + "/" + fallback : value;
}

// XDG_DOCUMENTS_DIR and XDG_DESKTOP_DIR: the variable, else the user-dirs.dirs file of the
// configuration folder, else the usual folder in the home folder.
std::string UserFolder(const char* variable, const char* fallback) {
    std::string value = Environment(variable);
    if (!value.empty())
        return value;
    std::ifstream in(XdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    const std::string key = std::string(variable) + "=";
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string text = line.substr(key.size());
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
            text = text.substr(1, text.size() - 2);
        if (text.compare(0, 5, "$HOME") == 0)
            text = Home() + text.substr(5);
        if (!text.empty() && text[0] == '/')
            return text;
    }
    return Home() + "/" + fallback;
}

// mkdir -p with the given mode for the folders it makes.
bool MakeFolders(const std::string& path, mode_t mode) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const std::string parent = fs_detail::ParentOf(path);
    if (!parent.empty() && parent != path && !MakeFolders(parent, mode))
        return false;
    return mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

// The private temporary folder: made 0700 when missing; one that someone else owns, or
// that is a link, is refused; wider rights of our own folder are narrowed.
OSErr PrivateTempFolder(bool create, std::string& out) {
    std::string base = Environment("TMPDIR");
    if (base.empty())
        base = "/tmp";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    out = fs_detail::Join(base, "stravel-" + std::to_string(geteuid()));
    struct stat info;
    if (lstat(out.c_str(), &info) != 0) {
        if (errno != ENOENT || !create)
            return fnfErr;
        if (mkdir(out.c_str(), 0700) != 0 && errno != EEXIST)
            return FSErrorFromErrno(errno);
        if (lstat(out.c_str(), &info) != 0)
            return FSErrorFromErrno(errno);
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid())
        return afpAccessDenied;
    if ((info.st_mode & 0077) != 0 && chmod(out.c_str(), 0700) != 0)
        return afpAccessDenied;
    return noErr;
}

} // namespace

OSErr FSFindFolder(SInt16 domain, OSType folderType, Boolean createFolder, FSRef* foundRef) {
    if (!foundRef)
        return paramErr;
    *foundRef = FSRef();
    std::string path;
    mode_t mode = 0700;
    const bool user = domain == kUserDomain || domain == kOnSystemDisk;
    const bool shared = domain == kLocalDomain || domain == kSystemDomain;
    if (folderType == kTemporaryFolderType && user) {
        if (OSErr error = PrivateTempFolder(createFolder != 0, path))
            return error;
    } else if (folderType == kApplicationSupportFolderType && user) {
        path = XdgFolder("XDG_DATA_HOME", ".local/share");
    } else if (folderType == kPreferencesFolderType && user) {
        path = XdgFolder("XDG_CONFIG_HOME", ".config");
    } else if (folderType == kDocumentsFolderType && user) {
        path = UserFolder("XDG_DOCUMENTS_DIR", "Documents");
        mode = 0755;
    } else if (folderType == kDesktopFolderType && user) {
        path = UserFolder("XDG_DESKTOP_DIR", "Desktop");
        mode = 0755;
    } else if (folderType == kApplicationSupportFolderType && shared) {
        path = domain == kLocalDomain ? "/usr/local/share" : "/usr/share";
    } else if (folderType == kPreferencesFolderType && shared) {
        path = "/etc/xdg";
    } else {
        return fnfErr;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (!createFolder || !user || !MakeFolders(path, mode))
            return fnfErr;
    }
    return fs_detail::MakeRef(path, false, *foundRef);
}

} // namespace tbx
