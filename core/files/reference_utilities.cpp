#include "core/files/reference_utilities.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <map>
#include <mutex>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/files/hfs_names.h"
#include "platform/files/fs_catalog.h"

using namespace tbx;

namespace {

std::string PascalText(const unsigned char* name) {
    return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

bool StorePascal(const std::string& text, unsigned char* out, std::size_t limit) {
    if (text.size() > limit)
        return false;
    out[0] = UInt8(text.size());
    std::memcpy(out + 1, text.data(), text.size());
    return true;
}

OSErr PathOf(const FSRef* ref, std::string& path) {
    if (!ref || ref->path.empty())
        return paramErr;
    path = ref->path;
    return noErr;
}

// The path, owner, group and mode of a folder; dirNFErr for a file.
OSErr FolderAccess(const FSRef* ref, std::string& path, FSCatalogInfo& info) {
    if (OSErr error = PathOf(ref, path))
        return error;
    if (OSErr error = FSGetCatalogInfo(ref, kFSCatInfoPermissions | kFSCatInfoNodeFlags, &info,
                                       nullptr, nullptr, nullptr))
        return error;
    return (info.nodeFlags & kFSNodeIsDirectoryMask) ? noErr : dirNFErr;
}

// One byte of access rights from three permission bits (read, write, search).
SInt32 RightsByte(mode_t bits) {
    return ((bits & 1) ? 0x01 : 0) | ((bits & 4) ? 0x02 : 0) | ((bits & 2) ? 0x04 : 0);
}

mode_t ModeBits(SInt32 rights) {
    return ((rights & 0x01) ? 1 : 0) | ((rights & 0x02) ? 4 : 0) | ((rights & 0x04) ? 2 : 0);
}

UInt8 Privileges(const std::string& path, uid_t owner) {
    UInt8 privileges = 0;
    if (access(path.c_str(), R_OK) != 0)
        privileges |= kioACUserNoSeeFolderMask | kioACUserNoSeeFilesMask;
    if (access(path.c_str(), W_OK) != 0)
        privileges |= kioACUserNoMakeChangesMask;
    if (owner != geteuid())
        privileges |= kioACUserNotOwnerMask;
    return privileges;
}

struct FileId {
    std::string path;
    ino_t node;
};
std::mutex gFileIdMutex;
std::map<SInt32, FileId> gFileIds;

} // namespace

OSErr FSRefMakeFSSpec(const FSRef* ref, FSSpec* fileSpec) {
    if (!ref || !fileSpec || ref->path.empty())
        return paramErr;
    fileSpec->path = ref->path;
    return noErr;
}

OSErr FSMakeFSRef(FSVolumeRefNum volume, SInt32 folderID, const unsigned char* name, FSRef* ref) {
    if (!ref)
        return paramErr;
    if (folderID != SInt32(kFSRootDirID))
        return dirNFErr;
    FSRef root;
    if (OSErr error = FSGetVolumeInfo(volume, 0, nullptr, nullptr, nullptr, &root))
        return error;
    if (!name || name[0] == 0) {
        *ref = root;
        return noErr;
    }
    HFSUniStr255 units;
    if (OSErr error = HFSNameGetUnicodeName(name, 0xFFFF, &units))
        return error;
    return FSMakeFSRefUnicode(&root, units.length, units.unicode, 0, ref);
}

OSErr FSMakePath(FSVolumeRefNum volume, SInt32 folderID, const unsigned char* name, UInt8* path,
                 UInt32 maxPathSize) {
    FSRef ref;
    if (OSErr error = FSMakeFSRef(volume, folderID, name, &ref))
        return error;
    return OSErr(FSRefMakePath(&ref, path, maxPathSize));
}

OSErr FSPathMakeFSSpec(const UInt8* path, FSSpec* fileSpec, Boolean* isDirectory) {
    if (!path || !fileSpec || !path[0])
        return paramErr;
    FSRef ref;
    Boolean folder = false;
    if (FSPathMakeRef(path, &ref, &folder) == noErr) {
        fileSpec->path = ref.path;
        if (isDirectory)
            *isDirectory = folder;
        return noErr;
    }
    std::string text(reinterpret_cast<const char*>(path));
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    const std::size_t slash = text.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : text.substr(0, slash + 1);
    FSRef parentRef;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(parent.c_str()), &parentRef, &folder) !=
            noErr ||
        !folder)
        return dirNFErr;
    fileSpec->path = (parentRef.path == "/" ? "" : parentRef.path) + "/" + text.substr(slash + 1);
    if (isDirectory)
        *isDirectory = false;
    return fnfErr;
}

