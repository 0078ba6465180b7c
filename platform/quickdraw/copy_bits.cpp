#include "platform/quickdraw/copy_bits.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/quickdraw/port.h"
#include "platform/quickdraw/region.h"

namespace tbx {
namespace {

// A copy of a map that is read while it is also written.
bool Snapshot(const qd::Port& port, qd::Port& copy) {
    copy.bounds = port.bounds;
    copy.depth = port.depth;
    copy.rowBytes = port.rowBytes;
    std::size_t total = port.rowBytes * std::size_t(port.Height());
    copy.pixels.reset(new (std::nothrow) UInt8[total]);
    if (!copy.pixels)
        return false;
    std::memcpy(copy.pixels.get(), port.pixels.get(), total);
    return true;
}

// Maps destination columns or rows onto source ones: s = s0 + (d − d0) × sn / dn.
int Scale(int d, int d0, int dn, int s0, int sn) {
    return s0 + int((long long)(d - d0) * sn / dn);
}

// The destination area after clipping to the target map and the region; false when a handle
// is dead.
bool ClipArea(const qd::Port& dst, const Rect& dstRect, RgnHandle maskRgn, Rect& area) {
    area = qd::Intersect(dstRect, dst.bounds);
    if (maskRgn) {
        Rect clip;
        if (!qd::RegionBounds(maskRgn, clip))
            return false;
        area = qd::Intersect(area, clip);
    }
    return true;
}

void ColumnMap(const Rect& area, const Rect& dstRect, const Rect& from, std::vector<int>& out) {
    out.resize(std::size_t(area.right > area.left ? area.right - area.left : 0));
    int dn = dstRect.right - dstRect.left;
    int sn = from.right - from.left;
    for (int h = area.left; h < area.right; ++h)
        out[std::size_t(h - area.left)] = Scale(h, dstRect.left, dn, from.left, sn);
}

bool Inside(const qd::Port& port, int h, int v) {
    const Rect& b = port.bounds;
    return h >= b.left && h < b.right && v >= b.top && v < b.bottom;
}

} // namespace

OSErr CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
               const Rect* dstRect, SInt16 mode, RgnHandle maskRgn) {
    qd::Port* src = qd::FindPort(srcBits, qd::kBitMapKinds);
    qd::Port* dst = qd::FindPort(dstBits, qd::kBitMapKinds);
    if (!src || !dst || !srcRect || !dstRect || mode != srcCopy)
        return paramErr;
    Rect area;
    if (!ClipArea(*dst, *dstRect, maskRgn, area))
        return paramErr;
    if (qd::IsEmpty(*srcRect) || qd::IsEmpty(*dstRect) || qd::IsEmpty(area))
        return noErr;

    qd::Port copy;
    const qd::Port* from = src;
    if (src == dst) {
        if (!Snapshot(*src, copy))
            return memFullErr;
        from = &copy;
    }

    std::vector<int> columns;
    ColumnMap(area, *dstRect, *srcRect, columns);
    int dh = dstRect->bottom - dstRect->top;
    int sh = srcRect->bottom - srcRect->top;
    bool direct = from->depth == 32 && dst->depth == 32;
    for (int v = area.top; v < area.bottom; ++v) {
        int sv = Scale(v, dstRect->top, dh, srcRect->top, sh);
        if (sv < from->bounds.top || sv >= from->bounds.bottom)
            continue;
        const UInt8* srcRow = from->Row(sv);
        UInt8* dstRow = dst->Row(v);
        for (int h = area.left; h < area.right; ++h) {
            int sx = columns[std::size_t(h - area.left)];
            if (sx < from->bounds.left || sx >= from->bounds.right)
                continue;
            if (direct) {
                std::memcpy(dstRow + std::size_t(h - dst->bounds.left) * 4,
                            srcRow + std::size_t(sx - from->bounds.left) * 4, 4);
            } else {
                UInt8 argb[4];
                qd::ReadPixel(*from, sx, sv, argb);
                qd::WritePixel(*dst, h, v, argb);
            }
        }
    }
    return noErr;
}

OSErr CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
               const Rect* srcRect, const Rect* maskRect, const Rect* dstRect) {
    qd::Port* src = qd::FindPort(srcBits, qd::kBitMapKinds);
    qd::Port* mask = qd::FindPort(maskBits, qd::kBitMapKinds);
    qd::Port* dst = qd::FindPort(dstBits, qd::kBitMapKinds);
    if (!src || !mask || !dst || !srcRect || !maskRect || !dstRect)
        return paramErr;
    Rect area;
    ClipArea(*dst, *dstRect, nullptr, area);
    if (qd::IsEmpty(*srcRect) || qd::IsEmpty(*maskRect) || qd::IsEmpty(*dstRect) ||
        qd::IsEmpty(area))
        return noErr;

    qd::Port srcCopy, maskCopy;
    const qd::Port* from = src;
    const qd::Port* through = mask;
    if (src == dst) {
        if (!Snapshot(*src, srcCopy))
            return memFullErr;
        from = &srcCopy;
    }
    if (mask == dst) {
        if (!Snapshot(*mask, maskCopy))
            return memFullErr;
        through = &maskCopy;
    }

    std::vector<int> srcColumns, maskColumns;
    ColumnMap(area, *dstRect, *srcRect, srcColumns);
    ColumnMap(area, *dstRect, *maskRect, maskColumns);
    int dh = dstRect->bottom - dstRect->top;
    for (int v = area.top; v < area.bottom; ++v) {
        int sv = Scale(v, dstRect->top, dh, srcRect->top, srcRect->bottom - srcRect->top);
        int mv = Scale(v, dstRect->top, dh, maskRect->top, maskRect->bottom - maskRect->top);
        for (int h = area.left; h < area.right; ++h) {
            int sx = srcColumns[std::size_t(h - area.left)];
            int mx = maskColumns[std::size_t(h - area.left)];
            if (!Inside(*from, sx, sv) || !Inside(*through, mx, mv))
                continue;
            UInt8 s[4], m[4], d[4];
            qd::ReadPixel(*from, sx, sv, s);
            qd::ReadPixel(*through, mx, mv, m);
            if (through->depth == 1) {
                if (m[1] == 0)
                    qd::WritePixel(*dst, h, v, s);
                continue;
            }
            qd::ReadPixel(*dst, h, v, d);
            unsigned weights[4] = {(unsigned(m[1]) + m[2] + m[3]) / 3, m[1], m[2], m[3]};
            for (int k = 0; k < 4; ++k)
                d[k] = UInt8((s[k] * (255 - weights[k]) + d[k] * weights[k] + 127) / 255);
            qd::WritePixel(*dst, h, v, d);
        }
    }
    return noErr;
}

} // namespace tbx
