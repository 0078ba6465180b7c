#include "platform/quickdraw/offscreen.h"

#include <atomic>
#include <cstring>
#include <new>

#include "platform/quickdraw/handle_table.h"
#include "platform/quickdraw/port.h"

namespace tbx {
namespace qd {
namespace {

HandleTable<Port>& Ports() {
    static HandleTable<Port> table;
    return table;
}

// A pixel store above this size is refused as memFullErr rather than attempted.
constexpr std::size_t kMaxPixelBytes = std::size_t(1) << 30;

std::atomic<std::uintptr_t> gCurrentPort{0};

} // namespace

Port* FindPort(const void* handle, unsigned kinds) {
    return Ports().Find(handle, kinds);
}

std::uintptr_t AddPort(std::unique_ptr<Port> port) {
    return Ports().Add(std::move(port), kPortHandle);
}

void ReadPixel(const Port& port, int h, int v, UInt8 argb[4]) {
    const UInt8* row = port.Row(v);
    int x = h - port.bounds.left;
    if (port.depth == 32) {
        std::memcpy(argb, row + std::size_t(x) * 4, 4);
        return;
    }
    UInt8 level = (row[x >> 3] & (0x80 >> (x & 7))) ? 0 : 0xFF;
    argb[0] = 0xFF;
    argb[1] = argb[2] = argb[3] = level;
}

void WritePixel(const Port& port, int h, int v, const UInt8 argb[4]) {
    UInt8* row = port.Row(v);
    int x = h - port.bounds.left;
    if (port.depth == 32) {
        std::memcpy(row + std::size_t(x) * 4, argb, 4);
        return;
    }
    // Two entries in the colour table: the nearer of black and white by mean level.
    bool black = unsigned(argb[1]) + argb[2] + argb[3] < 3u * 128u;
    UInt8 bit = UInt8(0x80 >> (x & 7));
    if (black)
        row[x >> 3] |= bit;
    else
        row[x >> 3] &= UInt8(~bit);
}

void ColorToBytes(const RGBColor& color, UInt8 argb[4]) {
    argb[0] = 0xFF;
    argb[1] = UInt8(color.red >> 8);
    argb[2] = UInt8(color.green >> 8);
    argb[3] = UInt8(color.blue >> 8);
}

Rect Intersect(const Rect& a, const Rect& b) {
    Rect r;
    r.top = a.top > b.top ? a.top : b.top;
    r.left = a.left > b.left ? a.left : b.left;
    r.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    r.right = a.right < b.right ? a.right : b.right;
    if (IsEmpty(r))
        return Rect{};
    return r;
}

bool IsEmpty(const Rect& r) {
    return r.bottom <= r.top || r.right <= r.left;
}

} // namespace qd

QDErr NewGWorld(GWorldPtr* world, SInt16 pixelDepth, const Rect* bounds, CTabHandle, GDHandle,
                GWorldFlags) {
    if (!world)
        return paramErr;
    *world = nullptr;
    if (!bounds || qd::IsEmpty(*bounds))
        return paramErr;
    if (pixelDepth == 0)
        pixelDepth = 32;
    if (pixelDepth != 32 && pixelDepth != 1)
        return cDepthErr;

    auto port = std::make_unique<qd::Port>();
    port->bounds = *bounds;
    port->depth = pixelDepth;
    std::size_t width = std::size_t(port->Width());
    std::size_t rowBits = pixelDepth == 32 ? width * 32 : width;
    // Rows padded to 16 bytes, as the toolbox pads them; callers must use the row bytes.
    port->rowBytes = (rowBits + 127) / 128 * 16;
    std::size_t total = port->rowBytes * std::size_t(port->Height());
    if (total > qd::kMaxPixelBytes)
        return memFullErr;
    port->pixels.reset(new (std::nothrow) UInt8[total]());
    if (!port->pixels)
        return memFullErr;

    std::uintptr_t handle = qd::AddPort(std::move(port));
    if (!handle)
        return memFullErr;
    *world = reinterpret_cast<GWorldPtr>(handle);
    return noErr;
}

OSErr DisposeGWorld(GWorldPtr world) {
    return qd::Ports().Remove(world, qd::kPortKinds) ? noErr : paramErr;
}

PixMapHandle GetGWorldPixMap(GWorldPtr world) {
    return reinterpret_cast<PixMapHandle>(
        qd::Ports().View(world, qd::kPortKinds, qd::kPixMapHandle));
}

Boolean LockPixels(PixMapHandle pixMap) {
    return qd::FindPort(pixMap, qd::kPixMapKinds) != nullptr;
}

OSErr UnlockPixels(PixMapHandle pixMap) {
    return qd::FindPort(pixMap, qd::kPixMapKinds) ? noErr : paramErr;
}

Ptr GetPixBaseAddr(PixMapHandle pixMap) {
    qd::Port* port = qd::FindPort(pixMap, qd::kPixMapKinds);
    return port ? reinterpret_cast<Ptr>(port->pixels.get()) : nullptr;
}

SInt32 GetPixRowBytes(PixMapHandle pixMap) {
    qd::Port* port = qd::FindPort(pixMap, qd::kPixMapKinds);
    return port ? SInt32(port->rowBytes) : 0;
}

SInt16 GetPixDepth(PixMapHandle pixMap) {
    qd::Port* port = qd::FindPort(pixMap, qd::kPixMapKinds);
    return port ? port->depth : 0;
}

Rect* GetPixBounds(PixMapHandle pixMap, Rect* bounds) {
    if (!bounds)
        return nullptr;
    qd::Port* port = qd::FindPort(pixMap, qd::kPixMapKinds);
    *bounds = port ? port->bounds : Rect{};
    return port ? bounds : nullptr;
}

Rect* GetPortBounds(CGrafPtr grafPort, Rect* bounds) {
    if (!bounds)
        return nullptr;
    qd::Port* port = qd::FindPort(grafPort, qd::kPortKinds);
    *bounds = port ? port->bounds : Rect{};
    return port ? bounds : nullptr;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) {
    return reinterpret_cast<const BitMap*>(
        qd::Ports().View(port, qd::kPortKinds, qd::kBitMapHandle));
}

void GetGWorld(CGrafPtr* port, GDHandle* device) {
    if (port)
        *port = reinterpret_cast<CGrafPtr>(qd::gCurrentPort.load());
    if (device)
        *device = nullptr;
}

OSErr SetGWorld(CGrafPtr port, GDHandle) {
    if (port && !qd::FindPort(port, qd::kPortKinds))
        return paramErr;
    qd::gCurrentPort.store(reinterpret_cast<std::uintptr_t>(port));
    return noErr;
}

} // namespace tbx