Boolean FSRefValid(const FSRef* ref) {
    FSCatalogInfo info;
    return ref && FSGetCatalogInfo(ref, kFSCatInfoNone, &info, nullptr, nullptr, nullptr) == noErr;
}

OSErr FSGetParentRef(const FSRef* ref, FSRef* parentRef) {
    if (!ref || !parentRef)
        return paramErr;
    FSCatalogInfo info;
    return FSGetCatalogInfo(ref, kFSCatInfoNone, &info, nullptr, nullptr, parentRef);
}

OSErr FSGetFileDirName(const FSRef* ref, HFSUniStr255* name) {
    if (!ref || !name)
        return paramErr;
    FSCatalogInfo info;
    return FSGetCatalogInfo(ref, kFSCatInfoNone, &info, name, nullptr, nullptr);
}

OSErr FSGetNodeID(const FSRef* ref, SInt32* nodeID, Boolean* isDirectory) {
    if (!ref)
        return paramErr;
    FSCatalogInfo info;
    if (OSErr error = FSGetCatalogInfo(ref, kFSCatInfoNodeID | kFSCatInfoNodeFlags, &info, nullptr,
                                       nullptr, nullptr))
        return error;
    if (nodeID)
        *nodeID = SInt32(info.nodeID);
    if (isDirectory)
        *isDirectory = (info.nodeFlags & kFSNodeIsDirectoryMask) != 0;
    return noErr;
}

OSErr FSGetUserPrivilegesPermissions(const FSRef* ref, UInt8* userPrivileges,
                                     UInt32 permissions[4]) {
    std::string path;
    if (OSErr error = PathOf(ref, path))
        return error;
    FSCatalogInfo info;
    if (OSErr error =
            FSGetCatalogInfo(ref, kFSCatInfoPermissions, &info, nullptr, nullptr, nullptr))
        return error;
    if (userPrivileges)
        *userPrivileges = Privileges(path, info.permissions.userID);
    if (permissions) {
        permissions[0] = info.permissions.userID;
        permissions[1] = info.permissions.groupID;
        permissions[2] = info.permissions.mode;
        permissions[3] = 0;
    }
    return noErr;
}

OSErr FSGetDirAccess(const FSRef* ref, SInt32* ownerID, SInt32* groupID, SInt32* accessRights) {
    std::string path;
    FSCatalogInfo info;
    if (OSErr error = FolderAccess(ref, path, info))
        return error;
    const mode_t mode = info.permissions.mode;
    if (ownerID)
        *ownerID = SInt32(info.permissions.userID);
    if (groupID)
        *groupID = SInt32(info.permissions.groupID);
    if (accessRights)
        *accessRights = RightsByte(mode >> 6) | RightsByte(mode >> 3) << 8 |
                        RightsByte(mode) << 16 |
                        SInt32(Privileges(path, info.permissions.userID)) << 24;
    return noErr;
}

OSErr FSSetDirAccess(const FSRef* ref, SInt32 ownerID, SInt32 groupID, SInt32 accessRights) {
    std::string path;
    FSCatalogInfo info;
    if (OSErr error = FolderAccess(ref, path, info))
        return error;
    if ((UInt32(ownerID) != info.permissions.userID ||
         UInt32(groupID) != info.permissions.groupID) &&
        chown(path.c_str(), uid_t(ownerID), gid_t(groupID)) != 0)
        return FSErrorFromErrno(errno);
    const mode_t mode = mode_t(ModeBits(accessRights) << 6 | ModeBits(accessRights >> 8) << 3 |
                               ModeBits(accessRights >> 16));
    if (chmod(path.c_str(), mode | (info.permissions.mode & 07000)) != 0)
        return FSErrorFromErrno(errno);
    return noErr;
}

