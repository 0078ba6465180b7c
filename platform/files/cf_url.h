// Core Foundation file URLs, held as POSIX path text (UTF-8) with a directory flag.
#pragma once

#include <string>

#include "platform/bundle.h"
#include "platform/cf_string.h"
#include "platform/files/fs_types.h"

namespace tbx {

class CFURL : public CFObject {
public:
    CFURL(std::string path, bool directory) : _path(std::move(path)), _directory(directory) {}
    // The path without a trailing "/" (the root stays "/").
    const std::string& Path() const { return _path; }
    bool IsDirectory() const { return _directory; }

private:
    std::string _path;
    bool _directory;
};

using CFURLRef = const CFURL*;

enum CFURLPathStyle {
    kCFURLPOSIXPathStyle = 0,
    kCFURLHFSPathStyle = 1,
    kCFURLWindowsPathStyle = 2,
};

// HFS paths begin with a volume name; the root folder is this volume and any other volume
// is the folder of its name in /Volumes.
constexpr const char* kStartupVolumeName = "Macintosh HD";

// Null for a null or empty path. A relative path stays relative.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle style,
                                       Boolean isDirectory);
// The path in the style, without a trailing separator (the root keeps its own form).
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
Boolean CFURLHasDirectoryPath(CFURLRef url);
// The reference of the item when it exists.
Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref);
CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref);
// "/a/b/c" gives "/a/b/"; a relative "c" gives "."; the root stays the root.
CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url);
CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url, CFStringRef component,
                                               Boolean isDirectory);
// The last component; "/" for the root.
CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
// The path less the last component's extension (from its last "." that is not its first
// character).
CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef, CFURLRef url);

// A bundle of code at the URL's path (see CFBundleCreateFromPath).
inline CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    return bundleURL ? CFBundleCreateFromPath(bundleURL->Path()) : nullptr;
}

// The bundle folder, and a file or folder directly in its Contents/Resources (null when
// missing). The type, when given, is added to the name after a ".".
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName);

} // namespace tbx
