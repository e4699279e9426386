#pragma once
// The compositor of one screen. Script operations edit the working layers (pictures and
// masks); a commit composes them into the compose surface and copies them into the shown
// layers, which then describe the scene on screen, so that the scene can be drawn again later
// (after the backlog, a load, the right-click screen). A screen effect then takes the target
// from the previous picture to the composed one, one step per tick of the effect timer.
//
// The set owns its layers but not its surfaces: the target (what the window shows), the compose
// surface and the previous surface (the picture before an effect) are given to it. Layers are
// reached by index whenever they are drawn, so a script operation may free any of them at any
// time. Every drawing is confined to the clip rectangle and to the surfaces.

#include <array>
#include <cstdint>
#include <vector>

#include "graphics/layer_entry.h"
#include "graphics/placement.h"
#include "graphics/surface.h"
#include "platform/interval_timer.h"

namespace kv {

enum class LayerBank : std::uint8_t { Picture = 0, Mask = 1 };

// The screen transitions.
enum EffectKind : std::int32_t {
    kEffectNone = -1,
    kEffectCrossFade = 0,
    kEffectMaskWipe = 1,
    kEffectColumnBlinds = 2,
    kEffectRowBlinds = 3,
    kEffectColumnCascade = 4,
    kEffectRowCascade = 5,
};

// What the running (or last) effect is and where it stands.
struct EffectState {
    static constexpr int kStripCount = 40;
    std::int32_t kind = kEffectNone;
    std::int32_t step = 0;       // the value drawn next
    std::int32_t end = 0;        // the last value drawn
    std::int32_t maskLayer = 0;  // mask-bank index of the mask wipe
    std::int32_t increment = 1;  // added to step after each drawing
    std::array<std::int32_t, kStripCount> strips{};  // progress of each strip of the cascades
};

// A brightness offset of a whole scene: applied when mode is 0 (-1 means none).
struct SceneBrightness {
    std::int32_t mode = -1;
    std::int32_t delta = -1;
};

class LayerSet {
public:
    LayerSet();
    ~LayerSet();
    LayerSet(const LayerSet&) = delete;
    LayerSet& operator=(const LayerSet&) = delete;

    // ---- banks ----
    // Frees both banks, forgets the surfaces and sets the effect kind and both brightness pairs
    // back to none. The set needs SetSurfaces again before it draws.
    void FreeBanks();
    // Makes count fresh entries (empty picture, no mask, invisible, plain, empty source rectangle)
    // in the working and the shown array of the bank. A bank that already has entries is left as
    // it is (free it first for a new size). A negative count is refused (false); 0 leaves the bank
    // empty.
    bool AllocBank(std::int32_t count, LayerBank bank);
    // Frees one bank's two arrays with their pictures.
    void FreeBank(LayerBank bank);
    std::int32_t LayerCount() const { return static_cast<std::int32_t>(pictures_.working.size()); }
    std::int32_t MaskLayerCount() const { return static_cast<std::int32_t>(masks_.working.size()); }
    // The working or the shown entry of a picture or mask layer; null outside 0 to count - 1.
    LayerEntry* GetLayer(std::int32_t index) { return Entry(pictures_.working, index); }
    LayerEntry* GetMaskLayer(std::int32_t index) { return Entry(masks_.working, index); }
    LayerEntry* GetShownLayer(std::int32_t index) { return Entry(pictures_.shown, index); }
    LayerEntry* GetShownMaskLayer(std::int32_t index) { return Entry(masks_.shown, index); }

    // ---- surfaces and clipping ----
    // The clip rectangle becomes the whole compose surface.
    void SetSurfaces(Surface* target, Surface* compose, Surface* previous);
    Surface* Target() const { return target_; }
    Surface* Compose() const { return compose_; }
    Surface* Previous() const { return previous_; }
    void SetClipRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    // As set; every drawing uses its part that lies on the surfaces.
    const PixelRect& ClipRect() const { return clip_; }