OSErr FSMapID(FSVolumeRefNum, SInt32 ugID, SInt16 objType, unsigned char* name) {
    if (!name)
        return paramErr;
    std::vector<char> buffer(16384);
    std::string text;
    if (objType == kOwnerID2Name) {
        passwd entry, *found = nullptr;
        if (getpwuid_r(uid_t(ugID), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
            return fnfErr;
        text = found->pw_name;
    } else if (objType == kGroupID2Name) {
        group entry, *found = nullptr;
        if (getgrgid_r(gid_t(ugID), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
            return fnfErr;
        text = found->gr_name;
    } else {
        return paramErr;
    }
    return StorePascal(text, name, 31) ? OSErr(noErr) : OSErr(bdNamErr);
}

OSErr FSMapName(FSVolumeRefNum, const unsigned char* name, SInt16 objType, SInt32* ugID) {
    if (!name || !ugID)
        return paramErr;
    const std::string text = PascalText(name);
    std::vector<char> buffer(16384);
    if (objType == kOwnerName2ID) {
        passwd entry, *found = nullptr;
        if (getpwnam_r(text.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
            return fnfErr;
        *ugID = SInt32(found->pw_uid);
    } else if (objType == kGroupName2ID) {
        group entry, *found = nullptr;
        if (getgrnam_r(text.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
            return fnfErr;
        *ugID = SInt32(found->gr_gid);
    } else {
        return paramErr;
    }
    return noErr;
}

OSErr FSCreateFileIDRef(const FSRef* ref, SInt32* fileID) {
    std::string path;
    if (OSErr error = PathOf(ref, path))
        return error;
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return FSErrorFromErrno(errno);
    if (S_ISDIR(info.st_mode))
        return notAFileErr;
    SInt32 id = 0;
    if (OSErr error = FSGetNodeID(ref, &id, nullptr))
        return error;
    std::lock_guard<std::mutex> lock(gFileIdMutex);
    gFileIds[id] = {path, info.st_ino};
    if (fileID)
        *fileID = id;
    return noErr;
}

OSErr FSResolveFileIDRef(FSVolumeRefNum, SInt32 fileID, FSRef* ref) {
    if (!ref)
        return paramErr;
    FileId known;
    {
        std::lock_guard<std::mutex> lock(gFileIdMutex);
        auto found = gFileIds.find(fileID);
        if (found == gFileIds.end())
            return fidNotFound;
        known = found->second;
    }
    struct stat info;
    if (stat(known.path.c_str(), &info) != 0 || info.st_ino != known.node)
        return fidNotFound;
    return OSErr(FSPathMakeRef(reinterpret_cast<const UInt8*>(known.path.c_str()), ref, nullptr));
}

OSErr FSCheckLock(const FSRef* ref) {
    if (!ref)
        return paramErr;
    FSCatalogInfo info;
    if (OSErr error = FSGetCatalogInfo(ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr))
        return error;
    if (info.nodeFlags & kFSNodeLockedMask)
        return fLckdErr;
    FSVolumeRefNum volume = 0;
    FSVolumeInfo volumeInfo;
    if (FSGetVolumeOfRef(ref, &volume) != noErr ||
        FSGetVolumeInfo(volume, 0, nullptr, &volumeInfo, nullptr, nullptr) != noErr)
        return noErr;
    if (volumeInfo.flags & kFSVolFlagHardwareLockedMask)
        return wPrErr;
    if (volumeInfo.flags & kFSVolFlagSoftwareLockedMask)
        return vLckdErr;
    return noErr;
}

OSErr FSSetDefault(const FSRef* newDefault, FSRef* oldDefault) {
    std::string path;
    if (OSErr error = PathOf(newDefault, path))
        return error;
    if (!oldDefault)
        return paramErr;
    std::vector<char> buffer(4096);
    if (!getcwd(buffer.data(), buffer.size()))
        return FSErrorFromErrno(errno);
    if (OSErr error =
            FSPathMakeRef(reinterpret_cast<const UInt8*>(buffer.data()), oldDefault, nullptr))
        return error;
    return chdir(path.c_str()) == 0 ? OSErr(noErr) : FSErrorFromErrno(errno);
}

OSErr FSRestoreDefault(const FSRef* oldDefault) {
    std::string path;
    if (OSErr error = PathOf(oldDefault, path))
        return error;
    return chdir(path.c_str()) == 0 ? OSErr(noErr) : FSErrorFromErrno(errno);
}
