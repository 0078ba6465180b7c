#include "platform/resources/resource_fork.h"

#include <algorithm>
#include <cstring>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_fork_replace.h"
#include "platform/files/fs_forks.h"

namespace tbx {

namespace {

constexpr std::size_t kHeaderSize = 16;
// The header and the space reserved after it for the system and the application.
constexpr std::size_t kDataStart = 256;
constexpr std::size_t kMapHeaderSize = 28;
constexpr std::size_t kTypeEntrySize = 8;
constexpr std::size_t kReferenceSize = 12;
// Data offsets in references are 24-bit.
constexpr std::size_t kMaxData = 1u << 24;
constexpr std::size_t kMaxResources = 4096;
constexpr std::size_t kMaxFork = kDataStart + kMaxData + (1u << 24);

UInt32 Read32(const std::string& b, std::size_t at) {
    return UInt32(UInt8(b[at])) << 24 | UInt32(UInt8(b[at + 1])) << 16 |
           UInt32(UInt8(b[at + 2])) << 8 | UInt8(b[at + 3]);
}

UInt32 Read24(const std::string& b, std::size_t at) {
    return UInt32(UInt8(b[at])) << 16 | UInt32(UInt8(b[at + 1])) << 8 | UInt8(b[at + 2]);
}

UInt16 Read16(const std::string& b, std::size_t at) {
    return UInt16(UInt8(b[at]) << 8 | UInt8(b[at + 1]));
}

void Put32(std::string& b, std::size_t at, UInt32 v) {
    b[at] = char(v >> 24);
    b[at + 1] = char(v >> 16);
    b[at + 2] = char(v >> 8);
    b[at + 3] = char(v);
}

void Put16(std::string& b, std::size_t at, UInt16 v) {
    b[at] = char(v >> 8);
    b[at + 1] = char(v);
}

void Append32(std::string& b, UInt32 v) {
    b.resize(b.size() + 4);
    Put32(b, b.size() - 4, v);
}

void Append16(std::string& b, UInt16 v) {
    b.resize(b.size() + 2);
    Put16(b, b.size() - 2, v);
}

// Whether [offset, offset + length) lies inside a region of `size` bytes.
bool Inside(std::size_t offset, std::size_t length, std::size_t size) {
    return offset <= size && length <= size - offset;
}

OSErr OpenFork(const FSRef& file, bool resourceFork, SInt8 permission, SInt16& refNum) {
    HFSUniStr255 name;
    resourceFork ? FSGetResourceForkName(&name) : FSGetDataForkName(&name);
    return FSOpenFork(&file, name.length, name.unicode, permission, &refNum);
}

} // namespace

namespace rsrc {

bool ParseResourceFork(const std::string& bytes, std::vector<ForkResource>& out) {
    out.clear();
    std::vector<ForkResource> read; // handed out only whole
    if (bytes.size() < kHeaderSize)
        return false;
    const std::size_t dataOffset = Read32(bytes, 0), mapOffset = Read32(bytes, 4);
    const std::size_t dataLength = Read32(bytes, 8), mapLength = Read32(bytes, 12);
    if (!Inside(dataOffset, dataLength, bytes.size()) ||
        !Inside(mapOffset, mapLength, bytes.size()) || mapLength < kMapHeaderSize + 2)
        return false;
    const std::string map = bytes.substr(mapOffset, mapLength);
    const std::size_t typeList = Read16(map, 24), nameList = Read16(map, 26);
    if (!Inside(typeList, 2, map.size()) || nameList > map.size())
        return false;
    const std::size_t types = std::size_t(UInt16(Read16(map, typeList) + 1));
    if (!Inside(typeList + 2, types * kTypeEntrySize, map.size()))
        return false;
    // Each resource owns its length word and bytes: references that share data (or type
    // entries that share reference lists) would multiply a small fork into gigabytes.
    std::size_t claimed = 0;
    for (std::size_t t = 0; t < types; ++t) {
        const std::size_t entry = typeList + 2 + t * kTypeEntrySize;
        const ResType type = Read32(map, entry);
        const std::size_t count = std::size_t(Read16(map, entry + 4)) + 1;
        const std::size_t references = typeList + Read16(map, entry + 6);
        if (!Inside(references, count * kReferenceSize, map.size()))
            return false;
        for (std::size_t r = 0; r < count; ++r) {
            const std::size_t at = references + r * kReferenceSize;
            ForkResource resource;
            resource.type = type;
            resource.id = SInt16(Read16(map, at));
            const UInt16 nameOffset = Read16(map, at + 2);
            resource.attributes = UInt8(map[at + 4]);
            const std::size_t data = Read24(map, at + 5);
            if (!Inside(data, 4, dataLength))
                return false;
            const std::size_t length = Read32(bytes, dataOffset + data);
            if (!Inside(data + 4, length, dataLength))
                return false;
            claimed += 4 + length;
            if (claimed > dataLength)
                return false;
            resource.data = bytes.substr(dataOffset + data + 4, length);
            if (nameOffset != 0xFFFF) {
                const std::size_t name = nameList + nameOffset;
                if (!Inside(name, 1, map.size()) || !Inside(name + 1, UInt8(map[name]), map.size()))
                    return false;
                resource.named = true;
                resource.name = map.substr(name + 1, UInt8(map[name]));
            }
            read.push_back(std::move(resource));
        }
    }
    out = std::move(read);
    return true;
}

std::string BuildResourceFork(const std::vector<ForkResource>& resources) {
    std::vector<ResType> types;
    for (const ForkResource& r : resources) {
        if (std::find(types.begin(), types.end(), r.type) == types.end())
            types.push_back(r.type);
    }
    std::string data, names;
    std::string typeList, referenceLists;
    Append16(typeList, UInt16(types.size() - 1)); // 0xFFFF for no types
    const std::size_t referencesStart = 2 + types.size() * kTypeEntrySize;
    for (ResType type : types) {
        std::size_t count = 0;
        const std::size_t listOffset = referencesStart + referenceLists.size();
        for (const ForkResource& r : resources) {
            if (r.type != type)
                continue;
            ++count;
            std::string reference(kReferenceSize, '\0');
            Put16(reference, 0, UInt16(r.id));
            if (r.named) {
                // 0xFFFF marks a resource without a name.
                if (names.size() >= 0xFFFF)
                    return {};
                Put16(reference, 2, UInt16(names.size()));
                const std::string name = r.name.substr(0, 255);
                names += char(name.size());
                names += name;
            } else {
                Put16(reference, 2, 0xFFFF);
            }
            reference[4] = char(r.attributes);
            const UInt32 at = UInt32(data.size());
            if (at >= kMaxData)
                return {};
            reference[5] = char(at >> 16);
            reference[6] = char(at >> 8);
            reference[7] = char(at);
            referenceLists += reference;
            Append32(data, UInt32(r.data.size()));
            data += r.data;
        }
        // Every offset into the map is 16-bit: a map that outgrows them is refused rather than
        // written to read back wrong.
        if (listOffset > 0xFFFF || count > 0x10000)
            return {};
        Append32(typeList, type);
        Append16(typeList, UInt16(count - 1));
        Append16(typeList, UInt16(listOffset));
    }
    const std::size_t nameList = kMapHeaderSize + typeList.size() + referenceLists.size();
    if (types.size() > 0x10000 || nameList > 0xFFFF || data.size() > 0xFFFFFFFFu - kDataStart)
        return {};
    std::string map(kMapHeaderSize, '\0');
    Put16(map, 24, UInt16(kMapHeaderSize));
    Put16(map, 26, UInt16(nameList));
    map += typeList + referenceLists + names;

    std::string header(kHeaderSize, '\0');
    Put32(header, 0, UInt32(kDataStart));
    Put32(header, 4, UInt32(kDataStart + data.size()));
    Put32(header, 8, UInt32(data.size()));
    Put32(header, 12, UInt32(map.size()));
    std::memcpy(map.data(), header.data(), kHeaderSize); // the map begins with a header copy
    std::string fork = header;
    fork.resize(kDataStart, '\0');
    return fork + data + map;
}

OSErr ReadForkResources(const FSRef& file, bool resourceFork, std::vector<ForkResource>& out) {
    out.clear();
    SInt16 refNum = 0;
    if (OSErr error = OpenFork(file, resourceFork, fsRdPerm, refNum))
        return error;
    SInt64 size = 0;
    OSErr error = FSGetForkSize(refNum, &size);
    std::string bytes;
    if (!error && (size < SInt64(kHeaderSize) || size > SInt64(kMaxFork)))
        error = mapReadErr;
    if (!error) {
        bytes.resize(std::size_t(size));
        ByteCount got = 0;
        error = FSReadFork(refNum, fsFromStart, 0, bytes.size(), bytes.data(), &got);
        if (!error && got != bytes.size())
            error = mapReadErr;
    }
    FSCloseFork(refNum);
    if (error)
        return error == eofErr ? mapReadErr : error;
    return ParseResourceFork(bytes, out) ? OSErr(noErr) : OSErr(mapReadErr);
}

OSErr WriteForkResources(const FSRef& file, bool resourceFork,
                         const std::vector<ForkResource>& resources) {
    // Map offsets are 16-bit and data offsets 24-bit.
    std::size_t dataSize = 0, nameSize = 0;
    for (const ForkResource& r : resources) {
        dataSize += 4 + r.data.size();
        nameSize += r.named ? 1 + std::min<std::size_t>(r.name.size(), 255) : 0;
    }
    if (dataSize >= kMaxData || resources.size() > kMaxResources || nameSize > 0xFFFF)
        return paramErr;
    const std::string bytes = BuildResourceFork(resources);
    if (bytes.empty())
        return paramErr; // the fork keeps what it held
    if (resourceFork)
        return FSReplaceResourceFork(&file, bytes.data(), bytes.size());
    SInt16 refNum = 0;
    if (OSErr error = OpenFork(file, resourceFork, fsRdWrPerm, refNum))
        return error;
    OSErr error = FSWriteFork(refNum, fsFromStart, 0, bytes.size(), bytes.data(), nullptr);
    if (!error)
        error = FSSetForkSize(refNum, fsFromStart, SInt64(bytes.size()));
    const OSErr closed = FSCloseFork(refNum);
    return error ? error : closed;
}

} // namespace rsrc

OSErr FSCreateResourceFile(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                           FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                           UniCharCount forkNameLength, const UniChar* forkName, FSRef* newRef,
                           FSSpec* newSpec) {
    HFSUniStr255 resourceName;
    FSGetResourceForkName(&resourceName);
    const bool resourceFork = forkNameLength == resourceName.length && forkName &&
                              std::equal(forkName, forkName + forkNameLength, resourceName.unicode);
    if (forkNameLength != 0 && !resourceFork)
        return errFSBadForkName;
    FSRef made;
    if (OSErr error = FSCreateFileUnicode(parentRef, nameLength, name, whichInfo, catalogInfo,
                                          &made, newSpec))
        return error;
    if (OSErr error = rsrc::WriteForkResources(made, resourceFork, {})) {
        FSDeleteObject(&made);
        return error;
    }
    if (newRef)
        *newRef = made;
    return noErr;
}

} // namespace tbx
