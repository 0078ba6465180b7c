// CBK_Font: one font (family, size in points, style bits) and its metrics: ascent, descent,
// leading and height, per-character widths and bearings, and the same values scaled to a
// 1024-unit em for SWF font records. It measures on a private port on which its family, size
// and style are always selected.
#pragma once

#include <cstdint>

#include "platform/quickdraw/qd_types.h"

class CBK_Font {
public:
    // Seven words; only the size (first) and the style bits (fifth) are used, the others are
    // written as 0.
    struct FONTDATA {
        int32_t nSize;
        int32_t nReserved1;
        int32_t nReserved2;
        int32_t nReserved3;
        int32_t nStyle;
        int32_t nReserved5;
        int32_t nReserved6;
    };

    // The system font at 12 points, style 0.
    CBK_Font();
    // A copy measures on a port of its own.
    CBK_Font(const CBK_Font& other);
    ~CBK_Font();

    // Size and style from the data, then the family of that name. False when no family has
    // the name; the size and style are taken even then.
    bool Create(const wchar_t* name, const FONTDATA& data);
    void GetFontData(FONTDATA& data) const;

    // False, changing nothing, when no installed family has the name (or it is longer than
    // 255 characters).
    bool SetName(const wchar_t* name);
    const wchar_t* GetName() const { return _name; }

    // Takes the system's name for the family (empty for a family the system lacks).
    void SetMacFontId(int32_t family);
    int32_t GetMacFontId() const { return _family; }
    void SetSize(int32_t size);
    int32_t GetSize() const { return _size; }
    void SetMacFontStyle(uint16_t style);
    uint16_t GetMacFontStyle() const { return _style; }

    bool IsBold() const { return _style & tbx::bold; }
    void SetBold(bool bold);
    bool IsItalic() const { return _style & tbx::italic; }
    void SetItalic(bool italic);
    // The names of the set style bits in bit order, one space apart, or "Regular"; at most
    // size - 1 characters and the terminator. Nothing is written for a size below 1.
    void GetStyleString(wchar_t* buffer, int32_t size) const;

    // Selects family, size and style on the port; true.
    bool Update();

    CBK_Font& operator=(const CBK_Font& other);
    // Copies what differs; true when anything changed.
    bool Copy(const CBK_Font& other);
    // Same family and style; the size is not compared.
    bool operator==(const CBK_Font& other) const;
    // Same family, size and style.
    bool Compare(const CBK_Font& other) const;

    // Whole pixels; 0 when the font cannot be measured.
    int32_t GetAscent() const;
    int32_t GetDescent() const;
    int32_t GetLeading() const;
    int32_t GetHeight() const;
    // Scaled to an em of 1024 by the height; 0 when the height is 0.
    int32_t GetTTAscent() const;
    int32_t GetTTDescent() const;
    int32_t GetTTLeading() const;
    int32_t GetTTHeight() const;

    // Each character is measured by its own glyph. Bearings are 0 and the width -1 when the
    // character cannot be measured.
    int32_t GetCharLeftBearing(wchar_t c) const;
    int32_t GetCharRightBearing(wchar_t c) const;
    int32_t GetCharWidth(wchar_t c) const;
    // Width and both bearings; -1 when the character cannot be measured.
    int32_t GetCharTotalWidth(wchar_t c) const;
    int32_t GetCharAdvanceWidth(wchar_t c) const;
    // Scaled to an em of 1024 by the size; 0 for a size of 0 or a character that cannot be
    // measured.
    int32_t GetTTCharTotalWidth(wchar_t c) const;
    int32_t GetTTCharAdvanceWidth(wchar_t c) const;

private:
    struct CharMetrics;

    void _CreatePort();
    void _TakeSystemName();
    bool _FontMetrics(int64_t& ascent, int64_t& descent, int64_t& leading) const;
    bool _MeasureChar(wchar_t c, CharMetrics& metrics) const;
    bool _IdealAdvance(wchar_t c, double& advance, double& left, double& right) const;

    tbx::CGrafPtr _port = nullptr;
    int32_t _size = 12;
    int32_t _family = 0;
    wchar_t _name[256] = {};
    uint16_t _style = 0;
};
