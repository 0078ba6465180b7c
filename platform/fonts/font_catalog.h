// The installed font families (from fontconfig) under 16-bit family ids, and glyph
// measurement (with FreeType) for the Font Manager and ATSUI stand-ins.
//
// The catalogue is read once, on first use. Ids are stable for a given set of installed
// fonts: the system family (DejaVu Sans where installed, else fontconfig's sans-serif
// choice) is always 1024, and the other families follow in order of their names. Only
// scalable fonts count. With no font installed the catalogue is empty and every lookup and
// measurement fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/fonts/font_types.h"

namespace tbx::fonts {

inline constexpr FMFontFamily kSystemFamilyId = 1024;

// Face bits that choose a face of a family; the other style bits change no metrics.
inline constexpr Style kFaceBits = bold | italic;

struct Family {
    FMFontFamily id = kInvalidFontFamily;
    std::string name;    // UTF-8, as fontconfig gives it
    std::string macName; // Mac Roman, at most 255 bytes; '?' for what Mac Roman lacks
};

// The family of an id (systemFont names the system family); null when there is none.
const Family* FindFamily(FMFontFamily id);
// The family whose Mac Roman name equals `name`, ignoring ASCII case; null when none.
const Family* FindFamilyByMacName(const unsigned char* name, std::size_t length);
// Every family, in id order.
std::vector<Family> Families();
// The face bits (bold, italic) that the family's normal-width faces have, each once and in
// increasing order; every face counts when none is of normal width. Empty for an unknown id.
std::vector<Style> FamilyFaces(FMFontFamily id);
// Of faces given by their face bits (as FamilyFaces lists them), the one that a request for
// `wanted` draws with: the nearest, chosen as a family's font file is; none when empty.
std::optional<Style> NearestFace(const std::vector<Style>& faces, Style wanted);

// Line metrics in 16.16 pixels; ascent and descent are both positive.
struct LineMetrics {
    int64_t ascent = 0;
    int64_t descent = 0;
    int64_t leading = 0;
    int64_t maxAdvance = 0;
};

// Unhinted glyph metrics in 16.16 pixels, y growing upward from the baseline.
struct GlyphBox {
    int64_t advance = 0;
    int64_t xMin = 0;
    int64_t yMin = 0;
    int64_t xMax = 0;
    int64_t yMax = 0;
};

// A size request: family, face bits and the em in 26.6 pixels wide and high.
struct FaceRequest {
    FMFontFamily family = systemFont;
    Style face = normal;
    int64_t width = 0;
    int64_t height = 0;
};

// False when the family is unknown, the size is not positive or the face cannot be read.
bool MeasureLine(const FaceRequest& request, LineMetrics& out);
// The glyph of each character (0 where the face has none).
bool GlyphIndices(FMFontFamily family, Style face, const char32_t* chars, std::size_t count,
                  GlyphID* out);
bool MeasureGlyphs(const FaceRequest& request, const GlyphID* glyphs, std::size_t count,
                   GlyphBox* out);

// Renders the glyphs side by side, unhinted and anti-aliased, from a pen at (0, 0) on the
// baseline (y growing downward), calling plot for each pixel with some coverage (1 to 255).
// The pen advance in 16.16 pixels goes to *advance when given.
bool RenderGlyphs(const FaceRequest& request, const GlyphID* glyphs, std::size_t count,
                  const std::function<void(int x, int y, uint8_t coverage)>& plot,
                  int64_t* advance);

// The font file and face index behind a family and face bits, for tests; false when none.
bool FaceFile(FMFontFamily family, Style face, std::string& path, int& index);

} // namespace tbx::fonts
