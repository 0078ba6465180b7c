#include "core/files/move_exchange.h"

#include <functional>
#include <vector>

#include "core/files/copy_object.h"
#include "core/files/hfs_names.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_volumes.h"

using namespace tbx;

namespace {

// The first seed of the exchange's temporary names: the four bytes "LmiJ".
constexpr UInt32 kExchangeSeed = FourCC("LmiJ");
constexpr FSCatalogInfoBitmap kSwappedInfo = kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo |
                                             kFSCatInfoContentMod | kFSCatInfoAccessDate |
                                             kFSCatInfoPermissions;

// Steps done so far, undone in reverse when a later one fails.
class UndoLog {
public:
    ~UndoLog() {
        for (auto step = _steps.rbegin(); step != _steps.rend(); ++step)
            (*step)();
    }
    void Add(std::function<void()> undo) { _steps.push_back(std::move(undo)); }
    void Commit() { _steps.clear(); }

private:
    std::vector<std::function<void()>> _steps;
};

struct Item {
    FSRef ref, parent;
    HFSUniStr255 name;
    FSCatalogInfo info;
};

OSErr ReadItem(const FSRef* ref, Item& item) {
    if (!ref)
        return paramErr;
    item.ref = *ref;
    if (OSErr error = FSGetCatalogInfo(ref, kSwappedInfo | kFSCatInfoNodeFlags, &item.info,
                                       &item.name, nullptr, &item.parent))
        return error;
    return (item.info.nodeFlags & kFSNodeIsDirectoryMask) ? OSErr(notAFileErr) : OSErr(noErr);
}

OSErr ReadPair(const FSRef* source, const FSRef* destination, Item& a, Item& b) {
    const OSErr error = ReadItem(source, a);
    return error ? error : ReadItem(destination, b);
}

OSErr Rename(const FSRef& ref, const HFSUniStr255& name, FSRef& out) {
    return FSRenameUnicode(&ref, name.length, name.unicode, 0, &out);
}

bool SameFolder(const FSRef& a, const FSRef& b) {
    return FSCompareFSRefs(&a, &b) == noErr;
}

} // namespace

OSErr FSMoveRenameObjectUnicode(const FSRef* ref, const FSRef* destinationFolder,
                                UniCharCount nameLength, const UniChar* name, TextEncoding,
                                FSRef* newRef) {
    if (!ref || !destinationFolder || !name)
        return paramErr;
    FSRef parent;
    HFSUniStr255 oldName;
    FSCatalogInfo info;
    if (OSErr error = FSGetCatalogInfo(ref, kFSCatInfoNone, &info, &oldName, nullptr, &parent))
        return error;
    FSRef result;
    if (SameFolder(parent, *destinationFolder)) {
        if (OSErr error = FSRenameUnicode(ref, nameLength, name, 0, &result))
            return error;
    } else {
        // Under a name free in both folders, so that neither the move nor the rename meets
        // an item of the old or the new name.
        UInt32 seed = kExchangeSeed;
        HFSUniStr255 temporary;
        FSRef renamed, moved;
        UndoLog undo; // after what its steps refer to, so that it goes first
        if (OSErr error = GenerateUniqueHFSUniStr(&seed, &parent, destinationFolder, &temporary))
            return error;
        if (OSErr error = Rename(*ref, temporary, renamed))
            return error;
        undo.Add([&] { Rename(renamed, oldName, renamed); });
        if (OSErr error = FSMoveObject(&renamed, destinationFolder, &moved))
            return error;
        undo.Add([&] { FSMoveObject(&moved, &parent, &renamed); });
        if (OSErr error = FSRenameUnicode(&moved, nameLength, name, 0, &result))
            return error;
        undo.Commit();
    }
    if (newRef)
        *newRef = result;
    return noErr;
}

OSErr FSMoveRename(const FSRef* ref, const FSRef* destinationFolder, const unsigned char* newName,
                   FSRef* newRef) {
    HFSUniStr255 name;
    if (OSErr error = HFSNameGetUnicodeName(newName, 0xFFFF, &name))
        return error;
    return FSMoveRenameObjectUnicode(ref, destinationFolder, name.length, name.unicode, 0, newRef);
}

