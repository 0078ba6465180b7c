// The drawing state and pixels of a picture being decoded: colours, patterns, the pen, the
// text state, and a bound on the work a picture may ask for, so that a small file cannot keep
// the decoder busy painting the same pixels over and over.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pict/pict_decode.h"
#include "platform/pict/pict_shapes.h"

namespace tbx::pict {

using Pattern = std::array<uint8_t, 8>;

enum class Verb { Frame, Paint, Erase, Invert, Fill };

inline constexpr uint32_t kBlack = 0xFF000000u;
inline constexpr uint32_t kWhite = 0xFFFFFFFFu;

class Canvas {
public:
    // The frame filled with white.
    explicit Canvas(DecodedPicture& picture);

    // Takes `units` (about one a pixel or row visited) from the work allowed; false once a
    // picture has asked for more than many times its frame's area.
    bool Charge(uint64_t units);
    RowClip Clip(int margin = 0) const;
    const Rect& Frame() const { return _picture.frame; }

    // Shape verbs other than Frame, through the pen, fill or background pattern.
    bool Fill(const Spans& spans, Verb verb);
    // Puts an image's srcRect on dstRect (picture coordinates), nearest pixel.
    bool Put(const std::vector<uint32_t>& image, const Rect& bounds, const Rect& src,
             const Rect& dst);
    // Mac Roman text at (h, v) on the baseline, in the foreground colour.
    bool Text(int h, int v, const std::string& macRoman);

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
    std::vector<std::pair<SInt16, std::string>> fontNames; // id, Mac Roman name

private:
    void Apply(uint32_t& pixel, bool bit, int mode) const;

    DecodedPicture& _picture;
    uint64_t _budget;
};

} // namespace tbx::pict
