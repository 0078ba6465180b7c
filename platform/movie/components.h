// The Component Manager as far as movie exporters need it: components found by description
// and opened as instances. The components here are the movie exporters of type 'spit': the
// QuickTime movie ('MooV') and AVI ('VfW ') exporters and the sound-file exporters 'AIFF',
// 'WAVE' and 'ULAW' of manufacturer 'soun', all of which write files. The movie controller
// answers with the same results.
#pragma once

#include "platform/types.h"

namespace tbx {

using Component = struct OpaqueComponent*;
using ComponentInstance = struct OpaqueComponentInstance*;
using ComponentResult = SInt32;

struct ComponentDescription {
    OSType componentType = 0;
    OSType componentSubType = 0;      // 0: any
    OSType componentManufacturer = 0; // 0: any
    UInt32 componentFlags = 0;        // compared under the mask
    UInt32 componentFlagsMask = 0;
};

constexpr OSType MovieExportType = FourCC("spit");

// Flags of movie exporters.
enum : UInt32 {
    canMovieExportHandles = 1u << 3,
    canMovieExportFiles = 1u << 4,
};

enum : ComponentResult {
    invalidComponentID = -3000,
    badComponentInstance = ComponentResult(0x80008001u),
    badComponentSelector = ComponentResult(0x80008002u),
};

// The next component after `after` (null: the first) that matches; null when there is none.
Component FindNextComponent(Component after, const ComponentDescription* looking);
// The component's own description; invalidComponentID for one that does not exist.
OSErr GetComponentInfo(Component component, ComponentDescription* description);
// A new instance, null for a component that does not exist.
ComponentInstance OpenComponent(Component component);
// badComponentInstance for an instance that is not open.
ComponentResult CloseComponent(ComponentInstance instance);

} // namespace tbx
