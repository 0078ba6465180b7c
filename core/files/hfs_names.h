// Names between UTF-16 and 8-bit HFS names, and names free in two folders.
#pragma once

#include "platform/files/fs_types.h"
#include "platform/text_encoding.h"

// The encoding 0xFFFF means the system script's (Mac Roman). bdNamErr when a character has
// no form there, errFSNameTooLong past 31 bytes (27 for a volume).
tbx::OSErr UnicodeNameGetHFSName(tbx::UniCharCount nameLength, const tbx::UniChar* name,
                                 tbx::TextEncoding encoding, tbx::Boolean isVolumeName,
                                 unsigned char* hfsName);
// A length-prefixed name of at most 31 bytes into UTF-16.
tbx::OSErr HFSNameGetUnicodeName(const unsigned char* hfsName, tbx::TextEncoding encoding,
                                 tbx::HFSUniStr255* unicodeName);
// Eight upper-case hexadecimal digits of a counter that starts at *startSeed and rises until
// neither folder holds the name; the seed is left past the name given. dupFNErr after 65536
// names taken.
tbx::OSErr GenerateUniqueHFSUniStr(tbx::UInt32* startSeed, const tbx::FSRef* folder1,
                                   const tbx::FSRef* folder2, tbx::HFSUniStr255* uniqueName);
