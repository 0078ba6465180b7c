#include "platform/quickdraw/region.h"

#include "platform/quickdraw/handle_table.h"
#include "platform/quickdraw/port.h"

namespace tbx {
namespace {

struct Region {
    Rect bounds;
};

constexpr unsigned kRegionHandle = 5;
constexpr unsigned kRegionKinds = 1u << kRegionHandle;

qd::HandleTable<Region>& Regions() {
    static qd::HandleTable<Region> table;
    return table;
}

Region* Find(RgnHandle region) {
    return Regions().Find(region, kRegionKinds);
}

} // namespace

RgnHandle NewRgn() {
    return reinterpret_cast<RgnHandle>(Regions().Add(std::make_unique<Region>(), kRegionHandle));
}

OSErr DisposeRgn(RgnHandle region) {
    return Regions().Remove(region, kRegionKinds) ? noErr : paramErr;
}

OSErr RectRgn(RgnHandle region, const Rect* rect) {
    Region* r = Find(region);
    if (!r || !rect)
        return paramErr;
    // An empty rectangle makes the empty region.
    r->bounds = qd::IsEmpty(*rect) ? Rect{} : *rect;
    return noErr;
}

OSErr SetRectRgn(RgnHandle region, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    Rect rect;
    rect.left = left;
    rect.top = top;
    rect.right = right;
    rect.bottom = bottom;
    return RectRgn(region, &rect);
}

Rect* GetRegionBounds(RgnHandle region, Rect* bounds) {
    if (!bounds)
        return nullptr;
    Region* r = Find(region);
    *bounds = r ? r->bounds : Rect{};
    return r ? bounds : nullptr;
}

namespace qd {
bool RegionBounds(RgnHandle region, Rect& bounds) {
    Region* r = Find(region);
    if (!r)
        return false;
    bounds = r->bounds;
    return true;
}
} // namespace qd

} // namespace tbx
