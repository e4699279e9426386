#include "backend/fonts/freetype_glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

#include "backend/fonts/font_catalog.h"
#include "backend/fonts/font_size.h"

namespace backend {

namespace {

// Kept glyphs beyond these counts are dropped all at once: a game's text uses a few thousand
// characters in a handful of fonts.
constexpr std::size_t kMaxKeptGlyphs = 16384;
constexpr std::size_t kMaxKeptFonts = 64;

// A logical font is bold from this weight up.
constexpr std::int32_t kBoldWeight = 600;

// A face opened from its file, with a size object for each pixel size asked for.
struct OpenFace {
    FontFile file;
    FT_Face face = nullptr;
    std::int32_t cellUnits = 0;  // ascent plus descent in font units
    std::map<std::int32_t, FT_Size> sizes;
};

// One face at one size as a logical font draws from it.
struct GlyphSource {
    OpenFace* face = nullptr;
    FT_Size size = nullptr;
    bool embolden = false;
    bool oblique = false;
};

struct KeptGlyph {
    bool drawn = false;  // false: no face could draw the character
    const OpenFace* face = nullptr;
    GlyphMetrics metrics;
    std::vector<std::uint8_t> bits;
};

// A logical font resolved to the faces it draws from, in the order they are tried.
struct ResolvedFont {
    std::vector<GlyphSource> sources;
    std::unordered_map<std::uint64_t, KeptGlyph> glyphs;  // by code and format
};

struct FontRequestHash {
    std::size_t operator()(const FontRequest& request) const {
        std::size_t hash = std::hash<std::string>()(request.faceName);
        hash = hash * 31 + static_cast<std::size_t>(request.height);
        hash = hash * 31 + static_cast<std::size_t>(request.weight);
        return hash * 2 + (request.italic ? 1 : 0);
    }
};

std::int32_t CellUnits(FT_Face face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return static_cast<std::int32_t>(os2->usWinAscent) + os2->usWinDescent;
    return face->ascender - face->descender;
}

// Row r of a FreeType bitmap, whichever way its rows run.
const unsigned char* BitmapRow(const FT_Bitmap& bitmap, unsigned row) {
    if (bitmap.pitch >= 0) return bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
    return bitmap.buffer + static_cast<std::ptrdiff_t>(bitmap.rows - 1 - row) * -bitmap.pitch;
}

// FreeType's 256 grey levels become 65 (0 stays 0, 255 becomes 64), or its one-bit rows are
// copied; rows are padded to 4 bytes.
bool CopyBitmap(const FT_Bitmap& bitmap, GlyphFormat format, std::vector<std::uint8_t>& bits) {
    const std::uint32_t pitch = GlyphRowPitch(format, bitmap.width);
    bits.assign(static_cast<std::size_t>(pitch) * bitmap.rows, 0);
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const unsigned char* from = BitmapRow(bitmap, r);
        std::uint8_t* to = bits.data() + static_cast<std::size_t>(r) * pitch;
        if (format == GlyphFormat::Mono) {
            if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
            std::memcpy(to, from, (bitmap.width + 7) / 8);
        } else {
            if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.num_grays != 256) return false;
            for (unsigned k = 0; k < bitmap.width; ++k)
                to[k] = static_cast<std::uint8_t>((from[k] * kGlyphFullLevel + 127) / 255);
        }
    }
    return true;
}

}  // namespace

const char* FallbackFamily(CodePage page) { return page == CodePage::Gbk ? "WenQuanYi Micro Hei" : "VL Gothic"; }
const char* FallbackLanguage(CodePage page) { return page == CodePage::Gbk ? "zh-cn" : "ja"; }

struct FreetypeGlyphs::State {
    CodePage page;
    CodePointDecoder decoder;
    FT_Library library = nullptr;
    FontCatalog catalog;
    std::map<std::pair<std::string, std::int32_t>, OpenFace> faces;  // by file and face index
    std::unordered_map<FontRequest, ResolvedFont, FontRequestHash> fonts;
    std::size_t keptGlyphs = 0;
    // The font of the last call: the engine draws many characters in a row in one font.
    FontRequest lastRequest;
    ResolvedFont* lastFont = nullptr;
    std::string lastFile;

