#include "script/vm/resource_lookup.h"

#include <cstring>
#include <memory>
#include <string>

#include "app/globals/globals.h"
#include "base/app_env.h"
#include "base/memory_file.h"
#include "base/message_box.h"
#include "base/text_utils.h"
#include "graphics/surface.h"
#include "pack/pack_entry.h"
#include "pack/pack_reader.h"
#include "platform/game_window.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "backend/window_service.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

// Anything read whole into memory is refused above this: no script, picture or sound of a game
// comes near it, and a damaged size must not make us allocate gigabytes.
constexpr std::int64_t kMaxResourceBytes = 256 * 1024 * 1024;

String GameFolder() {
    return g_appEnv ? g_appEnv->GetModuleDir() : String();
}

bool MainPackValid() {
    return g_mainPack != nullptr && g_mainPack->IsValid();
}

void ShowNotFound(const String& text) {
    MessageBoxOk(0, text.View(), "error");
}

// Reads size bytes from the file's current position.
bool ReadBytes(backend::FileHandle& file, std::int64_t size, std::vector<std::uint8_t>& bytes) {
    if (size <= 0 || size > kMaxResourceBytes) return false;
    return backend::ReadExactly(file, size, bytes);
}

// A loose file: its size must be above 0.
bool ReadLooseFile(const String& path, std::vector<std::uint8_t>& bytes) {
    auto file = backend::Get().Files().OpenFile(path.View(), backend::FileMode::Read);
    return file && ReadBytes(*file, file->Size(), bytes);
}

// A whole pack entry (scripts and the variable image come out unscrambled).
bool ReadPackEntry(PackReader& pack, std::vector<std::uint8_t>& bytes) {
    const std::int32_t size = pack.GetEntrySize();
    if (size <= 0 || size > kMaxResourceBytes) return false;
    bytes.resize(static_cast<std::size_t>(size));
    return pack.ReadEntry(bytes.data(), bytes.size());
}

FoundResource LooseResource(const String& path, std::uint32_t kind) {
    FoundResource found;
    found.place = FoundResource::Place::LooseFile;
    found.path = path;
    found.kind = kind;
    return found;
}

FoundResource PackResource(PackReader& pack) {
    const PackEntry* entry = pack.CurrentEntry();
    FoundResource found;
    found.place = FoundResource::Place::PackEntry;
    found.path = pack.DataPath();
    found.pack = &pack;
    found.kind = entry->kind;
    found.offset = entry->offset;
    found.size = entry->size;
    return found;
}

bool Decode(const ResourceDecoder& decode, FoundResource& found) {
    return decode ? decode(found) : true;
}

// Reads a loose file whole and decodes it.
bool LoadLoose(const String& path, std::uint32_t kind, const ResourceDecoder& decode) {
    FoundResource found = LooseResource(path, kind);
    if (!ReadLooseFile(path, found.bytes)) return false;
    found.size = static_cast<std::int64_t>(found.bytes.size());
    return Decode(decode, found);
}

struct Extension {
    const char* text;
    std::uint32_t kind;
};
constexpr Extension kPictureExtensions[] = {{".PNG", pack_kind::kPng}, {".BMP", pack_kind::kBmp}};
constexpr Extension kSoundExtensions[] = {{".OGG", pack_kind::kOgg}, {".WAV", pack_kind::kWav}};

// The first of the two extensions under which folder + name exists; null for neither.
const Extension* FirstExisting(const String& base, const Extension (&extensions)[2], String& path) {
    for (const Extension& extension : extensions) {
        path = base.ConcatChars(extension.text);
        if (FileExists(path.View())) return &extension;
    }
    return nullptr;
}

// The two images the script machine loads whole.
enum class VmImage : std::uint8_t { Code, Variables };

bool LoadImage(VmImage image, const std::vector<std::uint8_t>& bytes) {
    return image == VmImage::Code ? g_vm->LoadCode(bytes.data(), bytes.size())
                                  : g_vm->LoadVariableImage(bytes.data(), bytes.size());
}

bool LoadVmFile(VmImage image, const String& path) {
    std::vector<std::uint8_t> bytes;
    return ReadLooseFile(path, bytes) && LoadImage(image, bytes);
}

// Loose file, then the main pack (kind 1 under packName), then the "snx\" subfolder. A valid
// main pack that lacks the entry ends the search without a message.
bool LoadVmResource(VmImage image, const String& fileName, const String& packName) {
    const String folder = GameFolder();
    const String loose = folder.Concat(fileName);
    if (FileExists(loose.View())) return LoadVmFile(image, loose);
    if (MainPackValid()) {
        if (!g_mainPack->FindEntry(packName, pack_kind::kScript)) return false;
        std::vector<std::uint8_t> bytes;
        return ReadPackEntry(*g_mainPack, bytes) && LoadImage(image, bytes);
    }
    const String inFolder = folder.ConcatChars("snx\\").Concat(fileName);
    if (!FileExists(inFolder.View())) {
        ShowNotFound(fileName.ConcatChars(" is not found."));
        return false;
    }
    return LoadVmFile(image, inFolder);
}

