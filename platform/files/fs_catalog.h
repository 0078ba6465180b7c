// File Manager calls on file references: catalogue information, creation, deletion, renaming,
// moving and folder listings, over POSIX. Names are UTF-16 units and reach the file system as
// UTF-8. A name that is empty, holds "/" or NUL, or is "." or ".." gives paramErr.
//
// Stand-in rules callers rely on:
// - locked items (no write bit for anyone) refuse deletion, renaming, moving and writing with
//   fLckdErr, also for the super-user;
// - a file's resource fork lives in an AppleDouble "._name" sidecar that follows the file
//   when it is renamed, moved, exchanged or deleted; listings do not show sidecars. Only a
//   "._name" that holds the AppleDouble magic beside a regular file `name` is a sidecar: any
//   other is an ordinary file everywhere;
// - Finder information lives in the extended attribute "user.com.apple.FinderInfo" and is
//   absent (all zero) where the file system has no user attributes. Other "user." attributes
//   are a file's named forks (fs_forks.h);
// - a folder's creation date, once set, lives in a "._name" sidecar beside it, which follows
//   the folder as a file's does.
#pragma once

#include <string>

#include "platform/files/fs_types.h"
#include "platform/text_encoding.h"

namespace tbx {

// The reference of an existing item at a path (UTF-8, absolute or taken from the current
// folder); fnfErr when nothing is there. The last link is followed when asked.
OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);
// The full path of a reference (UTF-8) into a buffer of `maxPathSize` bytes.
OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);

// The item `name` inside the folder `parent`; fnfErr when it does not exist.
OSErr FSMakeFSRefUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                         TextEncoding hint, FSRef* newRef);
// Whether the creation date of the catalogue was kept (a birth time, or a date kept in the
// file's sidecar) rather than stood in by the modification date.
bool FSHasCreationDate(const FSRef* ref);
// Equal when both name the same item (same device and node).
OSErr FSCompareFSRefs(const FSRef* a, const FSRef* b);

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* info,
                       HFSUniStr255* outName, FSSpec* fileRecord, FSRef* parentRef);
// Sets Finder information, dates (content modification, access), permissions (mode) and
// the locked node flag. No file system here can set a birth time: a file's or a folder's
// creation date is kept in its sidecar (made for it when there is none), and read back from
// there.
OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info);

// The type and creator in the Finder information of an open file, the rest kept, without
// looking its path up again.
OSErr FSChangeCreatorTypeOfOpenFile(int fd, OSType creator, OSType type);

// New file or folder `name` in `parent`; dupFNErr when the name is taken.
OSErr FSCreateFileUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info, FSRef* newRef,
                          FSSpec* newSpec);
OSErr FSCreateDirectoryUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                               FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info,
                               FSRef* newRef, FSSpec* newSpec, UInt32* newDirID);

// A file (or a link itself) is unlinked; a folder must be empty (fBsyErr otherwise).
OSErr FSDeleteObject(const FSRef* ref);
// New name in the same folder; dupFNErr when the name is taken (nothing is replaced).
OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name,
                      TextEncoding hint, FSRef* newRef);
// One atomic rename that replaces an existing file of the new name. A folder is neither
// replaced nor used to replace (dupFNErr).
OSErr FSRenameUnicodeReplacing(const FSRef* ref, UniCharCount nameLength, const UniChar* name,
                               FSRef* newRef);
// Into another folder under the same name; dupFNErr when the name is taken there, never
// replacing it; diffVolErr across file systems.
OSErr FSMoveObject(const FSRef* ref, const FSRef* destinationFolder, FSRef* newRef);
// Atomically swaps the two items' places: afterwards `a`'s path names what was at `b`.
OSErr FSExchangeObjects(const FSRef* a, const FSRef* b);

// Symbolic links, for copies that keep links as links.
OSErr FSReadLink(const FSRef* ref, std::string& target);
OSErr FSCreateLinkUnicode(const FSRef* parent, UniCharCount nameLength, const UniChar* name,
                          const std::string& target, FSRef* newRef);

// Locking clears every write bit; unlocking gives the owner write access back.
OSErr FSSetLocked(const FSRef* ref, bool locked);

// Flat listings of one folder, in name order.
struct OpaqueFSIterator;
using FSIterator = OpaqueFSIterator*;
using FSIteratorFlags = UInt32;
enum : FSIteratorFlags { kFSIterateFlat = 0, kFSIterateSubtree = 1 };

OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags flags, FSIterator* iterator);
// rfNumErr for an iterator that is not open.
OSErr FSCloseIterator(FSIterator iterator);
// Up to `maximumObjects` items; errFSNoMoreItems when none is left. An item gone since the
// listing was read is left out; one that cannot be examined fails the call that reaches it.
OSErr FSGetCatalogInfoBulk(FSIterator iterator, UInt32 maximumObjects, UInt32* actualObjects,
                           Boolean* containerChanged, FSCatalogInfoBitmap whichInfo,
                           FSCatalogInfo* catalogInfos, FSRef* refs, FSSpec* fileRecords,
                           HFSUniStr255* names);

// Conversions between file references and file records.
OSErr FSpMakeFSRef(const FSSpec* fileRecord, FSRef* ref);
OSErr FSpSetFLock(const FSSpec* fileRecord);
OSErr FSpRstFLock(const FSSpec* fileRecord);

// The result code of a failed POSIX call (errno).
OSErr FSErrorFromErrno(int error);

} // namespace tbx
