#pragma once
// The save and load slot screen: selections that are either save slots (a save file's
// thumbnail, number, title and date) or plain buttons drawn from a three-state picture strip.
// Operation 97 describes it, the redraws draw it over the scene, operation 99 runs it as a
// selection list, operation 100 redefines one selection and operation 98 releases it. One
// object lives for the whole program (g_saveInfo).
//
// The text window, the picture layer and the sound channels are kept as indexes and looked up
// at each use: scripts may remake or free any of them while the screen stands.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/string.h"
#include "graphics/surface.h"
#include "script/screens/selection_run.h"

namespace kv {

class LayerSet;

// The date shown for a slot without a save.
inline constexpr const char* kEmptySlotDate = "  --/-- --:--";

struct SaveSlotInfo {
    std::int32_t x = 0, y = 0;
    std::int32_t sourceX = 0, sourceY = 0;  // a plain button's state-0 picture
    std::int32_t width = 0, height = 0;
    std::unique_ptr<Surface> thumbnail;  // null: none
    String title;
    String date;
    std::int32_t saveNumber = -1;  // -1: a plain button
    std::uint8_t selectable = 0;

    bool IsSaveSlot() const { return saveNumber >= 0; }
    PixelRect Rect() const { return {x, y, width, height}; }
};

class SaveInfo final : public SelectionList {
public:
    // Drawing states of a selection (the plain buttons' strip frames).
    static constexpr std::int32_t kDisabled = 0;
    static constexpr std::int32_t kAtRest = 1;
    static constexpr std::int32_t kHighlighted = 2;

    // count fresh records in place of the old ones.
    void Create(std::int32_t count);
    // No records, no window, layer or channels, nothing highlighted, load mode.
    void Release();
    // slot -1: every slot in index order; else that one. A file that cannot be shown is
    // reported (once until it reads well again) and its slot counts as empty, so this always
    // succeeds.
    bool Acquire(std::int32_t slot);
    // One slot's save file: its thumbnail, title and date, or the empty slot.
    bool SetSaveInfoOne(std::int32_t slot);

    void DrawAll(Surface& target) const;
    void DrawSlot(Surface& target, std::int32_t slot, std::int32_t state, bool showThumbnail) const;

    // The pictures of plain buttons come from the picture layer of this layer set.
    void BindImage(LayerSet* const* layers) { imageLayers_ = layers; }

    std::int32_t SlotCount() const { return static_cast<std::int32_t>(slots_.size()); }
    SaveSlotInfo* Slot(std::int32_t slot);  // null outside the records
    const SaveSlotInfo* Slot(std::int32_t slot) const;

    // ---- the selection run of operation 99 ----
    std::int32_t Count() const override { return SlotCount(); }
    bool Selectable(std::int32_t index) const override;
    bool Hit(std::int32_t index, std::int32_t x, std::int32_t y) const override;
    std::int32_t& HoverIndex() override { return hoverIndex; }
    void ShowHighlight(std::int32_t index, bool highlighted) override;
    std::int32_t HoverChannel() const override { return hoverChannel; }
    std::int32_t ClickChannel() const override { return clickChannel; }

    String saveFolder;
    std::int32_t textWindow = -1;
    std::int32_t thumbnailMode = 0;  // 0: one preview place for the slot under the pointer; 1: each slot its own
    std::int32_t textLayout = 0;     // 0: one line; 1: two lines; other: no text
    std::int32_t thumbnailX = 0, thumbnailY = 0;
    std::int32_t pictureLayer = -1;
    std::int32_t hoverChannel = -1;
    std::int32_t clickChannel = -1;
    String hoverSound;
    String clickSound;
    std::uint8_t saveMode = 0;  // 1: slots without a save may be chosen (saving)
    std::int32_t hoverIndex = -1;

private:
    void MarkEmpty(SaveSlotInfo& slot) const;
    // The box for a file that cannot be shown, unless it was shown for this file already.
    void ReportOnce(const String& fileName, const char* text);
    void DrawPlainButton(Surface& target, const SaveSlotInfo& slot, std::int32_t state) const;
    void DrawSaveSlot(Surface& target, const SaveSlotInfo& slot, std::int32_t state, bool showThumbnail) const;
    void DrawSlotText(Surface& target, const SaveSlotInfo& slot) const;

    std::vector<SaveSlotInfo> slots_;
    LayerSet* const* imageLayers_ = nullptr;
    std::set<std::string> reported_;
};

// The slot's text for the layout: "No:NN title date" (0), "No:NN date", a line break, then the
// title (1); empty for any other layout.
std::string SlotText(std::int32_t layout, std::int32_t saveNumber, const String& title, const String& date);
// Blue + 128 (at most 255), green and red - 128 (at least 0), over the part of the area inside
// the 24-bit target.
void TintHighlight(Surface& target, const PixelRect& area);

// The redraws' entry: the screen drawn onto work surface 1.
void DrawSaveSlotScreen(Surface& target);

}  // namespace kv
