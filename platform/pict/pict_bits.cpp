#include "platform/pict/pict_bits.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/codec_gate/jpeg_work.h"
#include "platform/jpeg/jpeg_decode.h"
#include "platform/pict/pict_codecs.h"

namespace tbx::pict {
namespace {

int Width(const Rect& r) {
    return r.right - r.left;
}
int Height(const Rect& r) {
    return r.bottom - r.top;
}

uint32_t Opaque(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// A 5-bit channel widened with its high bits repeated, so that 31 becomes 255.
uint8_t Widen5(unsigned v) {
    v &= 31;
    return uint8_t(v << 3 | v >> 2);
}

// The header of a pixel map or bit map, as the operations store it.
struct PixelHeader {
    Rect bounds;
    std::size_t rowBytes = 0;
    bool pixmap = false;
    bool direct = false;
    uint16_t packType = 0, pixelSize = 1, cmpCount = 1;
    std::vector<uint32_t> colors; // indexed pixel maps
};

bool ReadHeader(Reader& in, bool direct, PixelHeader& h) {
    uint16_t rowBytesField = 0;
    if (!in.U16(rowBytesField) || !in.ReadRect(h.bounds))
        return false;
    h.direct = direct;
    h.pixmap = direct || (rowBytesField & 0x8000);
    h.rowBytes = rowBytesField & 0x3FFF;
    if (h.pixmap) {
        uint16_t version = 0, pixelType = 0, cmpSize = 0;
        uint32_t packSize = 0, res = 0, planeBytes = 0, table = 0, reserved = 0;
        if (!in.U16(version) || !in.U16(h.packType) || !in.U32(packSize) || !in.U32(res) ||
            !in.U32(res) || !in.U16(pixelType) || !in.U16(h.pixelSize) || !in.U16(h.cmpCount) ||
            !in.U16(cmpSize) || !in.U32(planeBytes) || !in.U32(table) || !in.U32(reserved))
            return false;
    }
    const int width = Width(h.bounds), height = Height(h.bounds);
    if (width <= 0 || height <= 0 || std::size_t(width) * std::size_t(height) > kMaxPicturePixels)
        return false;
    if (h.pixmap && !direct) {
        uint32_t seed = 0;
        uint16_t flags = 0, count = 0;
        if (!in.U32(seed) || !in.U16(flags) || !in.U16(count) || count > 255)
            return false;
        h.colors.assign(256, Opaque(0, 0, 0));
        for (unsigned i = 0; i <= count; ++i) {
            uint16_t value = 0, r = 0, g = 0, b = 0;
            if (!in.U16(value) || !in.U16(r) || !in.U16(g) || !in.U16(b))
                return false;
            h.colors[(flags & 0x8000) ? i : (value & 0xFF)] = Opaque(r >> 8, g >> 8, b >> 8);
        }
    }
    return true;
}

// One PackBits row of `unit`-byte items into at least `least` and at most `most` bytes.
bool UnpackRow(Reader& in, std::size_t packed, std::size_t unit, std::size_t least,
               std::size_t most, std::vector<uint8_t>& row) {
    row.clear();
    if (packed > in.Left())
        return false;
    Reader run(in.Here(), packed);
    in.Skip(packed);
    while (run.Left() > 0) {
        uint8_t flag = 0;
        run.U8(flag);
        if (flag < 128) {
            const std::size_t n = (std::size_t(flag) + 1) * unit;
            if (n > run.Left() || row.size() + n > most)
                return false;
            row.insert(row.end(), run.Here(), run.Here() + n);
            run.Skip(n);
        } else if (flag > 128) {
            const std::size_t n = 257 - std::size_t(flag);
            if (run.Left() < unit || row.size() + n * unit > most)
                return false;
            for (std::size_t i = 0; i < n; ++i)
                row.insert(row.end(), run.Here(), run.Here() + unit);
            run.Skip(unit);
        }
    }
    return row.size() >= least;
}

// The pixels of a header's image, as ARGB; `packable` for the operations whose rows may be
// packed.
bool ReadPixels(Reader& in, const PixelHeader& h, bool packable, Canvas& canvas,
                std::vector<uint32_t>& image) {
    const int width = Width(h.bounds), height = Height(h.bounds);
    const std::size_t w = std::size_t(width);
    uint16_t packType = h.packType;
    if (h.direct) {
        if (h.pixelSize != 16 && h.pixelSize != 32)
            return false;
        if (packType == 0)
            packType = h.pixelSize == 16 ? 3 : 4; // the default packing of each size
        const bool fits =
            packType == 1 || (h.pixelSize == 16 ? packType == 3 : packType == 2 || packType == 4);
        if (!fits || (h.pixelSize == 32 && h.cmpCount != 3 && h.cmpCount != 4))
            return false;
    } else if (h.pixelSize != 1 && h.pixelSize != 2 && h.pixelSize != 4 && h.pixelSize != 8) {
        return false;
    }
    const bool packed = packable && h.rowBytes >= 8 && !(h.direct && packType <= 2);
    // Rows hold rowBytes bytes, except packed 32-bit rows (one plane per component) and rows
    // of packing type 2 (3 bytes a pixel).
    enum class Layout { Indexed, Rgb555, Planes, Rgb, Xrgb } layout = Layout::Indexed;
    std::size_t rowLength = h.rowBytes, needed = (w * h.pixelSize + 7) / 8, unit = 1;
    if (h.direct && h.pixelSize == 16) {
        layout = Layout::Rgb555;
        needed = w * 2;
        unit = 2;
    } else if (h.direct && packType == 2) {
        layout = Layout::Rgb;
        rowLength = needed = w * 3;
    } else if (h.direct && packed) {
        layout = Layout::Planes;
        rowLength = needed = w * h.cmpCount;
    } else if (h.direct) {
        layout = Layout::Xrgb;
        needed = w * 4;
    }
    if (rowLength < needed || !canvas.Charge(uint64_t(w) * uint64_t(height)))
        return false;

    image.assign(w * std::size_t(height), 0);
    std::vector<uint8_t> row;
    for (int y = 0; y < height; ++y) {
        if (packed) {
            uint16_t count = 0;
            uint8_t small = 0;
            if (h.rowBytes > 250 ? !in.U16(count) : !in.U8(small))
                return false;
            if (h.rowBytes <= 250)
                count = small;
            // Some writers pack whole rows of rowBytes even where fewer bytes are read.
            if (!UnpackRow(in, count, unit, needed, std::max(rowLength, h.rowBytes), row))
                return false;
        } else {
            if (in.Left() < rowLength)
                return false;
            row.assign(in.Here(), in.Here() + rowLength);
            in.Skip(rowLength);
        }
        uint32_t* out = &image[std::size_t(y) * w];
        for (std::size_t x = 0; x < w; ++x) {
            switch (layout) {
            case Layout::Planes: {
                const std::size_t off = h.cmpCount == 4 ? w : 0;
                out[x] = Opaque(row[off + x], row[off + w + x], row[off + 2 * w + x]);
                break;
            }
            case Layout::Rgb:
                out[x] = Opaque(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]);
                break;
            case Layout::Xrgb:
                out[x] = Opaque(row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]);
                break;
            case Layout::Rgb555: {
                const unsigned v = unsigned(row[x * 2]) << 8 | row[x * 2 + 1];
                out[x] = Opaque(Widen5(v >> 10), Widen5(v >> 5), Widen5(v));
                break;
            }
            case Layout::Indexed: {
                const std::size_t bit = x * h.pixelSize;
                const unsigned value =
                    (row[bit / 8] >> (8 - h.pixelSize - bit % 8)) & ((1u << h.pixelSize) - 1);
                out[x] = h.pixmap ? h.colors[value] : (value ? canvas.fore : canvas.back);
                break;
            }
            }
        }
    }
    return true;
}

} // namespace

