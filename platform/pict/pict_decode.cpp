#include "platform/pict/pict_decode.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/pict/pict_bits.h"
#include "platform/pict/pict_canvas.h"
#include "platform/pict/pict_reader.h"
#include "platform/pict/pict_shapes.h"
#include "platform/quickdraw/drawing.h"

namespace tbx {
namespace {

using namespace pict;

int Width(const Rect& r) {
    return r.right - r.left;
}
int Height(const Rect& r) {
    return r.bottom - r.top;
}

Rect Inset(const Rect& r, int dh, int dv) {
    auto clamp = [](int v) { return SInt16(std::clamp(v, -32768, 32767)); };
    return Rect{clamp(r.top + dv), clamp(r.left + dh), clamp(r.bottom - dv), clamp(r.right - dh)};
}

struct Region {
    Rect bounds;
    std::vector<uint8_t> data;                       // after the header; empty for a rectangle
    std::optional<std::pair<RowClip, Spans>> pixels; // once built, and the clip built for
};

// Text positions move by many small steps; far beyond any frame they stop.
int Saturate(int64_t v) {
    constexpr int kFar = 1 << 24;
    return int(std::clamp<int64_t>(v, -kFar, kFar));
}

class Decoder {
public:
    // `in` is past the picture's header; the picture holds its frame.
    Decoder(const uint8_t* start, const Reader& in, DecodedPicture& picture, bool version2)
        : _start(start), _in(in), _canvas(picture), _version2(version2) {}

    bool Run();

private:
    bool Op(uint16_t op, bool& end);
    bool Skip(std::size_t n) { return _in.Skip(n); }
    bool SkipWordLength() {
        uint16_t n = 0;
        return _in.U16(n) && _in.Skip(n);
    }
    bool SkipLongLength() {
        uint32_t n = 0;
        return _in.U32(n) && _in.Skip(n);
    }
    bool ReadPattern(Pattern& pattern) {
        for (uint8_t& byte : pattern)
            if (!_in.U8(byte))
                return false;
        return true;
    }
    bool ReadColor(uint32_t& color) {
        uint16_t r = 0, g = 0, b = 0;
        if (!_in.U16(r) || !_in.U16(g) || !_in.U16(b))
            return false;
        color = 0xFF000000u | uint32_t(r >> 8) << 16 | uint32_t(g >> 8) << 8 | (b >> 8);
        return true;
    }
    bool ClassicColorOp(uint32_t& color) {
        uint32_t number = 0;
        RGBColor rgb;
        if (!_in.U32(number))
            return false;
        if (ClassicColor(SInt32(number), rgb))
            color = 0xFF000000u | uint32_t(rgb.red >> 8) << 16 | uint32_t(rgb.green >> 8) << 8 |
                    (rgb.blue >> 8);
        return true;
    }
    bool LineTo(int h, int v);
    bool TextOp(uint16_t op);
    bool FontName();
    bool RectShape(uint16_t op);
    bool PolygonShape(uint16_t op);
    bool RegionShape(uint16_t op);
    bool ReadRegion(uint16_t size, Region& region);
    bool RegionPixels(Region& region, RowClip clip, const Spans*& pixels);
    bool ClipOp();
    bool Draw(const Spans& spans, Verb verb) { return _canvas.Fill(spans, verb); }

