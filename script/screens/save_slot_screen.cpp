#include "script/screens/save_slot_screen.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

#include "app/globals/globals.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/app_env.h"
#include "base/memory_file.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "script/ops/screen_overlays.h"
#include "script/save/data_set_engine.h"
#include "script/save/save_file.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"

namespace kv {

namespace {

// A save file is a thumbnail and a snapshot of the game: anything larger is not one, and is not
// read into memory.
constexpr std::int64_t kMaxSaveFileSize = 64 * 1024 * 1024;

constexpr const char* kOpenFailure = "This game failed to open files in SetSaveInfoOne().";
constexpr const char* kThumbnailFailure = "This game failed to load thumbnails in SetSaveInfoOne().";
constexpr const char* kHeaderFailure = "This game failed to load infomations of save-header in SetSaveInfoOne().";

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

std::uint32_t ReadBe32(const std::uint8_t* in) {
    return (static_cast<std::uint32_t>(in[0]) << 24) | (static_cast<std::uint32_t>(in[1]) << 16) |
           (static_cast<std::uint32_t>(in[2]) << 8) | in[3];
}

// A thumbnail is the screen made smaller: one larger than the screen comes from no save and is
// refused before its rows are decoded.
bool ThumbnailSizeAllowed(std::span<const std::uint8_t> png) {
    // Signature (8), then the IHDR chunk: length, type, width, height (big-endian).
    if (png.size() < 24 || std::memcmp(png.data() + 12, "IHDR", 4) != 0) return false;
    const std::uint32_t width = ReadBe32(png.data() + 16);
    const std::uint32_t height = ReadBe32(png.data() + 20);
    const auto screenWidth = static_cast<std::uint32_t>(std::max(g_gameState.screenWidth, 800));
    const auto screenHeight = static_cast<std::uint32_t>(std::max(g_gameState.screenHeight, 600));
    return width >= 1 && height >= 1 && width <= screenWidth && height <= screenHeight;
}

// The window's rectangle in a slot: the window's own corner is the text's margin inside it.
PixelRect SlotTextRect(const SaveSlotInfo& slot, const PixelRect& window) {
    return {Clamp32(static_cast<std::int64_t>(slot.x) + window.x), Clamp32(static_cast<std::int64_t>(slot.y) + window.y),
            Clamp32(static_cast<std::int64_t>(slot.width) - window.x),
            Clamp32(static_cast<std::int64_t>(slot.height) - window.y)};
}

}  // namespace

std::string SlotText(std::int32_t layout, std::int32_t saveNumber, const String& title, const String& date) {
    const std::string number = "No:" + SaveNumberText(saveNumber);
    if (layout == 0) return number + " " + std::string(title.View()) + " " + std::string(date.View());
    if (layout == 1) return number + " " + std::string(date.View()) + "\x01" + std::string(title.View());
    return {};
}

void TintHighlight(Surface& target, const PixelRect& area) {
    if (target.IsEmpty() || target.BitsPerPixel() != 24) return;
    const std::int64_t left = std::max<std::int64_t>(area.x, 0);
    const std::int64_t top = std::max<std::int64_t>(area.y, 0);
    const std::int64_t right = std::min<std::int64_t>(static_cast<std::int64_t>(area.x) + area.width, target.Width());
    const std::int64_t bottom = std::min<std::int64_t>(static_cast<std::int64_t>(area.y) + area.height, target.Height());
    for (std::int64_t y = top; y < bottom; ++y) {
        std::uint8_t* pixel = target.PixelAt(static_cast<std::int32_t>(left), static_cast<std::int32_t>(y));
        for (std::int64_t x = left; x < right; ++x, pixel += 3) {
            pixel[0] = static_cast<std::uint8_t>(std::min(pixel[0] + 128, 255));
            pixel[1] = static_cast<std::uint8_t>(std::max(pixel[1] - 128, 0));
            pixel[2] = static_cast<std::uint8_t>(std::max(pixel[2] - 128, 0));
        }
    }
}

void DrawSaveSlotScreen(Surface& target) {
    if (g_saveInfo) g_saveInfo->DrawAll(target);
}

void SaveInfo::Create(std::int32_t count) {
    slots_.clear();
    slots_.resize(static_cast<std::size_t>(std::max(count, 0)));
}

void SaveInfo::Release() {
    textWindow = -1;
    slots_.clear();
    thumbnailMode = 0;
    textLayout = 0;
    pictureLayer = -1;
    hoverChannel = clickChannel = -1;
    hoverIndex = -1;
    saveMode = 0;
    hoverSound = String();
    clickSound = String();
}

SaveSlotInfo* SaveInfo::Slot(std::int32_t slot) {
    if (slot < 0 || slot >= SlotCount()) return nullptr;
    return &slots_[static_cast<std::size_t>(slot)];
}

const SaveSlotInfo* SaveInfo::Slot(std::int32_t slot) const { return const_cast<SaveInfo*>(this)->Slot(slot); }

bool SaveInfo::Acquire(std::int32_t slot) {
    if (slot != -1) return SetSaveInfoOne(slot);
    for (std::int32_t i = 0; i < SlotCount(); ++i) SetSaveInfoOne(i);
    return true;
}

void SaveInfo::MarkEmpty(SaveSlotInfo& slot) const {
    slot.thumbnail.reset();
    slot.title = String();
    slot.date = String(kEmptySlotDate);
    slot.selectable = saveMode;
}

void SaveInfo::ReportOnce(const String& fileName, const char* text) {
    if (reported_.insert(std::string(fileName.View())).second) MessageBoxOk(0, text, "error");
}

bool SaveInfo::SetSaveInfoOne(std::int32_t index) {
    SaveSlotInfo* slot = Slot(index);
    if (slot == nullptr || !slot->IsSaveSlot()) return true;
    const String fileName = SaveFileName(saveFolder, slot->saveNumber);
    backend::FileService& files = backend::Get().Files();
    // Until the file has read well, the slot shows as empty: whatever is wrong with it, the
    // screen goes on with the other slots.
    MarkEmpty(*slot);
    if (!files.IsRegularFile(fileName.View())) {
        reported_.erase(std::string(fileName.View()));
        return true;
    }
    std::vector<std::uint8_t> file;
    auto in = files.OpenFile(fileName.View(), backend::FileMode::Read);
    const std::int64_t size = in ? in->Size() : -1;
    if (!in || size < 0 || size > kMaxSaveFileSize || !backend::ReadExactly(*in, size, file)) {
        ReportOnce(fileName, kOpenFailure);
        return true;
    }
    in.reset();

    const std::optional<std::size_t> blobOffset = BlobOffset(file);
    std::unique_ptr<Surface> thumbnail;
    if (!blobOffset) {
        ReportOnce(fileName, kThumbnailFailure);
        return true;
    }
    if (*blobOffset > 0) {
        const std::span<const std::uint8_t> png(file.data(), *blobOffset);
        thumbnail = std::make_unique<Surface>();
        MemoryFile pngFile(png);
        if (!ThumbnailSizeAllowed(png) || !thumbnail->LoadPng(pngFile) || thumbnail->IsEmpty()) {
            ReportOnce(fileName, kThumbnailFailure);
            return true;
        }
    }
    // The whole save is checked as a load would check it, so that the screen offers only saves
    // that load.
    DataSetSnapshot snapshot;
    const String version = g_appEnv ? g_appEnv->GetSaveDataVersion() : String();
    if (ReadSaveFile(file, MakeVersionField(version), snapshot) != SaveFileCheck::Sound || !FitsRunningGame(snapshot)) {
        ReportOnce(fileName, kHeaderFailure);
        return true;
    }
    reported_.erase(std::string(fileName.View()));
    slot->thumbnail = std::move(thumbnail);
    slot->title = String(snapshot.header.title.c_str());
    slot->date = String(snapshot.header.date.c_str());
    slot->selectable = 1;
    return true;
}

void SaveInfo::DrawAll(Surface& target) const {
    for (const SaveSlotInfo& slot : slots_) {
        if (slot.IsSaveSlot()) {
            DrawSaveSlot(target, slot, kAtRest, thumbnailMode != 0);
        } else {
            DrawPlainButton(target, slot, slot.selectable ? kAtRest : kDisabled);
        }
    }
}

void SaveInfo::DrawSlot(Surface& target, std::int32_t index, std::int32_t state, bool showThumbnail) const {
    const SaveSlotInfo* slot = Slot(index);
    if (slot == nullptr) return;
    if (slot->IsSaveSlot()) {
        DrawSaveSlot(target, *slot, state, showThumbnail);
    } else {
        DrawPlainButton(target, *slot, state);
    }
}

void SaveInfo::DrawPlainButton(Surface& target, const SaveSlotInfo& slot, std::int32_t state) const {
    if (imageLayers_ == nullptr) return;
    const std::int32_t sourceX = Clamp32(slot.sourceX + static_cast<std::int64_t>(state) * slot.width);
    DrawLayerPicture(target, *imageLayers_, pictureLayer, slot.Rect(), sourceX, slot.sourceY);
}

void SaveInfo::DrawSaveSlot(Surface& target, const SaveSlotInfo& slot, std::int32_t state, bool showThumbnail) const {
    if (state == kHighlighted) TintHighlight(target, slot.Rect());
    if (slot.thumbnail && showThumbnail && (thumbnailMode == 0 || thumbnailMode == 1)) {
        const std::int64_t x = thumbnailMode == 0 ? thumbnailX : static_cast<std::int64_t>(slot.x) + thumbnailX;
        const std::int64_t y = thumbnailMode == 0 ? thumbnailY : static_cast<std::int64_t>(slot.y) + thumbnailY;
        target.Blit(*slot.thumbnail, Clamp32(x), Clamp32(y), slot.thumbnail->Width(), slot.thumbnail->Height(), 0, 0);
    }
    DrawSlotText(target, slot);
}

void SaveInfo::DrawSlotText(Surface& target, const SaveSlotInfo& slot) const {
    const MessageWindow* window = MessageWindowAt(textWindow);
    const std::string text = SlotText(textLayout, slot.saveNumber, slot.title, slot.date);
    if (window == nullptr || text.empty()) return;
    // A copy of the window lays the text out: the window itself, which may hold a page of the
    // game, is left as it is.
    MessageWindow scratch;
    scratch.CopyFrom(*window);
    scratch.screen = &target;
    scratch.windowRect = scratch.textRect = SlotTextRect(slot, window->windowRect);
    scratch.BuildSurfaces();
    scratch.NewPage();
    if (!scratch.PutText(text)) return;
    // The text ends where the slot's page is full: what does not fit is not shown.
    for (;;) {
        const std::int32_t result = scratch.Step();
        if (result == message_code::kTextEnd || result == message_code::kPageBreak) break;
        if (result == message_code::kLineBreak && scratch.NewLine() != 0) break;
    }
}

bool SaveInfo::Selectable(std::int32_t index) const {
    const SaveSlotInfo* slot = Slot(index);
    return slot != nullptr && slot->selectable != 0;
}

bool SaveInfo::Hit(std::int32_t index, std::int32_t x, std::int32_t y) const {
    const SaveSlotInfo* slot = Slot(index);
    if (slot == nullptr) return false;
    return slot->x <= x && x <= static_cast<std::int64_t>(slot->x) + slot->width && slot->y <= y &&
           y <= static_cast<std::int64_t>(slot->y) + slot->height;
}

void SaveInfo::ShowHighlight(std::int32_t index, bool highlighted) {
    const SaveSlotInfo* slot = Slot(index);
    if (slot == nullptr || g_screenSurface == nullptr || g_workSurface3 == nullptr) return;
    Surface& screen = *g_screenSurface;
    screen.BlitRect(*g_workSurface3, slot->Rect());
    if (!highlighted && slot->IsSaveSlot() && slot->thumbnail && thumbnailMode == 0 && g_workSurface1) {
        screen.BlitRect(*g_workSurface1,
                        {thumbnailX, thumbnailY, slot->thumbnail->Width(), slot->thumbnail->Height()});
    }
    // A slot that shows its own thumbnail keeps it when the highlight leaves.
    DrawSlot(screen, index, highlighted ? kHighlighted : kAtRest, highlighted || thumbnailMode != 0);
    if (g_mainWindow) screen.BlitToDC(g_mainWindow->Handle(), 0, 0, screen.Width(), screen.Height());
}

}  // namespace kv
