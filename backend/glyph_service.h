#pragma once
// Attach point of the hub (backend::Hub): filled by the glyph task (the font rasteriser behind the message windows).
// Until then the hub hands out null for it.

namespace backend {

class GlyphService {
public:
    virtual ~GlyphService() = default;
};

}  // namespace backend