    const uint8_t* _start;
    Reader _in;
    Canvas _canvas;
    bool _version2 = false;
    bool _afterCompressed = false;
    Rect _lastRect;
    std::vector<std::pair<int, int>> _lastPolygon;
    Region _lastRegion;
};

bool Decoder::Run() {
    for (;;) {
        uint16_t op = 0;
        if (_version2) {
            // Operations start on even offsets.
            if (_in.Offset(_start) % 2 && !_in.Skip(1))
                return false;
            if (!_in.U16(op))
                return false;
        } else {
            uint8_t small = 0;
            if (!_in.U8(small))
                return false;
            op = small;
        }
        bool end = false;
        if (!Op(op, end))
            return false;
        if (end)
            return true;
    }
}

bool Decoder::LineTo(int h, int v) {
    const int steps = std::max(std::abs(h - _canvas.penH), std::abs(v - _canvas.penV)) + 1;
    if (!_canvas.Charge(uint64_t(steps)))
        return false;
    const Spans line = LineSpans(_canvas.penH, _canvas.penV, h, v, _canvas.penWidth,
                                 _canvas.penHeight, _canvas.Clip());
    _canvas.penH = h;
    _canvas.penV = v;
    return Draw(line, Verb::Paint);
}

bool Decoder::TextOp(uint16_t op) {
    int h = _canvas.textH, v = _canvas.textV;
    uint8_t dh = 0, dv = 0, count = 0;
    if (op == 0x0028 && !_in.ReadPoint(h, v))
        return false;
    if ((op == 0x0029 || op == 0x002B) && !_in.U8(dh))
        return false;
    if ((op == 0x002A || op == 0x002B) && !_in.U8(dv))
        return false;
    if (!_in.U8(count) || _in.Left() < count)
        return false;
    const std::string text(reinterpret_cast<const char*>(_in.Here()), count);
    _in.Skip(count);
    _canvas.textH = Saturate(int64_t(h) + dh);
    _canvas.textV = Saturate(int64_t(v) + dv);
    return _canvas.Text(_canvas.textH, _canvas.textV, text);
}

bool Decoder::FontName() {
    uint16_t length = 0, id = 0;
    uint8_t nameLength = 0;
    if (!_in.U16(length) || _in.Left() < length)
        return false;
    Reader data(_in.Here(), length);
    _in.Skip(length);
    if (!data.U16(id) || !data.U8(nameLength) || data.Left() < nameLength)
        return false;
    return _canvas.NameFont(SInt16(id),
                            std::string(reinterpret_cast<const char*>(data.Here()), nameLength));
}

// Rectangles, rounded rectangles, ovals and arcs (0x30 to 0x6F): with their rectangle, or the
// last one given ("same" forms, 0x?8 to 0x?F); arcs then give their angles.
bool Decoder::RectShape(uint16_t op) {
    const int kind = op >> 4; // 3 rectangle, 4 rounded, 5 oval, 6 arc
    int startAngle = 0, arcAngle = 0;
    if (!(op & 8) && !_in.ReadRect(_lastRect))
        return false;
    if (kind == 6 && (!_in.S16(startAngle) || !_in.S16(arcAngle)))
        return false;
    const int verb = op & 7;
    if (verb > 4)
        return true;
    const Rect& r = _lastRect;
    const RowClip clip = _canvas.Clip();
    auto shape = [&](const Rect& at, int ovalWidth, int ovalHeight) {
        return kind == 3   ? RectSpans(at, clip)
               : kind == 4 ? RoundRectSpans(at, ovalWidth, ovalHeight, clip)
                           : OvalSpans(at, clip);
    };
    const int ow = _canvas.ovalWidth, oh = _canvas.ovalHeight;
    const int pw = _canvas.penWidth, ph = _canvas.penHeight;
    if (verb == 0 && (pw <= 0 || ph <= 0))
        return true;
    Spans drawn =
        verb != 0 ? shape(r, ow, oh)
                  : Subtract(shape(r, ow, oh), shape(Inset(r, pw, ph), ow - 2 * pw, oh - 2 * ph));
    if (kind == 6) {
        if (!_canvas.Charge(uint64_t(drawn.rows.size()) * kWedgeRowWork))
            return false;
        drawn = Wedge(drawn, r, startAngle, arcAngle, clip);
    }
    return Draw(drawn, verb == 0 ? Verb::Frame : Verb(verb));
}

bool Decoder::PolygonShape(uint16_t op) {
    if (!(op & 8)) {
        uint16_t size = 0;
        Rect bounds;
        if (!_in.U16(size) || size < 10 || (size - 10) % 4 || !_in.ReadRect(bounds))
            return false;
        _lastPolygon.assign((size - 10u) / 4, {});
        for (auto& [h, v] : _lastPolygon)
            if (!_in.ReadPoint(h, v))
                return false;
    }
    const int verb = op & 7;
    if (verb > 4 || _lastPolygon.empty())
        return true;
    if (verb == 0) { // the pen along each side, the polygon left as open as it was given
        const int h = _canvas.penH, v = _canvas.penV;
        _canvas.penH = _lastPolygon[0].first;
        _canvas.penV = _lastPolygon[0].second;
        for (std::size_t i = 1; i < _lastPolygon.size(); ++i)
            if (!LineTo(_lastPolygon[i].first, _lastPolygon[i].second))
                return false;
        _canvas.penH = h;
        _canvas.penV = v;
        return true;
    }
    const RowClip clip = _canvas.Clip();
    return _canvas.Charge(PolygonWork(_lastPolygon, clip)) &&
           Draw(PolygonSpans(_lastPolygon, clip), Verb(verb));
}

// A region after its size word: its box and data.
bool Decoder::ReadRegion(uint16_t size, Region& region) {
    if (size < 10 || !_in.ReadRect(region.bounds) || _in.Left() < size - 10u)
        return false;
    region.data.assign(_in.Here(), _in.Here() + (size - 10));
    region.pixels.reset();
    return _in.Skip(size - 10);
}

// The region's pixels cut to `clip`. Each use costs the region's size, whether or not it
// reaches the frame; its pixels are built once for a clip and kept.
bool Decoder::RegionPixels(Region& region, RowClip clip, const Spans*& pixels) {
    if (!_canvas.Charge(10 + region.data.size()))
        return false;
    if (!region.pixels || region.pixels->first != clip) {
        const Rect& b = region.bounds;
        const uint64_t rows = uint64_t(
            std::max(0, std::min<int>(b.bottom, clip.bottom) - std::max<int>(b.top, clip.top)));
        Spans spans;
        if (!_canvas.Charge(rows * (1 + region.data.size() / 4)) ||
            !RegionSpans(b, region.data.data(), region.data.size(), clip, spans))
            return false;
        region.pixels.emplace(clip, std::move(spans));
    }
    pixels = &region.pixels->second;
    return true;
}

bool Decoder::RegionShape(uint16_t op) {
    uint16_t size = 0;
    if (!(op & 8) && (!_in.U16(size) || !ReadRegion(size, _lastRegion)))
        return false;
    const int verb = op & 7;
    if (verb > 4)
        return true;
    const int pw = _canvas.penWidth, ph = _canvas.penHeight;
    const RowClip clip =
        verb == 0 ? _canvas.Clip(std::max(0, pw), std::max(0, ph)) : _canvas.Clip();
    const Spans* spans = nullptr;
    if (!RegionPixels(_lastRegion, clip, spans))
        return false;
    if (verb != 0)
        return Draw(*spans, Verb(verb));
    if (pw <= 0 || ph <= 0)
        return true;
    std::size_t widest = 0;
    for (const auto& row : spans->rows)
        widest = std::max(widest, row.size());
    return _canvas.Charge(spans->rows.size() * (2 * uint64_t(ph) + 1) * (widest + 1)) &&
           Draw(Subtract(*spans, Erode(*spans, pw, ph)), Verb::Frame);
}

// The clip region; sizes too small for a region's header are passed over.
bool Decoder::ClipOp() {
    uint16_t size = 0;
    if (!_in.U16(size) || size < 2)
        return false;
    if (size < 10)
        return Skip(size - 2u);
    Region clip;
    const Spans* pixels = nullptr;
    if (!ReadRegion(size, clip) || !RegionPixels(clip, _canvas.Unclipped(), pixels))
        return false;
    _canvas.SetClip(*pixels);
    return true;
}

bool Decoder::Op(uint16_t op, bool& end) {
    switch (op) {
    case 0x0000: // no-op
    case 0x0017:
    case 0x0018:
    case 0x0019:
    case 0x001C: // hilite mode
    case 0x001E: // default hilite
        return true;
    case 0x0001:
        return ClipOp();
    case 0x0002:
        return ReadPattern(_canvas.backPattern);
    case 0x0003: {
        uint16_t font = 0;
        if (!_in.U16(font))
            return false;
        _canvas.textFont = SInt16(font);
        return true;
    }
    case 0x0004: {
        uint8_t face = 0;
        if (!_in.U8(face))
            return false;
        _canvas.textFace = face;
        return true;
    }
    case 0x0005: // text mode
    case 0x0015: // fractional pen position
    case 0x0016: // extra space per character
    case 0x00A0: // short comment
        return Skip(2);
    case 0x0006: // extra space
        return Skip(4);
    case 0x000C: {
        int dh = 0, dv = 0;
        if (!_in.S16(dh) || !_in.S16(dv))
            return false;
        _canvas.MoveOrigin(dh, dv);
        return true;
    }
    case 0x0007:
        return _in.ReadPoint(_canvas.penWidth, _canvas.penHeight);
    case 0x0008: {
        uint16_t mode = 0;
        if (!_in.U16(mode))
            return false;
        _canvas.penMode = mode;
        return true;
    }
    case 0x0009:
        return ReadPattern(_canvas.penPattern);
    case 0x000A:
        return ReadPattern(_canvas.fillPattern);
    case 0x000B:
        return _in.ReadPoint(_canvas.ovalWidth, _canvas.ovalHeight);
    case 0x000D: {
        uint16_t size = 0;
        if (!_in.U16(size))
            return false;
        _canvas.textSize = SInt16(size);
        return true;
    }
    case 0x000E:
        return ClassicColorOp(_canvas.fore);
    case 0x000F:
        return ClassicColorOp(_canvas.back);
    case 0x0010: // text ratio
        return Skip(8);
    case 0x0011: // version again
        return Skip(_version2 ? 2 : 1);
    case 0x0012:
        return PixPatOp(_in, _canvas.backPattern, _canvas);
    case 0x0013:
        return PixPatOp(_in, _canvas.penPattern, _canvas);
    case 0x0014:
        return PixPatOp(_in, _canvas.fillPattern, _canvas);
    case 0x001A:
        return ReadColor(_canvas.fore);
    case 0x001B:
        return ReadColor(_canvas.back);
    case 0x001D: // hilite colour
    case 0x001F: // colour of arithmetic modes
        return Skip(6);
    case 0x0020: {
        int h = 0, v = 0, h2 = 0, v2 = 0;
        if (!_in.ReadPoint(h, v) || !_in.ReadPoint(h2, v2))
            return false;
        _canvas.penH = h;
        _canvas.penV = v;
        return LineTo(h2, v2);
    }
    case 0x0021: {
        int h = 0, v = 0;
        return _in.ReadPoint(h, v) && LineTo(h, v);
    }
    case 0x0022: {
        int h = 0, v = 0, dh = 0, dv = 0;
        if (!_in.ReadPoint(h, v) || !_in.S8(dh) || !_in.S8(dv))
            return false;
        _canvas.penH = h;
        _canvas.penV = v;
        return LineTo(h + dh, v + dv);
    }
    case 0x0023: {
        int dh = 0, dv = 0;
        return _in.S8(dh) && _in.S8(dv) && LineTo(_canvas.penH + dh, _canvas.penV + dv);
    }
    case 0x0028:
    case 0x0029:
    case 0x002A:
    case 0x002B:
        return TextOp(op);
    case 0x002C:
        return FontName();
    case 0x0090:
    case 0x0091:
    case 0x0098:
    case 0x0099:
    case 0x009A:
    case 0x009B:
        // The plain image that follows a compressed one is there for systems that cannot
        // decompress it.
        return BitsOp(_in, op, !_afterCompressed, _canvas);
    case 0x00A1: { // long comment
        uint16_t kind = 0;
        return _in.U16(kind) && SkipWordLength();
    }
    case 0x00FF:
        end = true;
        return true;
    case 0x8200: {
        bool drawn = false;
        if (!CompressedOp(_in, _canvas, drawn))
            return false;
        _afterCompressed = _afterCompressed || drawn;
        return true;
    }
    default:
        break;
    }
    if (op >= 0x0030 && op <= 0x006F)
        return RectShape(op);
    if (op >= 0x0070 && op <= 0x007F)
        return PolygonShape(op);
    if (op >= 0x0080 && op <= 0x008F)
        return RegionShape(op);
    // Reserved operations, passed over by the length each range has.
    if ((op >= 0x0024 && op <= 0x0027) || (op >= 0x002D && op <= 0x002F) ||
        (op >= 0x0092 && op <= 0x0097) || (op >= 0x009C && op <= 0x009F) ||
        (op >= 0x00A2 && op <= 0x00AF))
        return SkipWordLength();
    if ((op >= 0x00B0 && op <= 0x00CF) || (op >= 0x8000 && op <= 0x80FF))
        return true;
    if ((op >= 0x00D0 && op <= 0x00FE) || op >= 0x8100)
        return SkipLongLength();
    if (_version2 && op >= 0x0100 && op <= 0x7FFF)
        return Skip(std::size_t(op >> 8) * 2);
    return false;
}

} // namespace

bool DecodePicture(const uint8_t* bytes, std::size_t size, DecodedPicture& out) {
    Reader in(bytes, size);
    uint16_t declared = 0;
    Rect frame;
    uint8_t first = 0, second = 0;
    if (!in.U16(declared) || !in.ReadRect(frame) || !in.U8(first) || !in.U8(second))
        return false;
    bool version2 = false;
    if (first == 0x11 && second == 0x01) {
        version2 = false;
    } else if (first == 0x00 && second == 0x11) {
        uint16_t version = 0;
        if (!in.U16(version) || version != 0x02FF)
            return false;
        version2 = true;
    } else {
        return false;
    }
    const int width = Width(frame), height = Height(frame);
    if (width <= 0 || height <= 0 || std::size_t(width) * std::size_t(height) > kMaxPicturePixels)
        return false;
    DecodedPicture picture;
    picture.frame = frame;
    Decoder decoder(bytes, in, picture, version2);
    if (!decoder.Run())
        return false;
    out = std::move(picture);
    return true;
}

} // namespace tbx