// One pack's try at a picture: any failure goes on to the next place.
bool LoadGraphicFromPack(PackReader* pack, const String& name, const ResourceDecoder& decode) {
    if (pack == nullptr || !pack->FindEntryOfTypes(name, pack_kind::kPng, pack_kind::kBmp)) return false;
    if (!pack->OpenData(PackReader::kStreamMode)) return false;
    FoundResource found = PackResource(*pack);
    const bool read = pack->SeekEntry() && ReadBytes(*pack->Data(), found.size, found.bytes);
    pack->CloseData();
    return read && Decode(decode, found);
}

bool LoadSoundFromPack(PackReader& pack, const String& name, bool streaming, const ResourceDecoder& decode) {
    if (!pack.FindEntryOfTypes(name, pack_kind::kOgg, pack_kind::kWav)) return false;
    const bool wav = pack.CurrentEntry()->kind == pack_kind::kWav;
    if (!pack.OpenData(wav ? PackReader::kHandleMode : PackReader::kStreamMode)) return false;
    FoundResource found = PackResource(pack);
    bool result = false;
    if (!pack.SeekEntry()) {
        // not positioned: a failed load
    } else if (streaming && !wav) {
        MessageBoxOk(g_mainWindow ? g_mainWindow->Handle() : 0, "This game cannot play packedoggfile on streaming.",
                     "error");
    } else if (streaming) {
        // The stream opens the pack's data file on a handle of its own; the reader's is
        // closed below, so the reader can open it again.
        result = Decode(decode, found);
    } else if (ReadBytes(*pack.Data(), found.size, found.bytes)) {
        pack.CloseData();
        result = Decode(decode, found);
    }
    pack.CloseData();
    return result;
}

bool LoadLooseSound(const String& path, std::uint32_t kind, bool streaming, const ResourceDecoder& decode) {
    if (!streaming) return LoadLoose(path, kind, decode);
    FoundResource found = LooseResource(path, kind);
    auto file = backend::Get().Files().OpenFile(path.View(), backend::FileMode::Read);
    found.size = file ? file->Size() : 0;
    return found.size > 0 && Decode(decode, found);
}

}  // namespace

bool LoadScriptFile(const String& name) {
    if (g_vm == nullptr) return false;
    if (!LoadVmResource(VmImage::Code, name.ConcatChars(".SNX"), name)) return false;
    g_vm->SetScriptName(name);
    return true;
}

bool LoadNecemem() {
    if (g_vm == nullptr) return false;
    return LoadVmResource(VmImage::Variables, "NECEMEM.SNI", "NECEMEM");
}

bool LoadGraphic(const String& name, const ResourceDecoder& decode) {
    const String folder = GameFolder();
    String path;
    if (const Extension* found = FirstExisting(folder.Concat(name), kPictureExtensions, path)) {
        return LoadLoose(path, found->kind, decode);
    }
    if (MainPackValid()) {
        if (LoadGraphicFromPack(g_mainPack, name, decode)) return true;
        if (LoadGraphicFromPack(g_secondPack, name, decode)) return true;
    }
    if (const Extension* found = FirstExisting(folder.ConcatChars("grp\\").Concat(name), kPictureExtensions, path)) {
        return LoadLoose(path, found->kind, decode);
    }
    ShowNotFound(name.ConcatChars(".PNG(or .BMP) is not found."));
    return false;
}

bool LoadGraphic(const String& name, Surface& surface) {
    return LoadGraphic(name, [&surface](FoundResource& found) {
        MemoryFile file(found.bytes);
        return found.kind == pack_kind::kPng ? surface.LoadPng(file) : surface.LoadBmp(file);
    });
}

bool LoadSound(const String& name, const SoundLoadTarget& channel, const ResourceDecoder& decode) {
    const String folder = GameFolder();
    String path;
    if (const Extension* found = FirstExisting(folder.Concat(name), kSoundExtensions, path)) {
        return LoadLooseSound(path, found->kind, channel.streaming, decode);
    }
    // The script's pack index is checked against its pack array: one outside it is no pack.
    if (channel.packs != nullptr && channel.packIndex >= 0 && channel.packIndex < channel.packCount) {
        PackReader& pack = channel.packs[channel.packIndex];
        if (pack.IsValid()) return LoadSoundFromPack(pack, name, channel.streaming, decode);
    }
    if (const Extension* found = FirstExisting(folder.ConcatChars("snd\\").Concat(name), kSoundExtensions, path)) {
        return LoadLooseSound(path, found->kind, channel.streaming, decode);
    }
    ShowNotFound(name.ConcatChars(".OGG(or .WAV) is not found."));
    return false;
}

void SetScriptLineCaption(std::int32_t line) {
    if (g_mainWindow == nullptr || g_vm == nullptr) return;
    const std::size_t captionLength = strnlen(g_gameState.caption, sizeof g_gameState.caption);
    std::string caption(g_gameState.caption, captionLength);
    caption.append(g_gameState.secondCaption, strnlen(g_gameState.secondCaption, sizeof g_gameState.secondCaption));
    caption += g_vm->GetScriptName().View();
    caption += ".SNX=Line : ";
    caption += String::FromInt(line).View();
    g_mainWindow->ShowCaption(caption);
}

}  // namespace kv
