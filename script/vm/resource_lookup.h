#pragma once
// Finds the engine's resources by their bare names and loads them. Each kind is looked for, in
// a fixed order, as a loose file in the game folder, as an entry of a pack, and as a loose file
// in a subfolder ("snx\", "grp\", "snd\"); a message box tells when nothing was found.

#include <cstdint>
#include <functional>
#include <vector>

#include "base/string.h"

namespace kv {

class PackReader;
class Surface;

// A resource that a lookup found, handed to the decoder that turns it into a picture or a
// sound.
struct FoundResource {
    enum class Place : std::uint8_t { LooseFile, PackEntry };
    Place place = Place::LooseFile;
    String path;                 // the loose file, or the data file of the pack
    PackReader* pack = nullptr;  // the pack whose current entry this is (null for a loose file)
    std::uint32_t kind = 0;      // pack kind, loose files too: 2 BMP, 3 PNG, 4 WAV, 5 OGG
    std::int64_t offset = 0;     // of the first byte in path
    std::int64_t size = 0;
    // The whole resource, except for a sound that streams: the stream reads path from offset
    // on its own; for a packed WAV the pack's data file is open at the entry, and a stream
    // that keeps it takes it with PackReader::TakeData.
    std::vector<std::uint8_t> bytes;
};

// Turns a found resource into the object the caller asked for; true when it loaded. An empty
// decoder takes any resource that was found and read.
using ResourceDecoder = std::function<bool(FoundResource&)>;

// Loads "<name>.SNX" as the VM's code image (pc 0) and makes name the current script name.
// A failed load leaves the script name as it was.
bool LoadScriptFile(const String& name);
// Loads the variable image "NECEMEM.SNI" into the VM's banks.
bool LoadNecemem();

// Finds the picture ".PNG" before ".BMP": loose, then in the main and the second pack, then in
// "grp\". A loose picture that fails to decode ends the search; a pack entry that fails goes on
// to the next place. The surface loader wraps this with its PNG and BMP decoders.
bool LoadGraphic(const String& name, const ResourceDecoder& decode);
// The same, decoding the picture (PNG or BMP, as found) into the surface.
bool LoadGraphic(const String& name, Surface& surface);

// What a sound lookup needs to know of the channel it loads for.
struct SoundLoadTarget {
    std::int32_t packIndex = -1;  // the channel's reader in the script's pack array; -1: none
    bool streaming = false;       // the channel plays its sounds as streams
    PackReader* packs = nullptr;  // the script's pack reader array
    std::int32_t packCount = 0;
};

// Finds the sound ".OGG" before ".WAV": loose, then in the channel's pack (whose answer is
// final), then in "snd\". A packed Ogg file cannot stream and is refused with a message.
bool LoadSound(const String& name, const SoundLoadTarget& channel, const ResourceDecoder& decode);

// The window caption while a script runs: the caption text + the second caption text + the
// current script name + ".SNX=Line : " + line.
void SetScriptLineCaption(std::int32_t line);

}  // namespace kv