    explicit State(CodePage codePage) : page(codePage), decoder(codePage) {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~State() {
        fonts.clear();
        for (auto& entry : faces)
            if (entry.second.face) FT_Done_Face(entry.second.face);  // frees its sizes too
        if (library) FT_Done_FreeType(library);
    }

    OpenFace* Open(const FontFile& file) {
        const auto key = std::make_pair(file.path, file.index);
        auto found = faces.find(key);
        if (found != faces.end()) return found->second.face ? &found->second : nullptr;
        OpenFace& open = faces[key];  // a face that fails to open is remembered as such
        open.file = file;
        FT_Face face = nullptr;
        if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) return nullptr;
        if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0 || CellUnits(face) <= 0) {
            FT_Done_Face(face);
            return nullptr;
        }
        open.face = face;
        open.cellUnits = CellUnits(face);
        return &open;
    }

    std::optional<GlyphSource> SourceFor(const FontFile& file, const FontRequest& request) {
        OpenFace* open = Open(file);
        if (!open) return std::nullopt;
        const std::optional<std::int32_t> pixels = PixelsPerEm(request.height, open->face->units_per_EM, open->cellUnits);
        if (!pixels) return std::nullopt;
        FT_Size& size = open->sizes[*pixels];
        if (!size) {
            if (FT_New_Size(open->face, &size) != 0 || FT_Activate_Size(size) != 0 ||
                FT_Set_Pixel_Sizes(open->face, 0, static_cast<FT_UInt>(*pixels)) != 0) {
                if (size) FT_Done_Size(size);
                open->sizes.erase(*pixels);
                return std::nullopt;
            }
        }
        GlyphSource source;
        source.face = open;
        source.size = size;
        source.embolden = request.weight >= kBoldWeight && !file.bold;
        source.oblique = request.italic && !file.italic;
        return source;
    }

    // Faces are looked up in their regular weight and made bold from their outlines: the
    // Tahoma-metric bold face Debian ships has the regular face's outlines, and the fallback
    // faces have no bold at all, so this keeps one line's bold alike. A family whose faces are
    // all bold gives a bold face, which is not made bolder.
    static FontStyle Style(const FontRequest& request) { return FontStyle{400, request.italic}; }

    void AddSource(ResolvedFont& font, const FontFile& file, const FontRequest& request) {
        for (const GlyphSource& source : font.sources)
            if (source.face->file.path == file.path && source.face->file.index == file.index) return;
        if (std::optional<GlyphSource> source = SourceFor(file, request)) font.sources.push_back(*source);
    }

    ResolvedFont& Resolve(const FontRequest& request) {
        if (lastFont && request == lastRequest) return *lastFont;
        auto found = fonts.find(request);
        if (found == fonts.end()) {
            if (fonts.size() >= kMaxKeptFonts) {
                fonts.clear();
                lastFont = nullptr;
                keptGlyphs = 0;
            }
            found = fonts.emplace(request, ResolvedFont{}).first;
            std::string face;
            if (!request.faceName.empty() && ToUtf8(page, request.faceName, face)) {
                if (auto file = catalog.FindFamily(face, Style(request))) AddSource(found->second, *file, request);
            }
            for (const char* family : {kLatinFamily, FallbackFamily(page)}) {
                if (auto file = catalog.FindFamily(family, Style(request))) AddSource(found->second, *file, request);
            }
        }
        lastRequest = request;
        lastFont = &found->second;
        return found->second;
    }

    // The first face of the font that holds the character, else any installed face that does
    // (which then joins the font's faces).
    const GlyphSource* SourceHolding(ResolvedFont& font, const FontRequest& request, char32_t character,
                                     FT_UInt& glyphIndex) {
        for (const GlyphSource& source : font.sources) {
            glyphIndex = FT_Get_Char_Index(source.face->face, character);
            if (glyphIndex != 0) return &source;
        }
        const std::optional<FontFile> file =
            catalog.FindForCharacter(character, kLatinFamily, FallbackLanguage(page), Style(request));
        if (!file) return nullptr;
        const std::size_t before = font.sources.size();
        AddSource(font, *file, request);
        if (font.sources.size() == before) return nullptr;
        glyphIndex = FT_Get_Char_Index(font.sources.back().face->face, character);
        return glyphIndex != 0 ? &font.sources.back() : nullptr;
    }

    static bool Render(const GlyphSource& source, FT_UInt glyphIndex, GlyphFormat format, KeptGlyph& glyph) {
        FT_Face face = source.face->face;
        if (FT_Activate_Size(source.size) != 0) return false;
        const FT_Int32 target = format == GlyphFormat::Mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
        if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_BITMAP | target) != 0) return false;
        if (source.oblique) FT_GlyphSlot_Oblique(face->glyph);
        if (source.embolden) FT_GlyphSlot_Embolden(face->glyph);
        const FT_Render_Mode mode = format == GlyphFormat::Mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
        if (FT_Render_Glyph(face->glyph, mode) != 0) return false;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.width > static_cast<unsigned>(4 * kMaxFontPixels) ||
            bitmap.rows > static_cast<unsigned>(4 * kMaxFontPixels))
            return false;
        glyph.metrics.incrementX = static_cast<std::int32_t>((slot->advance.x + 32) >> 6);
        glyph.metrics.incrementY = static_cast<std::int32_t>((slot->advance.y + 32) >> 6);
        glyph.metrics.originX = slot->bitmap_left;
        glyph.metrics.originY = slot->bitmap_top;
        glyph.metrics.blackBoxWidth = bitmap.width;
        glyph.metrics.blackBoxHeight = bitmap.rows;
        if (!CopyBitmap(bitmap, format, glyph.bits)) return false;
        // A space may still have an outline, rendered as a box of blank pixels: no ink is an
        // empty box without a bitmap.
        if (std::all_of(glyph.bits.begin(), glyph.bits.end(), [](std::uint8_t b) { return b == 0; })) {
            glyph.metrics.blackBoxWidth = 0;
            glyph.metrics.blackBoxHeight = 0;
            glyph.bits.clear();
        }
        return true;
    }

    const KeptGlyph& Glyph(const FontRequest& request, std::uint32_t code, GlyphFormat format) {
        ResolvedFont& font = Resolve(request);
        const std::uint64_t key = (static_cast<std::uint64_t>(code) << 1) | (format == GlyphFormat::Mono ? 1 : 0);
        auto found = font.glyphs.find(key);
        if (found != font.glyphs.end()) return found->second;
        if (keptGlyphs >= kMaxKeptGlyphs) {
            for (auto& entry : fonts) entry.second.glyphs.clear();
            keptGlyphs = 0;
        }
        KeptGlyph glyph;
        char32_t character = 0;
        FT_UInt glyphIndex = 0;
        if (decoder.Decode(code, character)) {
            if (const GlyphSource* source = SourceHolding(font, request, character, glyphIndex)) {
                glyph.drawn = Render(*source, glyphIndex, format, glyph);
                glyph.face = source->face;
            }
        }
        ++keptGlyphs;
        return font.glyphs.emplace(key, std::move(glyph)).first->second;
    }
};

FreetypeGlyphs::FreetypeGlyphs(CodePage page) : page_(page) {}

FreetypeGlyphs::~FreetypeGlyphs() = default;

bool FreetypeGlyphs::RenderGlyph(const FontRequest& font, std::uint32_t code, GlyphFormat format,
                                 GlyphMetrics& metrics, std::vector<std::uint8_t>& bits) {
    // The fonts are looked for when the first glyph is asked for: a program that draws no text
    // never reads them.
    if (!state_) state_ = std::make_unique<State>(page_);
    if (!state_->library) return false;
    // A single byte that reached here sign-extended is that byte.
    if (code >= 0xFFFFFF80u) code &= 0xFF;
    const KeptGlyph& glyph = state_->Glyph(font, code, format);
    if (!glyph.drawn) return false;
    metrics = glyph.metrics;
    bits.assign(glyph.bits.begin(), glyph.bits.end());
    state_->lastFile = glyph.face->file.path;
    return true;
}

const std::string& FreetypeGlyphs::LastFontFile() const {
    static const std::string none;
    return state_ ? state_->lastFile : none;
}

}  // namespace backend
