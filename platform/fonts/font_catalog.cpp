#include "platform/fonts/font_catalog.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include "platform/text_encoding.h"

namespace tbx::fonts {
namespace {

constexpr char kPreferredSystemFamily[] = "DejaVu Sans";
constexpr int kLastFamilyId = 0x7FFF;

struct FaceEntry {
    std::string path;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    int width = FC_WIDTH_NORMAL;
};

struct CatalogFamily {
    Family family;
    std::vector<FaceEntry> faces;
};

std::string ToMacRoman(const std::string& utf8) {
    std::u16string utf16;
    if (!text::Utf8ToUtf16(utf8, utf16))
        return std::string();
    std::string out;
    for (char32_t c : text::Utf16ToUtf32(utf16)) {
        if (out.size() == 255)
            break;
        int byte = text::UnicodeToMacRoman(c);
        out.push_back(byte < 0 ? '?' : char(byte));
    }
    return out;
}

bool SameMacName(const std::string& a, const unsigned char* b, std::size_t length) {
    if (a.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

int IntegerOr(FcPattern* pattern, const char* object, int fallback) {
    int value = 0;
    if (FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch)
        return value;
    double real = 0;
    if (FcPatternGetDouble(pattern, object, 0, &real) == FcResultMatch)
        return int(real);
    return fallback;
}

// The first family name of fontconfig's choice for a generic name, or empty.
std::string GenericFamily(FcConfig* config, const char* generic) {
    std::string result;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(generic));
    if (!pattern)
        return result;
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult ignored;
    FcPattern* match = FcFontMatch(config, pattern, &ignored);
    FcChar8* family = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
        result = reinterpret_cast<const char*>(family);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return result;
}

class Catalog {
public:
    Catalog() { Load(); }

    const CatalogFamily* Find(FMFontFamily id) const {
        if (id == systemFont)
            id = kSystemFamilyId;
        auto found = _byId.find(id);
        return found == _byId.end() ? nullptr : &_families[found->second];
    }

    const CatalogFamily* FindByMacName(const unsigned char* name, std::size_t length) const {
        for (const CatalogFamily& f : _families)
            if (SameMacName(f.family.macName, name, length))
                return &f;
        return nullptr;
    }

    const std::vector<CatalogFamily>& All() const { return _families; }

private:
    void Load() {
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (!config)
            return;
        std::map<std::string, std::vector<FaceEntry>> byName;
        FcPattern* pattern = FcPatternCreate();
        FcObjectSet* objects =
            FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH,
                             FC_SCALABLE, FC_VARIABLE, static_cast<char*>(nullptr));
        FcFontSet* set = pattern && objects ? FcFontList(config, pattern, objects) : nullptr;
        for (int i = 0; set && i < set->nfont; ++i) {
            FcPattern* font = set->fonts[i];
            FcChar8* family = nullptr;
            FcChar8* file = nullptr;
            FcBool scalable = FcFalse, variable = FcFalse;
            if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch ||
                FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
                continue;
            FcPatternGetBool(font, FC_SCALABLE, 0, &scalable);
            FcPatternGetBool(font, FC_VARIABLE, 0, &variable);
            // Outlines only; a variable font is listed again once per named instance.
            if (!scalable || variable)
                continue;
            FaceEntry face;
            face.path = reinterpret_cast<const char*>(file);
            face.index = IntegerOr(font, FC_INDEX, 0);
            face.weight = IntegerOr(font, FC_WEIGHT, FC_WEIGHT_REGULAR);
            face.slant = IntegerOr(font, FC_SLANT, FC_SLANT_ROMAN);
            face.width = IntegerOr(font, FC_WIDTH, FC_WIDTH_NORMAL);
            byName[reinterpret_cast<const char*>(family)].push_back(std::move(face));
        }
        std::string system;
        if (byName.count(kPreferredSystemFamily))
            system = kPreferredSystemFamily;
        else if (std::string sans = GenericFamily(config, "sans-serif"); byName.count(sans))
            system = sans;
        else if (!byName.empty())
            system = byName.begin()->first;
        if (set)
            FcFontSetDestroy(set);
        if (objects)
            FcObjectSetDestroy(objects);
        if (pattern)
            FcPatternDestroy(pattern);
        FcConfigDestroy(config);

        if (!system.empty())
            Add(kSystemFamilyId, system, std::move(byName[system]));
        int next = kSystemFamilyId + 1;
        for (auto& [name, faces] : byName) { // std::map: in order of the names
            if (name == system)
                continue;
            if (next > kLastFamilyId)
                break;
            Add(FMFontFamily(next++), name, std::move(faces));
        }
    }

    void Add(FMFontFamily id, const std::string& name, std::vector<FaceEntry> faces) {
        CatalogFamily entry;
        entry.family.id = id;
        entry.family.name = name;
        entry.family.macName = ToMacRoman(name);
        entry.faces = std::move(faces);
        // A fixed order, so that ties in the face choice fall the same way on every run.
        std::sort(entry.faces.begin(), entry.faces.end(),
                  [](const FaceEntry& a, const FaceEntry& b) {
                      return std::tie(a.path, a.index) < std::tie(b.path, b.index);
                  });
        _byId[id] = _families.size();
        _families.push_back(std::move(entry));
    }

    std::vector<CatalogFamily> _families;
    std::map<FMFontFamily, std::size_t> _byId;
};

const Catalog& TheCatalog() {
    static const Catalog catalog;
    return catalog;
}

// The first of the faces nearest to the bits asked for: normal width first, then the slant,
// then the weight; null when there is none. `traits` gives a face's fontconfig weight, slant
// and width. A family without a bold or italic face answers with its nearest other face.
template <typename Face, typename Traits>
const Face* Nearest(const std::vector<Face>& faces, Style wanted, Traits traits) {
    const bool wantItalic = wanted & italic;
    const int wantWeight = (wanted & bold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    auto score = [&](const Face& f) {
        const auto [weight, slant, width] = traits(f);
        int slantScore = wantItalic ? (slant == FC_SLANT_ITALIC    ? 0
                                       : slant == FC_SLANT_OBLIQUE ? 1
                                                                   : 2)
                                    : (slant == FC_SLANT_ROMAN ? 0 : 1);
        return std::make_tuple(std::abs(width - FC_WIDTH_NORMAL), slantScore,
                               std::abs(weight - wantWeight));
    };
    const Face* best = nullptr;
    for (const Face& f : faces)
        if (!best || score(f) < score(*best))
            best = &f;
    return best;
}

const FaceEntry* ChooseFace(const CatalogFamily& family, Style face) {
    return Nearest(family.faces, face,
                   [](const FaceEntry& f) { return std::make_tuple(f.weight, f.slant, f.width); });
}

// FreeType faces, opened on first use and kept; every use holds the lock.
class Engine {
public:
    ~Engine() {
        for (auto& [key, face] : _faces)
            if (face)
                FT_Done_Face(face);
        if (_library)
            FT_Done_FreeType(_library);
    }

    std::mutex& Lock() { return _mutex; }

    // Null when the family is unknown or its face cannot be read. Call with the lock held.
    FT_Face Open(FMFontFamily id, Style bits) {
        const CatalogFamily* family = TheCatalog().Find(id);
        if (!family)
            return nullptr;
        const FaceEntry* entry = ChooseFace(*family, bits & kFaceBits);
        if (!entry)
            return nullptr;
        auto key = std::make_pair(entry->path, entry->index);
        auto found = _faces.find(key);
        if (found != _faces.end())
            return found->second;
        FT_Face face = nullptr;
        if (!_library && FT_Init_FreeType(&_library) != 0)
            _library = nullptr;
        if (_library && FT_New_Face(_library, entry->path.c_str(), entry->index, &face) != 0)
            face = nullptr;
        if (face && FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && !face->charmap) {
            FT_Done_Face(face);
            face = nullptr;
        }
        // A face that cannot be read stays null so that it is not tried again.
        _faces[key] = face;
        return face;
    }

    FT_Face Sized(const FaceRequest& request) {
        if (request.width <= 0 || request.height <= 0 || request.width > kMaxEm ||
            request.height > kMaxEm)
            return nullptr;
        FT_Face face = Open(request.family, request.face);
        if (!face || !FT_IS_SCALABLE(face))
            return nullptr;
        if (FT_Set_Char_Size(face, FT_F26Dot6(request.width), FT_F26Dot6(request.height), 72, 72) !=
            0)
            return nullptr;
        return face;
    }

private:
    // Ems above 65535 pixels are refused rather than measured.
    static constexpr int64_t kMaxEm = int64_t(0xFFFF) << 6;

    std::mutex _mutex;
    FT_Library _library = nullptr;
    std::map<std::pair<std::string, int>, FT_Face> _faces;
};

Engine& TheEngine() {
    static Engine engine;
    return engine;
}

// Runs work on the face of the request at its size, under the engine's lock; false when the
// face cannot be had.
template <typename Work>
bool WithSizedFace(const FaceRequest& request, Work work) {
    Engine& engine = TheEngine();
    std::lock_guard<std::mutex> lock(engine.Lock());
    FT_Face face = engine.Sized(request);
    return face && work(face);
}

} // namespace

const Family* FindFamily(FMFontFamily id) {
    const CatalogFamily* family = TheCatalog().Find(id);
    return family ? &family->family : nullptr;
}

const Family* FindFamilyByMacName(const unsigned char* name, std::size_t length) {
    if (!name || length == 0)
        return nullptr;
    const CatalogFamily* family = TheCatalog().FindByMacName(name, length);
    return family ? &family->family : nullptr;
}

std::vector<Family> Families() {
    std::vector<Family> out;
    for (const CatalogFamily& f : TheCatalog().All())
        out.push_back(f.family);
    return out;
}

std::vector<Style> FamilyFaces(FMFontFamily id) {
    std::vector<Style> out;
    const CatalogFamily* family = TheCatalog().Find(id);
    if (!family)
        return out;
    const bool anyNormal =
        std::any_of(family->faces.begin(), family->faces.end(),
                    [](const FaceEntry& f) { return f.width == FC_WIDTH_NORMAL; });
    for (const FaceEntry& f : family->faces) {
        if (anyNormal && f.width != FC_WIDTH_NORMAL)
            continue;
        Style bits = normal;
        if (f.weight >= FC_WEIGHT_DEMIBOLD)
            bits |= bold;
        if (f.slant != FC_SLANT_ROMAN)
            bits |= italic;
        out.push_back(bits);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::optional<Style> NearestFace(const std::vector<Style>& faces, Style wanted) {
    const Style* best = Nearest(faces, wanted & kFaceBits, [](Style f) {
        return std::make_tuple((f & bold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR,
                               (f & italic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN, FC_WIDTH_NORMAL);
    });
    return best ? std::optional<Style>(*best) : std::nullopt;
}

bool MeasureLine(const FaceRequest& request, LineMetrics& out) {
    return WithSizedFace(request, [&](FT_Face face) {
        const FT_Size_Metrics& m = face->size->metrics;
        out.ascent = int64_t(m.ascender) << 10;
        out.descent = -int64_t(m.descender) << 10;
        // The font's own line gap, scaled: the rounded line height can fall below the rounded
        // ascent and descent, which would make a negative leading.
        FT_Long gap = face->height - (face->ascender - face->descender);
        out.leading = gap > 0 ? int64_t(FT_MulFix(gap, m.y_scale)) << 10 : 0;
        out.maxAdvance = int64_t(m.max_advance) << 10;
        return true;
    });
}

bool GlyphIndices(FMFontFamily family, Style face, const char32_t* chars, std::size_t count,
                  GlyphID* out) {
    if (count && (!chars || !out))
        return false;
    Engine& engine = TheEngine();
    std::lock_guard<std::mutex> lock(engine.Lock());
    FT_Face ftFace = engine.Open(family, face);
    if (!ftFace)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        FT_UInt glyph = FT_Get_Char_Index(ftFace, FT_ULong(chars[i]));
        out[i] = glyph > 0xFFFF ? 0 : GlyphID(glyph);
    }
    return true;
}

bool MeasureGlyphs(const FaceRequest& request, const GlyphID* glyphs, std::size_t count,
                   GlyphBox* out) {
    if (count && (!glyphs || !out))
        return false;
    return WithSizedFace(request, [&](FT_Face face) {
        for (std::size_t i = 0; i < count; ++i) {
            if (FT_Load_Glyph(face, glyphs[i], FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
                return false;
            FT_GlyphSlot slot = face->glyph;
            GlyphBox box;
            box.advance = slot->linearHoriAdvance;
            if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
                FT_BBox bounds;
                FT_Outline_Get_BBox(&slot->outline, &bounds);
                if (slot->outline.n_points > 0) {
                    box.xMin = int64_t(bounds.xMin) << 10;
                    box.yMin = int64_t(bounds.yMin) << 10;
                    box.xMax = int64_t(bounds.xMax) << 10;
                    box.yMax = int64_t(bounds.yMax) << 10;
                }
            } else {
                const FT_Glyph_Metrics& m = slot->metrics;
                box.xMin = int64_t(m.horiBearingX) << 10;
                box.xMax = int64_t(m.horiBearingX + m.width) << 10;
                box.yMax = int64_t(m.horiBearingY) << 10;
                box.yMin = int64_t(m.horiBearingY - m.height) << 10;
            }
            out[i] = box;
        }
        return true;
    });
}

bool RenderGlyphs(const FaceRequest& request, const GlyphID* glyphs, std::size_t count,
                  const std::function<void(int x, int y, uint8_t coverage)>& plot,
                  int64_t* advance) {
    if (count && !glyphs)
        return false;
    return WithSizedFace(request, [&](FT_Face face) {
        int64_t pen = 0; // 16.16
        for (std::size_t i = 0; i < count; ++i) {
            // The pen's fraction moves the outline, so that spacing follows the unhinted advances.
            FT_Vector shift{FT_Pos((pen & 0xFFFF) >> 10), 0};
            FT_Set_Transform(face, nullptr, &shift);
            const bool rendered =
                FT_Load_Glyph(face, glyphs[i], FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
                FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
            FT_Set_Transform(face, nullptr, nullptr);
            if (!rendered)
                return false;
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            const int left = int(pen >> 16) + slot->bitmap_left, top = -slot->bitmap_top;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned column = 0; column < bitmap.width; ++column) {
                    const uint8_t coverage =
                        bitmap.buffer[std::ptrdiff_t(row) * bitmap.pitch + std::ptrdiff_t(column)];
                    if (coverage)
                        plot(left + int(column), top + int(row), coverage);
                }
            pen += slot->linearHoriAdvance;
        }
        if (advance)
            *advance = pen;
        return true;
    });
}

bool FaceFile(FMFontFamily id, Style face, std::string& path, int& index) {
    const CatalogFamily* family = TheCatalog().Find(id);
    const FaceEntry* entry = family ? ChooseFace(*family, face & kFaceBits) : nullptr;
    if (!entry)
        return false;
    path = entry->path;
    index = entry->index;
    return true;
}

} // namespace tbx::fonts
