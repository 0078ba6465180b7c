// The resource-map reader over arbitrary bytes: it must refuse or accept, never read outside
// the bytes; what it accepts builds into a map that reads back and builds the same bytes.
// The same bytes as a file's data fork and as its resource fork are opened by the Resource
// Manager, which must refuse exactly what the reader refuses and hand out what it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_fork_replace.h"
#include "platform/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_fork.h"

namespace {

const char* const kFiles[] = {"data", "fork", "._data", "._fork"};

char gFolder[] = "/tmp/stravel_fuzz_rsrcXXXXXX";

void RemoveFolder() {
    for (const char* file : kFiles)
        unlink((std::string(gFolder) + "/" + file).c_str());
    rmdir(gFolder);
}

// A private folder for the two files, removed when the process ends.
std::string Folder() {
    static const bool made = [] {
        if (!mkdtemp(gFolder))
            std::abort();
        std::atexit(RemoveFolder);
        return true;
    }();
    return made ? gFolder : "";
}

// A file with `data` as its data fork and, when given, `fork` as its resource fork.
bool WriteFile(const std::string& path, const std::string& data, const std::string* fork) {
    unlink(path.c_str());
    unlink((Folder() + "/._" + path.substr(Folder().size() + 1)).c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = write(fd, data.data(), data.size()) == ssize_t(data.size());
    close(fd);
    if (!written || !fork)
        return written;
    tbx::FSRef ref;
    return tbx::FSPathMakeRef(reinterpret_cast<const tbx::UInt8*>(path.c_str()), &ref, nullptr) ==
               tbx::noErr &&
           tbx::FSReplaceResourceFork(&ref, fork->data(), fork->size()) == tbx::noErr;
}

void CheckOpened(const std::string& path, bool accepted,
                 const std::vector<tbx::ForkResource>& resources) {
    const tbx::FSSpec file{path};
    const tbx::SInt16 ref = tbx::FSpOpenResFile(&file, tbx::fsRdPerm);
    if ((ref != tbx::kResFileNotOpened) != accepted)
        std::abort();
    if (ref == tbx::kResFileNotOpened)
        return;
    for (const tbx::ForkResource& resource : resources) {
        tbx::Handle handle = tbx::Get1Resource(resource.type, resource.id);
        if (!handle)
            std::abort();
        // The first resource of a type and id is the one handed out.
        for (const tbx::ForkResource& first : resources)
            if (first.type == resource.type && first.id == resource.id) {
                if (tbx::GetHandleSize(handle) != first.data.size() ||
                    std::memcmp(*handle, first.data.data(), first.data.size()) != 0)
                    std::abort();
                break;
            }
        tbx::ReleaseResource(handle);
    }
    tbx::CloseResFile(ref);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<tbx::ForkResource> resources, again;
    const bool accepted = tbx::rsrc::ParseResourceFork(bytes, resources);
    if (accepted) {
        // Names shared in the input can outgrow the map's 16-bit offsets when written: then
        // nothing is built.
        const std::string built = tbx::rsrc::BuildResourceFork(resources);
        if (!built.empty() &&
            (!tbx::rsrc::ParseResourceFork(built, again) || again.size() != resources.size() ||
             tbx::rsrc::BuildResourceFork(again) != built))
            std::abort();
    }
    const std::string inData = Folder() + "/data", inFork = Folder() + "/fork";
    if (WriteFile(inData, bytes, nullptr))
        CheckOpened(inData, accepted, resources);
    // An empty resource fork is no resource fork: the (empty) data fork is read instead.
    if (!bytes.empty() && WriteFile(inFork, "", &bytes))
        CheckOpened(inFork, accepted, resources);
    return 0;
}
