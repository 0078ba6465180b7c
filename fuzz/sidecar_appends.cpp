// Resource forks in AppleDouble sidecars under writes, appends and truncations: the input is a
// sidecar as another system may have left it, then a list of changes made through the fork
// calls. After every change the fork, opened afresh, must hold what a plain byte string given
// the same changes holds; a sidecar that is refused must be left as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"

namespace {

using namespace tbx;

struct Folder {
    std::string path;
    Folder() {
        char made[] = "/tmp/stravel-fuzz-XXXXXX";
        if (!mkdtemp(made))
            std::abort();
        path = made;
    }
    ~Folder() {
        unlink((path + "/file").c_str());
        unlink((path + "/._file").c_str());
        rmdir(path.c_str());
    }
};

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

SInt16 Open(const FSRef& file, SInt8 permission, OSErr& error) {
    HFSUniStr255 name;
    FSGetResourceForkName(&name);
    SInt16 fork = 0;
    error = FSOpenFork(&file, name.length, name.unicode, permission, &fork);
    return fork;
}

// The whole fork, as a fresh opening reads it; false when it cannot be read.
bool ReadFork(const FSRef& file, std::string& out) {
    OSErr error;
    const SInt16 fork = Open(file, fsRdPerm, error);
    if (error)
        return false;
    SInt64 size = 0;
    FSGetForkSize(fork, &size);
    out.assign(std::size_t(size), '\0');
    ByteCount got = 0;
    error = FSReadFork(fork, fsFromStart, 0, out.size(), out.data(), &got);
    FSCloseFork(fork);
    return !error && got == out.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    static Folder folder;
    const std::string path = folder.path + "/file", sidecar = folder.path + "/._file";
    std::ofstream(path, std::ios::trunc) << "data";
    unlink(sidecar.c_str());
    // The first two bytes give the length of the sidecar that follows; none at 0.
    std::size_t at = 2;
    const std::size_t length =
        std::min<std::size_t>(std::size_t(data[0]) << 8 | data[1], size - at);
    if (length > 0)
        std::ofstream(sidecar, std::ios::binary)
            .write(reinterpret_cast<const char*>(data + at), std::streamsize(length));
    at += length;
    FSRef file;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &file, nullptr) != noErr)
        std::abort();
    std::string model;
    if (length > 0 && !ReadFork(file, model))
        return 0; // not a sidecar this layer reads
    const std::string original = Bytes(sidecar);
    // Each change: kind, offset (2 bytes), count (1 byte), then the bytes to write.
    while (at + 4 <= size) {
        const uint8_t kind = data[at] % 3;
        const std::size_t offset = std::size_t(data[at + 1]) << 8 | data[at + 2];
        const std::size_t count = std::min<std::size_t>(data[at + 3], size - at - 4);
        const char* bytes = reinterpret_cast<const char*>(data + at + 4);
        at += 4 + (kind == 2 ? 0 : count);
        OSErr error;
        const SInt16 fork = Open(file, fsRdWrPerm, error);
        if (error) {
            // A layout this layer does not grow is left exactly as it was.
            if (Bytes(sidecar) != original)
                std::abort();
            return 0;
        }
        if (kind == 0) {
            error = FSWriteFork(fork, fsFromLEOF, 0, count, bytes, nullptr);
            model.append(bytes, count);
        } else if (kind == 1) {
            const std::size_t place = offset % (model.size() + 1);
            error = FSWriteFork(fork, fsFromStart, SInt64(place), count, bytes, nullptr);
            if (model.size() < place + count)
                model.resize(place + count);
            model.replace(place, count, bytes, count);
        } else {
            error = FSSetForkSize(fork, fsFromStart, SInt64(offset));
            model.resize(offset);
        }
        if (FSCloseFork(fork) != noErr || error != noErr)
            std::abort();
        std::string read;
        FSCatalogInfo info;
        if (!ReadFork(file, read) || read != model ||
            FSGetCatalogInfo(&file, kFSCatInfoRsrcSizes, &info, nullptr, nullptr, nullptr) !=
                noErr ||
            info.rsrcLogicalSize != model.size())
            std::abort();
    }
    return 0;
}
