// FreeType's own numbers for a font file, and fontconfig's own choice of file, for checking
// the font stand-ins against. Header only: suites that include it link FreeType.
#pragma once

#include <cstdint>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include "tests/support/tools.h"

namespace stravel::testing {

// A font file opened with FreeType directly, measured without hinting.
class FreeTypeFace {
public:
    FreeTypeFace(const std::string& path, int index) {
        if (FT_Init_FreeType(&_library) != 0) {
            _library = nullptr;
            return;
        }
        if (FT_New_Face(_library, path.c_str(), index, &_face) != 0)
            _face = nullptr;
        else
            FT_Select_Charmap(_face, FT_ENCODING_UNICODE);
    }
    ~FreeTypeFace() {
        if (_face)
            FT_Done_Face(_face);
        if (_library)
            FT_Done_FreeType(_library);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    bool Ok() const { return _face != nullptr; }

    // Points as 26.6 at 72 dots per inch, so that a point is a pixel.
    bool SetSize(long width26_6, long height26_6) {
        return _face && FT_Set_Char_Size(_face, width26_6, height26_6, 72, 72) == 0;
    }
    bool SetPoints(long points) { return SetSize(points * 64, points * 64); }
    const FT_Size_Metrics& SizeMetrics() const { return _face->size->metrics; }

    struct Glyph {
        unsigned index = 0;
        long linearAdvance = 0; // 16.16
        FT_BBox bounds{};       // 26.6; all zero for a glyph without contours
    };
    bool Measure(char32_t c, Glyph& out) const {
        out = Glyph{};
        out.index = FT_Get_Char_Index(_face, c);
        if (FT_Load_Glyph(_face, out.index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            return false;
        out.linearAdvance = _face->glyph->linearHoriAdvance;
        if (_face->glyph->outline.n_points > 0)
            FT_Outline_Get_BBox(&_face->glyph->outline, &out.bounds);
        return true;
    }

private:
    FT_Library _library = nullptr;
    FT_Face _face = nullptr;
};

// Whole pixels of a 16.16 value, rounded half up.
inline int32_t RoundFixed(long fixed) {
    return int32_t((fixed + 0x8000) >> 16);
}

// fc-match's file and face index for a pattern; false when it gives none.
inline bool FontconfigMatch(const std::string& pattern, std::string& file, int& index) {
    ToolResult result = RunTool({"fc-match", "--format=%{file}\n%{index}", pattern});
    if (result.exitCode != 0)
        return false;
    const std::size_t newline = result.out.find('\n');
    if (newline == std::string::npos || newline == 0)
        return false;
    file = result.out.substr(0, newline);
    index = std::stoi(result.out.substr(newline + 1));
    return true;
}

} // namespace stravel::testing
