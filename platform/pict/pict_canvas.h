// The drawing state and pixels of a picture being decoded: colours, patterns, the pen, the
// text state, the clip region and origin, and a bound on the work a picture may ask for, so
// that a small file cannot keep the decoder busy painting the same pixels over and over.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/fonts/font_types.h"
#include "platform/pict/pict_decode.h"
#include "platform/pict/pict_shapes.h"

namespace tbx::pict {

using Pattern = std::array<uint8_t, 8>;

enum class Verb { Frame, Paint, Erase, Invert, Fill };

inline constexpr uint32_t kBlack = 0xFF000000u;
inline constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Where an image goes: its point (x, y) to (a x + c y + h, b x + d y + v) of the picture.
struct Placement {
    double a = 1, b = 0, c = 0, d = 1, h = 0, v = 0;
};

// Shapes, positions and images are given in the picture's current coordinates, which the
// origin operation moves against the frame's; drawing is cut to the frame and the clip region.
class Canvas {
public:
    // The frame filled with white.
    explicit Canvas(DecodedPicture& picture);

    // Takes `units` (about one a pixel or row visited) from the work allowed; false once a
    // picture has asked for more than many times its frame's area.
    bool Charge(uint64_t units);
    // The same for decoding compressed images, which may also draw on an allowance of their own
    // whatever the frame's size: a photograph placed small is decoded whole first.
    bool ChargeImage(uint64_t units);
    uint64_t UnspentForImages() const { return _budget + _images; }
    const Rect& Frame() const { return _picture.frame; }
    // The rows and columns that drawing can reach, widened by dh columns and dv rows each side.
    RowClip Clip(int dh = 0, int dv = 0) const;
    // The frame's rows and columns, whatever the clip region.
    RowClip Unclipped() const;
    // Drawing is cut to these pixels (within the rows of Unclipped()) from now on.
    void SetClip(const Spans& region);
    // The coordinates that follow lie dh, dv further on; the pen and the text position keep
    // their place on the frame.
    void MoveOrigin(int dh, int dv);

    // Shape verbs other than Frame, through the pen, fill or background pattern.
    bool Fill(const Spans& spans, Verb verb);
    // Puts the srcRect part of an image (whose pixels cover `bounds`) where `place` takes it,
    // nearest pixel.
    bool Put(const std::vector<uint32_t>& image, const Rect& bounds, const Rect& src,
             const Placement& place);
    // Mac Roman text at (h, v) on the baseline, in the foreground colour.
    bool Text(int h, int v, const std::string& macRoman);
    // A font number's name, looked up in the font catalogue once, here; false once the lookups
    // have taken the work allowed.
    bool NameFont(SInt16 id, const std::string& macRoman);

    uint32_t fore = kBlack, back = kWhite;
    Pattern penPattern{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    Pattern fillPattern = penPattern;
    Pattern backPattern{};
    int penWidth = 1, penHeight = 1, penMode = 8; // patCopy
    int penH = 0, penV = 0;
    int ovalWidth = 0, ovalHeight = 0;
    SInt16 textFont = 0, textSize = 0;
    Style textFace = normal;
    int textH = 0, textV = 0;

private:
    void Apply(uint32_t& pixel, bool bit, int mode) const;
    // Whether the frame's pixel (x, y) may be drawn.
    bool Visible(int x, int y) const;
    // Calls draw(from, to) for each run of the columns of row y (frame coordinates) between x0
    // and x1 that may be drawn.
    template <class Draw>
    void ForVisible(int y, int x0, int x1, Draw&& draw) const;
    uint32_t& Pixel(int x, int y) {
        const Rect& f = _picture.frame;
        return _picture.pixels[std::size_t(y - f.top) * std::size_t(f.right - f.left) +
                               std::size_t(x - f.left)];
    }

    DecodedPicture& _picture;
    uint64_t _budget;
    uint64_t _images;
    int _originH = 0, _originV = 0;
    RowClip _box;               // the frame cut to the clip region's extent, frame coordinates
    std::optional<Spans> _clip; // the clip region in frame coordinates; none: the whole frame
    std::map<SInt16, FMFontFamily> _fonts; // families found for the names given
};

} // namespace tbx::pict