bool BitsOp(Reader& in, uint16_t op, bool draw, Canvas& canvas) {
    const bool direct = op >= 0x009A, region = op & 1, packable = op >= 0x0098;
    PixelHeader header;
    if ((direct && !in.Skip(4)) || !ReadHeader(in, direct, header)) // base address first
        return false;
    Rect src, dst;
    uint16_t mode = 0;
    if (!in.ReadRect(src) || !in.ReadRect(dst) || !in.U16(mode))
        return false;
    if (region) {
        uint16_t size = 0;
        if (!in.U16(size) || size < 2 || !in.Skip(size - 2u))
            return false;
    }
    std::vector<uint32_t> image;
    if (!ReadPixels(in, header, packable, canvas, image))
        return false;
    if (!draw || Width(src) <= 0 || Height(src) <= 0 || Width(dst) <= 0 || Height(dst) <= 0)
        return true;
    Placement onto; // srcRect stretched onto dstRect
    onto.a = double(Width(dst)) / Width(src);
    onto.d = double(Height(dst)) / Height(src);
    onto.h = dst.left - src.left * onto.a;
    onto.v = dst.top - src.top * onto.d;
    return canvas.Put(image, header.bounds, src, onto);
}

bool PixPatOp(Reader& in, Pattern& pattern, Canvas& canvas) {
    uint16_t type = 0;
    if (!in.U16(type))
        return false;
    for (uint8_t& byte : pattern)
        if (!in.U8(byte))
            return false;
    if (type == 2) // a dithered colour
        return in.Skip(6);
    PixelHeader header;
    std::vector<uint32_t> image;
    return type == 1 && ReadHeader(in, false, header) && header.pixmap &&
           ReadPixels(in, header, true, canvas, image);
}

