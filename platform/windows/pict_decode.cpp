#include "platform/windows/pict_decode.h"

#include <algorithm>

namespace tbx {
namespace {

class Reader {
public:
    Reader(const uint8_t* bytes, std::size_t size) : _p(bytes), _end(bytes + size) {}
    bool Skip(std::size_t n) {
        if (std::size_t(_end - _p) < n)
            return Fail();
        _p += n;
        return true;
    }
    bool U8(uint8_t& v) {
        if (_p == _end)
            return Fail();
        v = *_p++;
        return true;
    }
    bool U16(uint16_t& v) {
        if (_end - _p < 2)
            return Fail();
        v = uint16_t(_p[0] << 8 | _p[1]);
        _p += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        uint16_t hi = 0, lo = 0;
        if (!U16(hi) || !U16(lo))
            return false;
        v = uint32_t(hi) << 16 | lo;
        return true;
    }
    bool ReadRect(Rect& r) {
        uint16_t v[4];
        for (auto& x : v)
            if (!U16(x))
                return false;
        r = Rect{SInt16(v[0]), SInt16(v[1]), SInt16(v[2]), SInt16(v[3])};
        return true;
    }
    const uint8_t* Here() const { return _p; }
    std::size_t Left() const { return std::size_t(_end - _p); }
    std::size_t Offset(const uint8_t* start) const { return std::size_t(_p - start); }
    bool Ok() const { return _ok; }

private:
    bool Fail() {
        _ok = false;
        return false;
    }
    const uint8_t* _p;
    const uint8_t* _end;
    bool _ok = true;
};

int Width(const Rect& r) {
    return r.right - r.left;
}
int Height(const Rect& r) {
    return r.bottom - r.top;
}

// One PackBits row into exactly `length` bytes.
bool UnpackRow(Reader& in, std::size_t packed, std::size_t length, std::vector<uint8_t>& row) {
    row.clear();
    if (packed > in.Left())
        return false;
    Reader run(in.Here(), packed);
    in.Skip(packed);
    while (run.Left() > 0) {
        uint8_t flag = 0;
        run.U8(flag);
        if (flag < 128) {
            const std::size_t n = std::size_t(flag) + 1;
            if (n > run.Left() || row.size() + n > length)
                return false;
            row.insert(row.end(), run.Here(), run.Here() + n);
            run.Skip(n);
        } else if (flag > 128) {
            const std::size_t n = 257 - std::size_t(flag);
            uint8_t value = 0;
            if (!run.U8(value) || row.size() + n > length)
                return false;
            row.insert(row.end(), n, value);
        }
    }
    return row.size() == length;
}

struct Canvas {
    DecodedPicture& picture;
    // Puts the image's srcRect onto dstRect (both in picture coordinates), nearest pixel.
    void Put(const std::vector<uint32_t>& image, const Rect& bounds, const Rect& src,
             const Rect& dst) {
        const Rect& f = picture.frame;
        const int dw = Width(dst), dh = Height(dst), sw = Width(src), sh = Height(src);
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
            return;
        const int bw = Width(bounds), bh = Height(bounds);
        for (int y = std::max(dst.top, f.top); y < std::min<int>(dst.bottom, f.bottom); ++y)
            for (int x = std::max(dst.left, f.left); x < std::min<int>(dst.right, f.right); ++x) {
                const int sx = src.left + int(int64_t(x - dst.left) * sw / dw) - bounds.left;
                const int sy = src.top + int(int64_t(y - dst.top) * sh / dh) - bounds.top;
                if (sx < 0 || sy < 0 || sx >= bw || sy >= bh)
                    continue;
                picture.pixels[std::size_t(y - f.top) * std::size_t(Width(f)) +
                               std::size_t(x - f.left)] =
                    image[std::size_t(sy) * std::size_t(bw) + std::size_t(sx)];
            }
    }
};

uint32_t Opaque(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// A bit-image operation: `direct` for 32-bit pixels, `region` for the variants with a mask
// region, `packBits` for those whose rows may be packed.
bool BitsOp(Reader& in, bool direct, bool region, bool packBits, Canvas& canvas) {
    if (direct && !in.Skip(4)) // base address
        return false;
    uint16_t rowBytesField = 0;
    Rect bounds;
    if (!in.U16(rowBytesField) || !in.ReadRect(bounds))
        return false;
    const bool pixmap = direct || (rowBytesField & 0x8000);
    const std::size_t rowBytes = rowBytesField & 0x3FFF;
    uint16_t packType = 0, pixelSize = 1, cmpCount = 1;
    if (pixmap) {
        uint16_t version = 0, pixelType = 0, cmpSize = 0;
        uint32_t packSize = 0, res = 0, planeBytes = 0, table = 0, reserved = 0;
        if (!in.U16(version) || !in.U16(packType) || !in.U32(packSize) || !in.U32(res) ||
            !in.U32(res) || !in.U16(pixelType) || !in.U16(pixelSize) || !in.U16(cmpCount) ||
            !in.U16(cmpSize) || !in.U32(planeBytes) || !in.U32(table) || !in.U32(reserved))
            return false;
    }
    const int width = Width(bounds), height = Height(bounds);
    if (width <= 0 || height <= 0 || std::size_t(width) * std::size_t(height) > kMaxPicturePixels)
        return false;
    std::vector<uint32_t> colors;
    if (pixmap && !direct) {
        uint32_t seed = 0;
        uint16_t flags = 0, count = 0;
        if (!in.U32(seed) || !in.U16(flags) || !in.U16(count) || count > 255)
            return false;
        colors.assign(256, Opaque(0, 0, 0));
        for (unsigned i = 0; i <= count; ++i) {
            uint16_t value = 0, r = 0, g = 0, b = 0;
            if (!in.U16(value) || !in.U16(r) || !in.U16(g) || !in.U16(b))
                return false;
            colors[(flags & 0x8000) ? i : (value & 0xFF)] = Opaque(r >> 8, g >> 8, b >> 8);
        }
    }
    Rect src, dst;
    uint16_t mode = 0;
    if (!in.ReadRect(src) || !in.ReadRect(dst) || !in.U16(mode))
        return false;
    if (region) {
        uint16_t size = 0;
        if (!in.U16(size) || size < 2 || !in.Skip(size - 2u))
            return false;
    }
    if (direct && packType == 0)
        packType = 4; // the default packing of 32-bit pixels
    const bool indexed = !direct;
    if (indexed && pixelSize != 1 && pixelSize != 2 && pixelSize != 4 && pixelSize != 8)
        return false;
    if (direct && pixelSize != 32)
        return false;
    if (direct && (cmpCount != 3 && cmpCount != 4))
        return false;
    const bool packed = packBits && rowBytes >= 8 && !(direct && (packType == 1 || packType == 2));
    // Direct rows are planes of components when packed, otherwise 3 (packing type 2) or 4
    // bytes a pixel; indexed rows hold rowBytes bytes either way.
    enum class Layout { Indexed, Planes, Rgb, Xrgb };
    Layout layout = Layout::Indexed;
    std::size_t rowLength = rowBytes, needed = (std::size_t(width) * pixelSize + 7) / 8;
    if (direct && packType == 2) {
        layout = Layout::Rgb;
        rowLength = needed = std::size_t(width) * 3;
    } else if (direct && packed) {
        layout = Layout::Planes;
        rowLength = needed = std::size_t(width) * cmpCount;
    } else if (direct) {
        layout = Layout::Xrgb;
        needed = std::size_t(width) * 4;
    }
    if (rowLength < needed)
        return false;

    std::vector<uint32_t> image(std::size_t(width) * std::size_t(height));
    std::vector<uint8_t> row;
    for (int y = 0; y < height; ++y) {
        if (packed) {
            uint16_t count = 0;
            uint8_t small = 0;
            if (rowBytes > 250 ? !in.U16(count) : !in.U8(small))
                return false;
            if (rowBytes <= 250)
                count = small;
            if (!UnpackRow(in, count, rowLength, row))
                return false;
        } else {
            if (in.Left() < rowLength)
                return false;
            row.assign(in.Here(), in.Here() + rowLength);
            in.Skip(rowLength);
        }
        uint32_t* out = &image[std::size_t(y) * std::size_t(width)];
        for (int x = 0; x < width; ++x) {
            if (layout == Layout::Planes) {
                const std::size_t w = std::size_t(width), off = cmpCount == 4 ? w : 0;
                out[x] = Opaque(row[off + std::size_t(x)], row[off + w + std::size_t(x)],
                                row[off + 2 * w + std::size_t(x)]);
            } else if (layout == Layout::Rgb) {
                const uint8_t* p = &row[std::size_t(x) * 3];
                out[x] = Opaque(p[0], p[1], p[2]);
            } else if (layout == Layout::Xrgb) {
                const uint8_t* p = &row[std::size_t(x) * 4];
                out[x] = Opaque(p[1], p[2], p[3]);
            } else {
                const std::size_t bit = std::size_t(x) * pixelSize;
                const unsigned value =
                    (row[bit / 8] >> (8 - pixelSize - bit % 8)) & ((1u << pixelSize) - 1);
                out[x] =
                    pixmap ? colors[value] : (value ? Opaque(0, 0, 0) : Opaque(0xFF, 0xFF, 0xFF));
            }
        }
    }
    canvas.Put(image, bounds, src, dst);
    return true;
}

// Data lengths of the state operations passed over; -1 for one not known here.
int FixedLength(uint16_t op) {
    switch (op) {
    case 0x0000:
    case 0x001E:
        return 0;
    case 0x0003:
    case 0x0004:
    case 0x0005:
    case 0x0008:
    case 0x000D:
    case 0x0015:
    case 0x0016:
    case 0x00A0:
        return 2;
    case 0x0006:
    case 0x0007:
    case 0x000B:
    case 0x000C:
    case 0x000E:
    case 0x000F:
        return 4;
    case 0x001A:
    case 0x001B:
    case 0x001D:
    case 0x001F:
        return 6;
    case 0x0002:
    case 0x0009:
    case 0x000A:
    case 0x0010:
        return 8;
    case 0x0C00:
        return 24;
    default:
        return -1;
    }
}

} // namespace

bool DecodePicture(const uint8_t* bytes, std::size_t size, DecodedPicture& out) {
    Reader in(bytes, size);
    uint16_t declared = 0, op = 0, version = 0;
    Rect frame;
    if (!in.U16(declared) || !in.ReadRect(frame) || !in.U16(op) || !in.U16(version) ||
        op != 0x0011 || version != 0x02FF)
        return false;
    const int width = Width(frame), height = Height(frame);
    if (width <= 0 || height <= 0 || std::size_t(width) * std::size_t(height) > kMaxPicturePixels)
        return false;
    out.frame = frame;
    out.pixels.assign(std::size_t(width) * std::size_t(height), 0xFFFFFFFFu);
    Canvas canvas{out};
    for (;;) {
        // Operations start on even offsets.
        if (in.Offset(bytes) % 2 && !in.Skip(1))
            return false;
        if (!in.U16(op))
            return false;
        if (op == 0x00FF)
            return true;
        if (const int length = FixedLength(op); length >= 0) {
            if (!in.Skip(std::size_t(length)))
                return false;
            continue;
        }
        switch (op) {
        case 0x0001: { // clip region
            uint16_t regionSize = 0;
            if (!in.U16(regionSize) || regionSize < 2 || !in.Skip(regionSize - 2u))
                return false;
            break;
        }
        case 0x00A1: { // long comment
            uint16_t kind = 0, length = 0;
            if (!in.U16(kind) || !in.U16(length) || !in.Skip(length))
                return false;
            break;
        }
        case 0x0090:
        case 0x0091:
        case 0x0098:
        case 0x0099:
        case 0x009A:
        case 0x009B:
            if (!BitsOp(in, op >= 0x009A, op & 1, op >= 0x0098, canvas))
                return false;
            break;
        default:
            return false;
        }
    }
}

} // namespace tbx
