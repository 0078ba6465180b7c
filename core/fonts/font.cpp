#include "core/fonts/font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>

#include "core/fonts/font_name.h"
#include "core/strings/string_functions.h"
#include "platform/fonts/atsui.h"
#include "platform/fonts/font_manager.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/text_state.h"
#include "platform/text_encoding.h"

namespace {

// Makes the font's port current for the life of the object.
class PortScope {
public:
    explicit PortScope(tbx::CGrafPtr port) {
        tbx::GetGWorld(&_saved, &_device);
        _ok = port && tbx::SetGWorld(port, nullptr) == tbx::noErr;
    }
    ~PortScope() { tbx::SetGWorld(_saved, _device); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;
    bool Ok() const { return _ok; }

private:
    tbx::CGrafPtr _saved = nullptr;
    tbx::GDHandle _device = nullptr;
    bool _ok = false;
};

// Disposes of the ATSUI objects of one measurement however it ends.
struct AtsuiObjects {
    tbx::ATSUStyle style = nullptr;
    tbx::ATSUTextLayout layout = nullptr;
    ~AtsuiObjects() {
        if (layout)
            tbx::ATSUDisposeTextLayout(layout);
        if (style)
            tbx::ATSUDisposeStyle(style);
    }
};

// Whole pixels from 16.16 fixed point.
int32_t Round(int64_t fixed) {
    return int32_t((fixed + 0x8000) >> 16);
}

// value × 1024 / divisor; a divisor of 0 has no scaled value.
int32_t ScaleToEm(int64_t value, int64_t divisor) {
    return divisor == 0 ? 0 : int32_t(value * 1024 / divisor);
}

// Family ids are 16 bits; anything wider names no family rather than another one.
tbx::FMFontFamily ToFamily(int32_t family) {
    return family >= INT16_MIN && family <= INT16_MAX ? tbx::FMFontFamily(family)
                                                      : tbx::kInvalidFontFamily;
}

tbx::SInt16 ToTextSize(int32_t size) {
    return tbx::SInt16(std::clamp<int32_t>(size, INT16_MIN, INT16_MAX));
}

constexpr const wchar_t* kStyleNames[] = {L"Bold",   L"Italic",   L"Underline", L"Outline",
                                          L"Shadow", L"Condense", L"Extend"};

} // namespace

// Advance and left bearing in 16.16 pixels, width of the glyph's bounds in whole pixels.
struct CBK_Font::CharMetrics {
    int64_t advance = 0;
    int64_t leftBearing = 0;
    int32_t width = 0;
};

CBK_Font::CBK_Font() {
    _family = tbx::GetSysFont();
    _TakeSystemName();
    _CreatePort();
    Update();
}

CBK_Font::CBK_Font(const CBK_Font& other)
    : _size(other._size), _family(other._family), _style(other._style) {
    std::wmemcpy(_name, other._name, 256);
    _CreatePort();
    Update();
}

CBK_Font::~CBK_Font() {
    if (_port)
        tbx::DisposePort(_port);
}

void CBK_Font::_CreatePort() {
    tbx::CGrafPtr saved = nullptr;
    tbx::GDHandle device = nullptr;
    tbx::GetGWorld(&saved, &device);
    _port = tbx::CreateNewPort();
    tbx::SetGWorld(saved, device);
    tbx::SetOutlinePreferred(true);
    tbx::SetPreserveGlyph(true);
}

void CBK_Font::_TakeSystemName() {
    const tbx::FMFontFamily family = ToFamily(_family);
    tbx::Str255 name = {0};
    if (tbx::FMGetFontFamilyName(family, name) != tbx::noErr)
        tbx::GetFontName(family, name);
    tbx::TextEncoding encoding = tbx::kTextEncodingMacRoman;
    tbx::FMGetFontFamilyTextEncoding(family, &encoding);
    BK_DecodeMacFontName(name, encoding);
    BK_CopyPascalStringToC(name, _name);
}

bool CBK_Font::Create(const wchar_t* name, const FONTDATA& data) {
    _size = data.nSize;
    _style = uint16_t(data.nStyle);
    Update();
    return SetName(name);
}

void CBK_Font::GetFontData(FONTDATA& data) const {
    data = FONTDATA{};
    data.nSize = _size;
    data.nStyle = _style;
}

bool CBK_Font::SetName(const wchar_t* name) {
    if (!name || std::wcslen(name) > 255)
        return false;
    tbx::Str255 pascal;
    BK_CopyCStringToPascal(name, pascal);
    tbx::SInt16 family = 0;
    tbx::GetFNum(pascal, &family);
    if (family == 0) {
        const tbx::FMFontFamily found = tbx::FMGetFontFamilyFromName(pascal);
        family = found == tbx::kInvalidFontFamily ? 0 : found;
    }
    if (family == 0)
        return false;
    std::wcscpy(_name, name);
    _family = family;
    Update();
    return true;
}

void CBK_Font::SetMacFontId(int32_t family) {
    _family = family;
    Update();
    _TakeSystemName();
}

void CBK_Font::SetSize(int32_t size) {
    _size = size;
    Update();
}

void CBK_Font::SetMacFontStyle(uint16_t style) {
    _style = style;
    Update();
}

void CBK_Font::SetBold(bool bold) {
    _style = bold ? uint16_t(_style | tbx::bold) : uint16_t(_style & ~tbx::bold);
    Update();
}

void CBK_Font::SetItalic(bool italic) {
    _style = italic ? uint16_t(_style | tbx::italic) : uint16_t(_style & ~tbx::italic);
    Update();
}

void CBK_Font::GetStyleString(wchar_t* buffer, int32_t size) const {
    if (!buffer || size < 1)
        return;
    std::wstring text;
    for (std::size_t bit = 0; bit < std::size(kStyleNames); ++bit) {
        if (!(_style & (1u << bit)))
            continue;
        if (!text.empty())
            text += L' ';
        text += kStyleNames[bit];
    }
    if (text.empty())
        text = L"Regular";
    const std::size_t length = std::min(text.size(), std::size_t(size - 1));
    std::wmemcpy(buffer, text.data(), length);
    buffer[length] = 0;
}

bool CBK_Font::Update() {
    PortScope scope(_port);
    if (!scope.Ok())
        return false;
    tbx::TextFont(ToFamily(_family));
    tbx::TextSize(ToTextSize(_size));
    tbx::TextFace(tbx::StyleParameter(_style));
    return true;
}

CBK_Font& CBK_Font::operator=(const CBK_Font& other) {
    if (this == &other)
        return *this;
    _family = other._family;
    _size = other._size;
    _style = other._style;
    std::wmemcpy(_name, other._name, 256);
    Update();
    return *this;
}

bool CBK_Font::Copy(const CBK_Font& other) {
    bool changed = false;
    if (_family != other._family) {
        _family = other._family;
        std::wmemcpy(_name, other._name, 256);
        changed = true;
    }
    if (_size != other._size) {
        _size = other._size;
        changed = true;
    }
    if (_style != other._style) {
        _style = other._style;
        changed = true;
    }
    Update();
    return changed;
}

bool CBK_Font::operator==(const CBK_Font& other) const {
    return _family == other._family && _style == other._style;
}

bool CBK_Font::Compare(const CBK_Font& other) const {
    return _family == other._family && _size == other._size && _style == other._style;
}

bool CBK_Font::_FontMetrics(int64_t& ascent, int64_t& descent, int64_t& leading) const {
    PortScope scope(_port);
    tbx::FMetricRec metrics;
    if (!scope.Ok() || tbx::FontMetrics(&metrics) != tbx::noErr)
        return false;
    ascent = metrics.ascent;
    descent = metrics.descent;
    leading = metrics.leading;
    return true;
}

int32_t CBK_Font::GetAscent() const {
    int64_t ascent = 0, descent = 0, leading = 0;
    return _FontMetrics(ascent, descent, leading) ? Round(ascent) : 0;
}

int32_t CBK_Font::GetDescent() const {
    int64_t ascent = 0, descent = 0, leading = 0;
    return _FontMetrics(ascent, descent, leading) ? Round(descent) : 0;
}

int32_t CBK_Font::GetLeading() const {
    int64_t ascent = 0, descent = 0, leading = 0;
    return _FontMetrics(ascent, descent, leading) ? Round(leading) : 0;
}

int32_t CBK_Font::GetHeight() const {
    int64_t ascent = 0, descent = 0, leading = 0;
    return _FontMetrics(ascent, descent, leading) ? Round(ascent + descent) : 0;
}

int32_t CBK_Font::GetTTAscent() const {
    return ScaleToEm(GetAscent(), GetHeight());
}

int32_t CBK_Font::GetTTDescent() const {
    return ScaleToEm(GetDescent(), GetHeight());
}

int32_t CBK_Font::GetTTLeading() const {
    return ScaleToEm(GetLeading(), GetHeight());
}

int32_t CBK_Font::GetTTHeight() const {
    return ScaleToEm(int64_t(GetAscent()) + GetDescent(), GetHeight());
}

// A character that Mac Roman has is measured by its byte on the port; any other by its own
// glyph through ATSUI, so that text beyond Mac Roman is not measured as some other glyph.
bool CBK_Font::_MeasureChar(wchar_t c, CharMetrics& metrics) const {
    const int byte = tbx::text::UnicodeToMacRoman(static_cast<char32_t>(c));
    if (byte >= 0) {
        PortScope scope(_port);
        const unsigned char text = static_cast<unsigned char>(byte);
        const tbx::Point unity{1, 1};
        tbx::Fixed advance = 0, leftBearing = 0;
        tbx::Rect bounds;
        if (!scope.Ok() || tbx::OutlineMetrics(1, &text, unity, unity, nullptr, nullptr, &advance,
                                               &leftBearing, &bounds) != tbx::noErr)
            return false;
        metrics.advance = advance;
        metrics.leftBearing = leftBearing;
        metrics.width = bounds.right - bounds.left;
        return true;
    }
    double advance = 0, left = 0, right = 0;
    if (!_IdealAdvance(c, advance, left, right))
        return false;
    metrics.advance = std::llround(advance * 65536.0);
    metrics.leftBearing = std::llround(left * 65536.0);
    // The outline's edges rounded outwards, as the port's bounds are.
    metrics.width = int32_t(std::ceil(advance - right) - std::floor(left));
    return true;
}

int32_t CBK_Font::GetCharLeftBearing(wchar_t c) const {
    CharMetrics metrics;
    return _MeasureChar(c, metrics) ? Round(metrics.leftBearing) : 0;
}

int32_t CBK_Font::GetCharRightBearing(wchar_t c) const {
    CharMetrics metrics;
    if (!_MeasureChar(c, metrics))
        return 0;
    return Round(metrics.advance) - Round(metrics.leftBearing) - metrics.width;
}

int32_t CBK_Font::GetCharWidth(wchar_t c) const {
    tbx::SetOutlinePreferred(true);
    CharMetrics metrics;
    return _MeasureChar(c, metrics) ? metrics.width : -1;
}

int32_t CBK_Font::GetCharTotalWidth(wchar_t c) const {
    const int32_t width = GetCharWidth(c);
    if (width < 0)
        return -1;
    return width + GetCharLeftBearing(c) + GetCharRightBearing(c);
}

int32_t CBK_Font::GetTTCharTotalWidth(wchar_t c) const {
    const int32_t total = GetCharTotalWidth(c);
    return total < 0 ? 0 : ScaleToEm(total, _size);
}

int32_t CBK_Font::GetCharAdvanceWidth(wchar_t c) const {
    const int32_t width = GetCharWidth(c);
    if (width >= 0)
        return width + GetCharLeftBearing(c) + GetCharRightBearing(c);
    double advance = 0, left = 0, right = 0;
    return _IdealAdvance(c, advance, left, right) ? int32_t(advance) : 0;
}

int32_t CBK_Font::GetTTCharAdvanceWidth(wchar_t c) const {
    return ScaleToEm(GetCharAdvanceWidth(c), _size);
}

// The glyph's ideal metrics in points: an ATSUI style of the family, size and face bits, a
// layout over the character, its glyph and the glyph's metrics.
bool CBK_Font::_IdealAdvance(wchar_t c, double& advance, double& left, double& right) const {
    tbx::ATSUFontID font = tbx::kATSUInvalidFontID;
    AtsuiObjects objects;
    if (tbx::ATSUFONDtoFontID(ToFamily(_family), tbx::FMFontStyle(_style & 255), &font) !=
            tbx::noErr ||
        tbx::ATSUCreateStyle(&objects.style) != tbx::noErr)
        return false;

    tbx::Fixed size = tbx::Long2Fix(std::clamp<int32_t>(_size, 0, INT16_MAX));
    tbx::Boolean flags[5] = {
        tbx::Boolean((_style & tbx::bold) != 0), tbx::Boolean((_style & tbx::italic) != 0),
        tbx::Boolean((_style & tbx::underline) != 0), tbx::Boolean((_style & tbx::condense) != 0),
        tbx::Boolean((_style & tbx::extend) != 0)};
    const tbx::ATSUAttributeTag tags[] = {tbx::kATSUFontTag,        tbx::kATSUSizeTag,
                                          tbx::kATSUQDBoldfaceTag,  tbx::kATSUQDItalicTag,
                                          tbx::kATSUQDUnderlineTag, tbx::kATSUQDCondensedTag,
                                          tbx::kATSUQDExtendedTag};
    const tbx::ByteCount sizes[] = {sizeof font, sizeof size, 1, 1, 1, 1, 1};
    const tbx::ATSUAttributeValuePtr values[] = {&font,     &size,     &flags[0], &flags[1],
                                                 &flags[2], &flags[3], &flags[4]};
    if (tbx::ATSUSetAttributes(objects.style, 7, tags, sizes, values) != tbx::noErr)
        return false;

    // One character, which takes two UTF-16 units beyond the Basic Multilingual Plane.
    std::u16string text;
    tbx::text::AppendUtf16(text, static_cast<char32_t>(c));
    tbx::UniCharCount runLength = text.size();
    if (tbx::ATSUCreateTextLayoutWithTextPtr(text.data(), 0, text.size(), text.size(), 1,
                                             &runLength, &objects.style,
                                             &objects.layout) != tbx::noErr)
        return false;
    tbx::ATSUGlyphInfoArray glyphs;
    tbx::ByteCount bytes = sizeof glyphs;
    if (tbx::ATSUGetGlyphInfo(objects.layout, 0, text.size(), &bytes, &glyphs) != tbx::noErr ||
        glyphs.numGlyphs < 1)
        return false;
    tbx::ATSGlyphIdealMetrics metrics;
    if (tbx::ATSUGlyphGetIdealMetrics(objects.style, 1, &glyphs.glyphs[0].glyphID, 0, &metrics) !=
        tbx::noErr)
        return false;
    advance = metrics.advance.x;
    left = metrics.sideBearing.x;
    right = metrics.otherSideBearing.x;
    return true;
}
