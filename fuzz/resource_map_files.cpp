// Resource maps through a real file's forks: the input is a list of resources, written with the
// fork writer into the resource fork (a sidecar) or the data fork and read back with the fork
// reader. What is written must read back as it was given (grouped by type); what the layout
// cannot hold must be refused with the fork left as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/resources/resource_fork.h"

namespace {

using tbx::ForkResource;

// Each resource: type (4), id (2), attributes (1), name length (1, 0xFF for no name), the
// name, data length (2), the data.
std::vector<ForkResource> Decode(const uint8_t* data, std::size_t size) {
    std::vector<ForkResource> out;
    std::size_t at = 0;
    auto take = [&](std::size_t n) {
        const std::size_t got = std::min(n, size - at);
        at += got;
        return std::string(reinterpret_cast<const char*>(data) + at - got, got);
    };
    while (at + 8 <= size && out.size() < 5000) {
        ForkResource r;
        r.type = uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 |
                 uint32_t(data[at + 2]) << 8 | data[at + 3];
        r.id = int16_t(uint16_t(data[at + 4] << 8 | data[at + 5]));
        r.attributes = data[at + 6];
        const uint8_t nameLength = data[at + 7];
        at += 8;
        r.named = nameLength != 0xFF;
        if (r.named)
            r.name = take(nameLength);
        const std::string length = take(2);
        r.data = length.size() == 2
                     ? take(std::size_t(uint8_t(length[0])) << 8 | uint8_t(length[1]))
                     : std::string();
        out.push_back(std::move(r));
    }
    return out;
}

// Types in the order they first appear, each type's resources in the order given.
std::vector<ForkResource> Grouped(const std::vector<ForkResource>& resources) {
    std::vector<ForkResource> out;
    std::vector<tbx::ResType> types;
    for (const ForkResource& r : resources)
        if (std::find(types.begin(), types.end(), r.type) == types.end())
            types.push_back(r.type);
    for (tbx::ResType type : types)
        for (const ForkResource& r : resources)
            if (r.type == type)
                out.push_back(r);
    return out;
}

bool Same(const ForkResource& a, const ForkResource& b) {
    return a.type == b.type && a.id == b.id && a.attributes == b.attributes && a.named == b.named &&
           a.name == b.name && a.data == b.data;
}

const std::string& File() {
    static const std::string path = [] {
        char folder[] = "/tmp/stravel-fuzz-XXXXXX";
        if (!mkdtemp(folder))
            std::abort();
        static const std::string made = folder;
        std::atexit([] {
            unlink((made + "/file").c_str());
            unlink((made + "/._file").c_str());
            rmdir(made.c_str());
        });
        std::ofstream(made + "/file") << "data";
        return made + "/file";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const bool resourceFork = data[0] & 1;
    std::vector<ForkResource> resources = Decode(data + 1, size - 1);
    for (ForkResource& r : resources)
        r.name = r.name.substr(0, 255);
    tbx::FSRef file;
    if (tbx::FSPathMakeRef(reinterpret_cast<const tbx::UInt8*>(File().c_str()), &file, nullptr) !=
        tbx::noErr)
        std::abort();
    std::vector<ForkResource> before, after;
    const tbx::OSErr hadMap = tbx::rsrc::ReadForkResources(file, resourceFork, before);
    const tbx::OSErr written = tbx::rsrc::WriteForkResources(file, resourceFork, resources);
    const tbx::OSErr read = tbx::rsrc::ReadForkResources(file, resourceFork, after);
    if (written != tbx::noErr) {
        // Refused: the fork holds what it held.
        if (read != hadMap || after.size() != before.size() ||
            !std::equal(after.begin(), after.end(), before.begin(), Same))
            std::abort();
        return 0;
    }
    const std::vector<ForkResource> expected = Grouped(resources);
    if (read != tbx::noErr || after.size() != expected.size() ||
        !std::equal(after.begin(), after.end(), expected.begin(), Same))
        std::abort();
    return 0;
}
