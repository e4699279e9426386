#pragma once
// The script operations of saving, loading and the return to the title.

#include <cstdint>

namespace kv {

// 91: captures the thumbnail and the whole engine as the title data (replacing any earlier).
std::uint32_t TitleBackGetTitleData();
// 92, phase 0 (155): back to the game screen's objects, the fades cleared, every channel stopped.
std::uint32_t StopAllChannels();
// 92, phase 1 (156): the title data put back; the script goes on after its operation 91.
std::uint32_t TitleBackSetTitleData();
// 93 (title): the title that saves carry; an empty text keeps the old one.
std::uint32_t SetSNXTitle();
// 94 (width, height): the thumbnail size of the next capture and save.
std::uint32_t SetThumbnailSize();
// 95 (slot): writes the save file of the slot.
std::uint32_t Save();
// 117 (slot): a fresh capture first, then as 95.
std::uint32_t SaveWithNewThumbnail();
// 96, phase 0 (157): reads and checks the slot's file; only a sound file that fits the running
// game stops the sounds and leaves the right-click screen.
std::uint32_t Load();
// 96, phase 1 (158): the game put back and rebuilt; the interrupted operation runs next frame.
std::uint32_t LoadDataSet();

}  // namespace kv
