// Apple event descriptors as Navigation Services uses them: a file reference ('fsrf') or a list
// of them. A descriptor holds a checked reference to its data; AEDisposeDesc frees it.
#pragma once

#include <vector>

#include "platform/files/fs_types.h"
#include "platform/windows/carbon_types.h"

namespace tbx {

using DescType = OSType;
using AEKeyword = OSType;
struct OpaqueAEDataStorage;
using AEDataStorage = OpaqueAEDataStorage*;

inline constexpr DescType typeNull = FourCC("null");
inline constexpr DescType typeAEList = FourCC("list");
inline constexpr DescType typeFSRef = FourCC("fsrf");
inline constexpr OSErr errAEDescNotFound = -1701;
inline constexpr OSErr errAEWrongDataType = -1703;

struct AEDesc {
    DescType descriptorType = typeNull;
    AEDataStorage dataHandle = nullptr;
};
using AEDescList = AEDesc;

// A file-reference descriptor, or a list of them.
OSErr AECreateFSRefDesc(const FSRef& ref, AEDesc* out);
OSErr AECreateFSRefList(const std::vector<FSRef>& refs, AEDescList* out);
OSErr AEDisposeDesc(AEDesc* desc);
OSErr AECountItems(const AEDescList* list, SInt32* outCount);
// Item `index` (from 1) of a list as a file reference: `dataPtr` is an FSRef.
OSErr AEGetNthPtr(const AEDescList* list, SInt32 index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, SInt32 maximumSize, SInt32* actualSize);
// The file reference of a single descriptor: `dataPtr` is an FSRef.
OSErr AEGetDescData(const AEDesc* desc, void* dataPtr, SInt32 maximumSize);

} // namespace tbx
