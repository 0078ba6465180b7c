#include "platform/resources/aliases.h"

#include <cerrno>
#include <sys/stat.h>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/resources/resource_fork.h"

namespace tbx {
namespace {

// The folder part of a full path, with its "/".
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("/") : path.substr(0, slash + 1);
}

// The full path that one alias or link leads to.
OSErr NextTarget(const FSRef& alias, std::string& target) {
    struct stat info;
    if (lstat(alias.path.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    if (S_ISLNK(info.st_mode)) {
        if (OSErr error = FSReadLink(&alias, target))
            return error;
        if (target.empty() || target[0] != '/')
            target = FolderOf(alias.path) + target;
        return noErr;
    }
    std::vector<ForkResource> resources;
    if (rsrc::ReadForkResources(alias, true, resources) != noErr)
        return paramErr;
    for (const ForkResource& r : resources) {
        if (r.type != FourCC("alis") || r.id != 0)
            continue;
        if (r.data.empty() || r.data[0] != '/' || r.data.find('\0') != std::string::npos)
            return paramErr;
        target = r.data;
        return noErr;
    }
    return paramErr;
}

} // namespace

OSErr FSIsAliasFile(const FSRef* fileRef, Boolean* aliasFileFlag, Boolean* folderFlag) {
    if (!fileRef || !aliasFileFlag || !folderFlag)
        return paramErr;
    *aliasFileFlag = *folderFlag = false;
    if (fileRef->path.empty())
        return errFSBadFSRef;
    struct stat info;
    if (lstat(fileRef->path.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    *folderFlag = S_ISDIR(info.st_mode);
    if (S_ISLNK(info.st_mode)) {
        *aliasFileFlag = true;
    } else if (S_ISREG(info.st_mode)) {
        FSCatalogInfo catalog;
        if (OSErr error = FSGetCatalogInfo(fileRef, kFSCatInfoFinderInfo, &catalog, nullptr,
                                           nullptr, nullptr))
            return error;
        *aliasFileFlag = (GetFileInfo(catalog).finderFlags & kIsAlias) != 0;
    }
    return noErr;
}

OSErr FSResolveAliasFile(FSRef* theRef, Boolean resolveAliasChains, Boolean* targetIsFolder,
                         Boolean* wasAliased) {
    if (!theRef || !targetIsFolder || !wasAliased)
        return paramErr;
    *targetIsFolder = *wasAliased = false;
    FSRef current = *theRef;
    int links = 0;
    for (;;) {
        Boolean alias = false, folder = false;
        if (OSErr error = FSIsAliasFile(&current, &alias, &folder))
            return error;
        if (!alias || (!resolveAliasChains && links == 1))
            break;
        if (links == kMaxAliasLinks)
            return FSErrorFromErrno(ELOOP);
        std::string target;
        if (OSErr error = NextTarget(current, target))
            return error;
        FSRef next;
        if (OSErr error =
                FSPathMakeRef(reinterpret_cast<const UInt8*>(target.c_str()), &next, nullptr))
            return error;
        current = std::move(next);
        ++links;
    }
    struct stat info;
    if (stat(current.path.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    *targetIsFolder = S_ISDIR(info.st_mode);
    *wasAliased = links > 0;
    *theRef = std::move(current);
    return noErr;
}

} // namespace tbx
