// Moving with renaming, exchanging two files, and copying one file. Results are File Manager
// codes (0 = no error).
#pragma once

#include "platform/files/fs_types.h"
#include "platform/text_encoding.h"

// Into `destinationFolder` under `name` in one step; when a step fails the item is put back
// where it was under its old name.
tbx::OSErr FSMoveRenameObjectUnicode(const tbx::FSRef* ref, const tbx::FSRef* destinationFolder,
                                     tbx::UniCharCount nameLength, const tbx::UniChar* name,
                                     tbx::TextEncoding textEncodingHint, tbx::FSRef* newRef);
// The same with a length-prefixed Mac Roman name.
tbx::OSErr FSMoveRename(const tbx::FSRef* ref, const tbx::FSRef* destinationFolder,
                        const unsigned char* newName, tbx::FSRef* newRef);

// Exchanges the contents of two files: afterwards each path holds what the other held, and
// each name keeps its own catalogue information. Atomic where the file system can exchange
// two names; otherwise done by renaming (see below). notAFileErr for a folder.
tbx::OSErr FSExchangeObjectsCompat(const tbx::FSRef* source, const tbx::FSRef* destination,
                                   tbx::FSRef* newSource, tbx::FSRef* newDestination);
// The exchange by renaming: both files take unique temporary names, move into each other's
// folders, swap their catalogue information and take each other's names. Only for two files
// on one volume (diffVolErr, notAFileErr). A step that fails undoes the steps done, so both
// files stay under their own names.
tbx::OSErr FSExchangeObjectsByRenaming(const tbx::FSRef* source, const tbx::FSRef* destination);

// A copy of one file with its forks and catalogue information (notAFileErr for a folder).
tbx::OSErr FSCopyFile(const tbx::FSRef* source, const tbx::FSRef* destinationFolder,
                      const tbx::HFSUniStr255* newName, tbx::FSRef* newRef);