OSErr FSExchangeObjectsByRenaming(const FSRef* source, const FSRef* destination) {
    Item a, b;
    if (OSErr error = ReadPair(source, destination, a, b))
        return error;
    FSVolumeRefNum volumeA = 0, volumeB = 0;
    if (OSErr error = FSGetVolumeOfRef(source, &volumeA))
        return error;
    if (OSErr error = FSGetVolumeOfRef(destination, &volumeB))
        return error;
    if (volumeA != volumeB)
        return diffVolErr;

    UInt32 seed = kExchangeSeed;
    HFSUniStr255 temporaryA, temporaryB;
    FSRef atA, atB; // where each file is now
    UndoLog undo;   // after what its steps refer to, so that it goes first
    if (OSErr error = GenerateUniqueHFSUniStr(&seed, &a.parent, &b.parent, &temporaryA))
        return error;
    if (OSErr error = Rename(a.ref, temporaryA, atA))
        return error;
    undo.Add([&] { Rename(atA, a.name, atA); });
    if (OSErr error = GenerateUniqueHFSUniStr(&seed, &a.parent, &b.parent, &temporaryB))
        return error;
    if (OSErr error = Rename(b.ref, temporaryB, atB))
        return error;
    undo.Add([&] { Rename(atB, b.name, atB); });
    if (!SameFolder(a.parent, b.parent)) {
        if (OSErr error = FSMoveObject(&atA, &b.parent, &atA))
            return error;
        undo.Add([&] { FSMoveObject(&atA, &a.parent, &atA); });
        if (OSErr error = FSMoveObject(&atB, &a.parent, &atB))
            return error;
        undo.Add([&] { FSMoveObject(&atB, &b.parent, &atB); });
    }
    // Each name keeps its own catalogue information.
    if (OSErr error = FSSetCatalogInfo(&atB, kSwappedInfo, &a.info))
        return error;
    undo.Add([&] { FSSetCatalogInfo(&atB, kSwappedInfo, &b.info); });
    if (OSErr error = FSSetCatalogInfo(&atA, kSwappedInfo, &b.info))
        return error;
    undo.Add([&] { FSSetCatalogInfo(&atA, kSwappedInfo, &a.info); });
    if (OSErr error = Rename(atB, a.name, atB))
        return error;
    undo.Add([&] { Rename(atB, temporaryB, atB); });
    if (OSErr error = Rename(atA, b.name, atA))
        return error;
    undo.Commit();
    return noErr;
}

OSErr FSExchangeObjectsCompat(const FSRef* source, const FSRef* destination, FSRef* newSource,
                              FSRef* newDestination) {
    Item a, b;
    if (OSErr error = ReadPair(source, destination, a, b))
        return error;
    OSErr error = FSExchangeObjects(source, destination);
    if (error == noErr) {
        // The contents changed places; each name keeps its own catalogue information.
        FSSetCatalogInfo(source, kSwappedInfo, &a.info);
        FSSetCatalogInfo(destination, kSwappedInfo, &b.info);
    } else if (error == paramErr) {
        // The file system cannot exchange two names.
        error = FSExchangeObjectsByRenaming(source, destination);
    }
    if (error)
        return error;
    if (newSource)
        *newSource = *source;
    if (newDestination)
        *newDestination = *destination;
    return noErr;
}

OSErr FSCopyFile(const FSRef* source, const FSRef* destinationFolder, const HFSUniStr255* newName,
                 FSRef* newRef) {
    if (!source || !destinationFolder)
        return paramErr;
    FSCatalogInfo info;
    if (OSErr error =
            FSGetCatalogInfo(source, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr))
        return error;
    if (info.nodeFlags & kFSNodeIsDirectoryMask)
        return notAFileErr;
    return FSCopyObject(source, destinationFolder, 0, kDupeActionStandard, newName, newRef,
                        nullptr);
}
