#include "platform/movie/components.h"

#include <iterator>

#include "platform/handle_table.h"
#include "platform/movie/exporter.h"

namespace tbx {

namespace {

struct Registered {
    ComponentDescription description;
    movie::ExportKind kind;
};

constexpr OSType kApple = FourCC("appl");
constexpr OSType kSound = FourCC("soun");

constexpr Registered kComponents[] = {
    {{MovieExportType, FourCC("MooV"), kApple, canMovieExportFiles, 0},
     movie::ExportKind::QuickTime},
    {{MovieExportType, FourCC("VfW "), kApple, canMovieExportFiles, 0}, movie::ExportKind::Avi},
    {{MovieExportType, FourCC("AIFF"), kSound, canMovieExportFiles, 0}, movie::ExportKind::Aiff},
    {{MovieExportType, FourCC("WAVE"), kSound, canMovieExportFiles, 0}, movie::ExportKind::Wave},
    {{MovieExportType, FourCC("ULAW"), kSound, canMovieExportFiles, 0}, movie::ExportKind::MuLaw},
};
constexpr std::uintptr_t kCount = std::size(kComponents);

TypedHandleTable<ComponentInstance, movie::Exporter>& Instances() {
    static TypedHandleTable<ComponentInstance, movie::Exporter> table;
    return table;
}

// The entry that a component names, or null.
const Registered* Entry(Component component) {
    const std::uintptr_t index = reinterpret_cast<std::uintptr_t>(component);
    return index >= 1 && index <= kCount ? &kComponents[index - 1] : nullptr;
}

bool Matches(const ComponentDescription& have, const ComponentDescription& want) {
    return have.componentType == want.componentType &&
           (want.componentSubType == 0 || have.componentSubType == want.componentSubType) &&
           (want.componentManufacturer == 0 ||
            have.componentManufacturer == want.componentManufacturer) &&
           (have.componentFlags & want.componentFlagsMask) ==
               (want.componentFlags & want.componentFlagsMask);
}

} // namespace

Component FindNextComponent(Component after, const ComponentDescription* looking) {
    std::uintptr_t index = reinterpret_cast<std::uintptr_t>(after);
    if (!looking || index > kCount)
        return nullptr;
    for (; index < kCount; ++index)
        if (Matches(kComponents[index].description, *looking))
            return reinterpret_cast<Component>(index + 1);
    return nullptr;
}

OSErr GetComponentInfo(Component component, ComponentDescription* description) {
    const Registered* entry = Entry(component);
    if (!entry || !description)
        return entry ? OSErr(paramErr) : OSErr(invalidComponentID);
    *description = entry->description;
    return noErr;
}

ComponentInstance OpenComponent(Component component) {
    const Registered* entry = Entry(component);
    if (!entry)
        return nullptr;
    return Instances().Add(std::make_unique<movie::Exporter>(entry->kind));
}

ComponentResult CloseComponent(ComponentInstance instance) {
    return Instances().Remove(instance) ? ComponentResult(noErr) : badComponentInstance;
}

movie::Exporter* movie::ExporterOf(ComponentInstance instance) {
    return Instances().Get(instance);
}

} // namespace tbx
