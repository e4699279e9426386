#pragma once
// Glyphs made from the character code by fixed rules, so that tests know every pixel without
// fonts, plus glyphs and refusals the test sets, and a log of what was asked for.
//
// With s the font height's magnitude (16 for height 0, at most 256), the glyph of code c is:
// - codes below 0x20 and above 0xFFFF (a sign-extended single byte counts as that byte): refused;
// - 0x20, 0x8140 and 0xA1A1 (the spaces): no ink, increment s / 2;
// - any other: black box (s / 2 + c % 3) x (s * 3 / 4), origin x = c % 2, origin y = box height
//   - s / 8, increment s for a double-byte code and s / 2 for a single byte; grey level of row r,
//   column k = (5r + 3k + c) % 65; one-bit pixel set when (r + k + c) % 3 == 0.

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "backend/glyph_service.h"

namespace backend {

struct GlyphQuery {
    FontRequest font;
    std::uint32_t code = 0;
    GlyphFormat format = GlyphFormat::Grey;
};

class HeadlessGlyphs final : public GlyphService {
public:
    // ---- what the test controls ----
    // The glyph of code from now on, in every font and format; bits are handed out as given.
    void SetGlyph(std::uint32_t code, const GlyphMetrics& metrics, std::vector<std::uint8_t> bits);
    void Refuse(std::uint32_t code) { refused_.insert(code); }
    const std::vector<GlyphQuery>& Queries() const { return queries_; }
    void ClearQueries() { queries_.clear(); }

    bool RenderGlyph(const FontRequest& font, std::uint32_t code, GlyphFormat format, GlyphMetrics& metrics,
                     std::vector<std::uint8_t>& bits) override;

private:
    struct SetGlyphBits {
        GlyphMetrics metrics;
        std::vector<std::uint8_t> bits;
    };
    std::map<std::uint32_t, SetGlyphBits> set_;
    std::set<std::uint32_t> refused_;
    std::vector<GlyphQuery> queries_;
};

}  // namespace backend