    // ---- composing (layer 0 ends on top) ----
    // The working scene into the compose surface, with the brightness the previous commit took
    // over; then the working layers become the shown ones (their pictures stay with the working
    // entries) and the shown-scene brightness becomes the composed-scene brightness.
    void ComposeAndCommit();
    // The shown scene into the compose surface, with the shown-scene brightness.
    void ComposeShown();
    // The shown scene without its hidden-on-view layers straight into the target.
    void ComposeShownToTarget();
    // Fills the draw rectangle of a layer clipped to the clip rectangle; false when nothing of it
    // is left.
    bool ClipLayer(std::int32_t index, bool shown);
    const Placement& LastDrawRect() const { return draw_; }
    // Draws a layer of draw mode 0 or 1 into destination with the draw rectangle.
    void DrawLayerEffect(std::int32_t index, bool shown, Surface& destination);

    // ---- brightness ----
    void SetShownBrightness(std::int32_t mode, std::int32_t delta) { shownBrightness_ = {mode, delta}; }
    const SceneBrightness& ShownBrightness() const { return shownBrightness_; }
    const SceneBrightness& ComposedBrightness() const { return composedBrightness_; }
    void SetComposedBrightness(const SceneBrightness& brightness) { composedBrightness_ = brightness; }

    // ---- screen effects ----
    // Chooses the effect for the next steps: kind, step 0, strips cleared. A kind outside 0 to 5
    // is refused (false) and nothing changes.
    bool SelectGraphicEffect(std::int32_t kind);
    // The end and increment of the selected kind for a step count (the cross-fade and the mask
    // wipe; the strip effects have fixed ones), and the mask layer of the mask wipe. Every
    // increment is at least 1, so every effect ends.
    void SetEffectSteps(std::int32_t stepCount, std::int32_t maskLayer);
    // Draws the current step into the target; true when it was the last one.
    bool StepEffect();
    IntervalTimer& EffectTimer() { return effectTimer_; }
    EffectState& Effect() { return effect_; }
    const EffectState& Effect() const { return effect_; }

private:
    struct Bank {
        std::vector<LayerEntry> working;
        std::vector<LayerEntry> shown;
    };
    enum class Strips : std::uint8_t { Columns, Rows };

    static LayerEntry* Entry(std::vector<LayerEntry>& entries, std::int32_t index);
    Bank& BankOf(LayerBank bank) { return bank == LayerBank::Picture ? pictures_ : masks_; }
    // The clip rectangle within every surface the set draws on.
    PixelRect DrawableClip() const;
    void ComposeInto(Surface& destination, bool shown, bool skipHiddenOnView);
    void DrawEntry(std::int32_t index, bool shown, Surface& destination);
    // The picture of a layer and the mask of a mask index as a pass sees them: the shown entry's
    // own surface when it has one, else the working entry's; null when there is none or the
    // index is outside its bank.
    const Surface* PictureOf(std::int32_t index, bool shown) const;
    const Surface* MaskOf(std::int32_t maskIndex, bool shown) const;
    void ApplyBrightness(Surface& destination, std::int32_t delta);
    void Commit();

    // Draws the effect at the value step into the target; false for no effect.
    bool DrawEffect(std::int32_t step, const PixelRect& clip);
    void DrawCrossFade(std::int32_t step, const PixelRect& clip);
    void DrawMaskWipe(std::int32_t step, const PixelRect& clip);
    void DrawBlinds(std::int32_t step, const PixelRect& clip, Strips strips);
    void DrawCascade(std::int32_t step, const PixelRect& clip, Strips strips);
    // Copies one column or row of the compose surface, within the clip, into the previous surface.
    void Reveal(Strips strips, std::int32_t position, const PixelRect& clip);

    Bank pictures_;
    Bank masks_;
    IntervalTimer effectTimer_;
    PixelRect clip_;
    Surface* target_ = nullptr;
    Surface* compose_ = nullptr;
    Surface* previous_ = nullptr;
    Placement draw_;  // where ClipLayer put the entry being drawn
    EffectState effect_;
    SceneBrightness shownBrightness_;
    SceneBrightness composedBrightness_;
};

}  // namespace kv