bool CompressedOp(Reader& in, Canvas& canvas, bool& drawn) {
    drawn = false;
    uint32_t length = 0;
    if (!in.U32(length) || length > in.Left())
        return false;
    Reader data(in.Here(), length);
    in.Skip(length);
    uint16_t version = 0, mode = 0;
    uint32_t m[9], matteSize = 0, accuracy = 0, maskSize = 0;
    Rect matteRect, src;
    if (!data.U16(version))
        return false;
    for (uint32_t& v : m)
        if (!data.U32(v))
            return false;
    if (!data.U32(matteSize) || !data.ReadRect(matteRect) || !data.U16(mode) ||
        !data.ReadRect(src) || !data.U32(accuracy) || !data.U32(maskSize) ||
        !data.Skip(matteSize) || !data.Skip(maskSize))
        return false;
    // The image description: its size, the codec, ..., the width and height at 32, and at 44
    // the size of the data.
    const uint8_t* description = data.Here();
    uint32_t descriptionSize = 0, codec = 0, dataSize = 0;
    uint16_t width = 0, height = 0;
    if (!data.U32(descriptionSize) || !data.U32(codec) || descriptionSize < 48 || !data.Skip(24) ||
        !data.U16(width) || !data.U16(height) || !data.Skip(8) || !data.U32(dataSize) ||
        descriptionSize > data.Left() + 48)
        return false;
    data.Skip(descriptionSize - std::size_t(data.Here() - description));
    if (dataSize == 0 || dataSize > data.Left())
        dataSize = uint32_t(data.Left());
    // The matrix (a b u, c d v, tx ty w) takes the image's point (x, y) to
    // (a x + c y + tx, b x + d y + ty), in 16.16 fixed point; perspective (u, v) and matrices
    // that flatten the image are refused.
    auto fixed = [&](int i) { return int32_t(m[i]) / 65536.0; };
    const Placement place{fixed(0), fixed(1), fixed(3), fixed(4), fixed(6), fixed(7)};
    if (m[2] || m[5] || place.a * place.d == place.b * place.c)
        return false;
    // What decoding may take is charged before it starts: for 'jpeg', the frames and scans
    // the data's own headers give; for the others, what FFmpeg's decoder is handed, as its
    // gate charges it. The decoder is then held to the pixels left.
    auto left = [&] {
        return std::size_t(std::min<uint64_t>(kMaxPicturePixels, canvas.UnspentForImages()));
    };
    const JpegFraming framing =
        codec == FourCC("jpeg") ? JpegFraming::Markers : CodecJpegFraming(codec);
    if (framing == JpegFraming::Other)
        return true; // passed over, as its work cannot be told beforehand
    const uint8_t* bytes = data.Here();
    uint64_t work = 0;
    gate::Gated gated;
    if (codec == FourCC("jpeg")) {
        const gate::JpegWork jpeg = gate::MarkedJpegWork(
            bytes, dataSize, left(), gate::MarkerReading::ByLength, int16_t(height));
        if (jpeg.scans > uint32_t(jpeg::kMaxScans))
            return false;
        work = dataSize + jpeg.work;
    } else {
        const gate::Packet packet{bytes, dataSize, int16_t(width), int16_t(height), left()};
        gated = GateCodecData(codec, packet);
        if (gated.verdict == gate::Gated::Verdict::kRefuse)
            return false;
        work = gated.work;
        bytes = gated.Bytes(packet);
    }
    if (!canvas.ChargeImage(work))
        return false;
    const std::size_t most = left();
    DecodedImage image;
    if (codec == FourCC("jpeg")) {
        jpeg::RgbPixels rgb;
        if (!jpeg::DecodeToRgb(data.Here(), dataSize, most * 3, rgb))
            return false;
        image.width = int(rgb.width);
        image.height = int(rgb.height);
        image.pixels.resize(std::size_t(rgb.width) * rgb.height);
        for (std::size_t i = 0; i < image.pixels.size(); ++i)
            image.pixels[i] =
                Opaque(rgb.pixels[3 * i], rgb.pixels[3 * i + 1], rgb.pixels[3 * i + 2]);
    } else if (!DecodeWithCodec(description, descriptionSize, bytes, dataSize, most, image)) {
        return true; // passed over: the plain image that follows stands in for it
    }
    // The image's rows are as wide as its bounds, which picture coordinates cap at 32,767.
    if (image.width > 0x7FFF || image.height > 0x7FFF ||
        !canvas.ChargeImage(uint64_t(image.width) * uint64_t(image.height)))
        return false;
    const Rect bounds{0, 0, SInt16(image.height), SInt16(image.width)};
    if (Width(src) <= 0 || Height(src) <= 0)
        src = bounds;
    drawn = true;
    return canvas.Put(image.pixels, bounds, src, place);
}

} // namespace tbx::pict
