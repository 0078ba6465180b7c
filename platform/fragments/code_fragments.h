// Code fragments of the older system, over shared objects: a fragment in a file's data fork is
// a shared object loaded with dlopen, and its symbols are found with dlsym. Only the whole fork
// can be loaded. Connections are checked handles: a closed or made-up one gives
// cfragConnectionIDErr.
#pragma once

#include "platform/files/fs_types.h"
#include "platform/types.h"

namespace tbx {

struct OpaqueCFragConnectionID;
using CFragConnectionID = OpaqueCFragConnectionID*;
using CFragLoadOptions = UInt32;
using CFragSymbolClass = UInt8;
using ConstStr63Param = const unsigned char*;

inline constexpr CFragLoadOptions kReferenceCFrag = 0x0001;
inline constexpr UInt32 kCFragGoesToEOF = 0;

enum : OSErr {
    cfragConnectionIDErr = -2801,
    cfragNoSymbolErr = -2802,
    cfragNoLibraryErr = -2804,
    cfragFragmentFormatErr = -2806,
};

// Loads the fragment at `offset` (0 only) of the file's data fork; `length` kCFragGoesToEOF.
// The name and the main address are not used (the main address is set to null); `errMessage`,
// when given, gets the loader's reason for a failure (Mac Roman, cut to 255 bytes).
OSErr GetDiskFragment(const FSSpec* file, UInt32 offset, UInt32 length, ConstStr63Param fragName,
                      CFragLoadOptions options, CFragConnectionID* connID, Ptr* mainAddr,
                      Str255 errMessage);
// Unloads the fragment; the connection is zeroed.
OSErr CloseConnection(CFragConnectionID* connID);
// The address of the symbol named by the length-prefixed Mac Roman name.
OSErr FindSymbol(CFragConnectionID connID, ConstStr255Param symName, Ptr* symAddr,
                 CFragSymbolClass* symClass);

} // namespace tbx
