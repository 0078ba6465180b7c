#include "platform/resources/resource_files.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/memory.h"
#include "platform/resources/resource_fork.h"

namespace tbx {
namespace {

constexpr std::uintmax_t kMaxResourceBytes = 16u << 20;

// A resource file: a folder of one file per resource, or a resource map read whole from a
// file's fork when it was opened.
struct Source {
    std::string path;
    bool folder = true;
    std::vector<ForkResource> resources;
};

struct OpenFile {
    SInt16 refNum;
    Source source;
};

constexpr SInt16 kMaxRefNum = 0x7FFF;

struct Manager {
    std::vector<OpenFile> files; // in the order opened
    SInt16 current = 0;
    SInt16 nextRef = 1; // where the search for a free number starts
    OSErr lastError = noErr;
    std::set<Handle> loaded;
};

Manager& TheManager() {
    static Manager manager;
    return manager;
}

// A number from 1 to kMaxRefNum that no open file holds, taken in turn so that a closed
// file's number comes back as late as possible; 0 when every one is held.
SInt16 FreeRefNum(Manager& manager) {
    std::vector<bool> held(std::size_t(kMaxRefNum) + 1);
    for (const OpenFile& file : manager.files)
        held[std::size_t(file.refNum)] = true;
    for (int tried = 0; tried < kMaxRefNum; ++tried) {
        const SInt16 refNum = manager.nextRef;
        manager.nextRef = refNum == kMaxRefNum ? SInt16(1) : SInt16(refNum + 1);
        if (!held[std::size_t(refNum)])
            return refNum;
    }
    return 0;
}

Handle LoadFromFolder(const std::string& folder, ResType type, SInt16 id) {
    namespace fs = std::filesystem;
    const fs::path path = fs::path(folder) / ResourceTypeFolderName(type) / std::to_string(id);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || !fs::is_regular_file(path, error) || size > kMaxResourceBytes)
        return nullptr;
    std::ifstream in(path, std::ios::binary);
    Handle handle = NewHandle(static_cast<std::size_t>(size));
    if (!in || !handle) {
        DisposeHandle(handle);
        return nullptr;
    }
    if (size && !in.read(*handle, static_cast<std::streamsize>(size))) {
        DisposeHandle(handle);
        return nullptr;
    }
    return handle;
}

Handle Load(const Source& source, ResType type, SInt16 id) {
    if (source.folder)
        return LoadFromFolder(source.path, type, id);
    for (const ForkResource& resource : source.resources) {
        if (resource.type != type || resource.id != id)
            continue;
        Handle handle = NewHandle(resource.data.size());
        if (handle && !resource.data.empty())
            std::memcpy(*handle, resource.data.data(), resource.data.size());
        return handle;
    }
    return nullptr;
}

// The resource map of a file: its resource fork when it has one, else its data fork (where
// CreateResFile puts the map). A damaged map is refused, never half read.
OSErr OpenSource(const std::string& path, Source& source) {
    source.path = path;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        source.folder = true;
        return noErr;
    }
    FSRef ref;
    FSCatalogInfo info;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr) != noErr ||
        FSGetCatalogInfo(&ref, kFSCatInfoRsrcSizes, &info, nullptr, nullptr, nullptr) != noErr)
        return fnfErr;
    source.folder = false;
    return rsrc::ReadForkResources(ref, info.rsrcLogicalSize > 0, source.resources);
}

} // namespace

std::string ResourceTypeFolderName(ResType type) {
    static const char* kHex = "0123456789ABCDEF";
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>(type >> shift);
        if (std::isalnum(c) || c == '_' || c == '.' || c == '-') {
            name.push_back(static_cast<char>(c));
        } else {
            name.push_back('%');
            name.push_back(kHex[c >> 4]);
            name.push_back(kHex[c & 15]);
        }
    }
    return name;
}

SInt16 FSpOpenResFile(const FSSpec* fileRecord, SInt8) {
    Manager& manager = TheManager();
    if (!fileRecord || fileRecord->path.empty()) {
        manager.lastError = fileRecord ? fnfErr : paramErr;
        return kResFileNotOpened;
    }
    // Opening a file that is open already gives the same reference and makes it current.
    for (const OpenFile& file : manager.files) {
        if (file.source.path == fileRecord->path) {
            manager.current = file.refNum;
            manager.lastError = noErr;
            return file.refNum;
        }
    }
    Source source;
    if (OSErr error = OpenSource(fileRecord->path, source)) {
        manager.lastError = error;
        return kResFileNotOpened;
    }
    const SInt16 refNum = FreeRefNum(manager);
    if (refNum == 0) {
        manager.lastError = tmfoErr;
        return kResFileNotOpened;
    }
    manager.files.push_back({refNum, std::move(source)});
    manager.current = refNum;
    manager.lastError = noErr;
    return refNum;
}

void CloseResFile(SInt16 refNum) {
    Manager& manager = TheManager();
    auto found = std::find_if(manager.files.begin(), manager.files.end(),
                              [refNum](const OpenFile& f) { return f.refNum == refNum; });
    if (found == manager.files.end()) {
        manager.lastError = resFNotFound;
        return;
    }
    manager.files.erase(found);
    if (manager.current == refNum)
        manager.current = manager.files.empty() ? 0 : manager.files.back().refNum;
    manager.lastError = noErr;
}

SInt16 CurResFile() {
    return TheManager().current;
}

void UseResFile(SInt16 refNum) {
    Manager& manager = TheManager();
    const bool open =
        refNum == 0 || std::any_of(manager.files.begin(), manager.files.end(),
                                   [refNum](const OpenFile& f) { return f.refNum == refNum; });
    manager.lastError = open ? OSErr(noErr) : resFNotFound;
    if (open)
        manager.current = refNum;
}

OSErr ResError() {
    return TheManager().lastError;
}

Handle GetResource(ResType type, SInt16 id) {
    Manager& manager = TheManager();
    auto current = std::find_if(manager.files.rbegin(), manager.files.rend(),
                                [&](const OpenFile& f) { return f.refNum == manager.current; });
    for (auto it = current; it != manager.files.rend(); ++it) {
        if (Handle handle = Load(it->source, type, id)) {
            manager.loaded.insert(handle);
            manager.lastError = noErr;
            return handle;
        }
    }
    manager.lastError = resNotFound;
    return nullptr;
}

Handle Get1Resource(ResType type, SInt16 id) {
    Manager& manager = TheManager();
    for (const OpenFile& file : manager.files) {
        if (file.refNum != manager.current)
            continue;
        if (Handle handle = Load(file.source, type, id)) {
            manager.loaded.insert(handle);
            manager.lastError = noErr;
            return handle;
        }
    }
    manager.lastError = resNotFound;
    return nullptr;
}

namespace rsrc {
Handle ReadResource(const FSSpec& file, ResType type, SInt16 id) {
    Source source;
    if (file.path.empty() || OpenSource(file.path, source) != noErr)
        return nullptr;
    return Load(source, type, id);
}
} // namespace rsrc

void ReleaseResource(Handle resource) {
    Manager& manager = TheManager();
    if (!resource || !manager.loaded.erase(resource)) {
        manager.lastError = resNotFound;
        return;
    }
    DisposeHandle(resource);
    manager.lastError = noErr;
}

} // namespace tbx
