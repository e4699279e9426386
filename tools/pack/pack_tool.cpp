#include "tools/pack/pack_tool.h"

#include <algorithm>

#include "backend/code_page.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/build_variant.h"
#include "base/string.h"
#include "pack/pack_entry.h"
#include "pack/pack_entry_type.h"
#include "pack/pack_writer.h"

namespace kvpack {

namespace {

// The engine's form of a native path: code page, '\'-separated. False when it does not convert.
bool ToEnginePath(const std::string& native, std::string& engine) {
    if (native.empty() || !backend::FromUtf8(kv::ActiveBuildVariant().codePage, native, engine)) return false;
    std::replace(engine.begin(), engine.end(), '/', '\\');
    return true;
}

bool HasLowerCaseLetter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// The kind by the file's name (not its folders): the engine's extension rule, and kind 1 for
// the variable image, which the engine looks up as "NECEMEM" of kind 1.
std::uint32_t KindOf(const kv::String& enginePath, const kv::String& name) {
    const kv::String extension = enginePath.Mid(enginePath.GetLength() - 3, 4);
    if (name.EqualsChars("NECEMEM") && extension.EqualsChars(".SNI")) return kv::pack_kind::kScript;
    return kv::GetPackEntryType(name.Concat(extension));
}

struct Input {
    std::string native;
    std::string engine;
    kv::String name;
    std::uint32_t kind = 0;
};

bool CheckInputs(const std::vector<std::string>& files, std::vector<Input>& inputs, std::vector<std::string>& messages) {
    bool ok = true;
    for (const std::string& file : files) {
        Input input;
        input.native = file;
        if (!ToEnginePath(file, input.engine)) {
            messages.push_back(file + ": the path does not convert to the game's code page");
            ok = false;
            continue;
        }
        const kv::String path(input.engine.c_str());
        const kv::String name = kv::PackEntryNameFromPath(path);
        const std::string shown = backend::ToUtf8Lossy(kv::ActiveBuildVariant().codePage, name.View());
        if (!kv::IsStorablePackName(name)) {
            messages.push_back(file + ": the name \"" + shown +
                               "\" cannot be stored: a name has 1 to 63 bytes and no byte 0x6B ('k')");
            ok = false;
            continue;
        }
        if (!backend::Get().Files().IsRegularFile(input.engine)) {
            messages.push_back(file + ": not found");
            ok = false;
            continue;
        }
        input.kind = KindOf(path, name);
        input.name = name;
        if (HasLowerCaseLetter(name.View())) {
            messages.push_back("warning: " + file + ": the name \"" + shown +
                               "\" has lower-case letters; the engine looks names up in upper case and will not find it");
        }
        if (input.kind == kv::pack_kind::kOther) {
            messages.push_back("warning: " + file + ": no known extension, stored as kind 0, which the engine never looks up");
        }
        for (const Input& earlier : inputs) {
            if (earlier.kind == input.kind && earlier.name.Equals(name)) {
                messages.push_back("warning: " + file + ": same name and kind as " + earlier.native +
                                   ", which is found first");
                break;
            }
        }
        inputs.push_back(std::move(input));
    }
    return ok;
}

}  // namespace

int BuildPack(const std::string& output, const std::vector<std::string>& files, std::vector<std::string>& messages) {
    std::string dataPath;
    if (!ToEnginePath(output, dataPath)) {
        messages.push_back(output + ": the path does not convert to the game's code page");
        return kFailed;
    }
    std::vector<Input> inputs;
    if (!CheckInputs(files, inputs, messages)) return kFailed;
    if (inputs.size() > static_cast<std::size_t>(kv::PackWriter::kMaxEntries)) {
        messages.push_back("too many files for one pack");
        return kFailed;
    }

    backend::FileService& fileService = backend::Get().Files();
    const std::string tempData = dataPath + ".tmp";
    const std::string tempIndex = tempData + ".lst";
    auto removeTemps = [&] {
        fileService.RemoveFile(tempData);
        fileService.RemoveFile(tempIndex);
    };

    kv::PackWriter writer;
    if (!writer.Create(tempData.c_str())) {
        messages.push_back(output + ": cannot be created");
        return kFailed;
    }
    writer.AllocEntries(static_cast<std::int32_t>(inputs.size()));
    for (const Input& input : inputs) {
        const std::int32_t before = writer.EntriesRecorded();
        writer.AddFile(input.engine.c_str(), input.kind);
        if (writer.EntriesRecorded() == before) {
            messages.push_back(input.native + ": could not be read or written (or the pack would pass 2 GiB)");
            writer.Release();
            removeTemps();
            return kFailed;
        }
    }
    writer.CloseData();
    if (!writer.WriteIndex()) {
        messages.push_back(output + ".lst: cannot be written");
        writer.Release();
        removeTemps();
        return kFailed;
    }
    writer.Release();
    if (!fileService.RenameFile(tempData, dataPath) || !fileService.RenameFile(tempIndex, dataPath + ".lst")) {
        messages.push_back(output + ": the finished pack could not be moved into place");
        removeTemps();
        return kFailed;
    }
    return kOk;
}

int RunPackTool(const std::vector<std::string>& arguments, std::vector<std::string>& messages) {
    if (arguments.size() < 2 ||
        std::any_of(arguments.begin(), arguments.end(), [](const std::string& a) { return a.empty() || a[0] == '-'; })) {
        messages.push_back("usage: kvpack OUTPUT FILE...   (writes OUTPUT and OUTPUT.lst)");
        return kUsage;
    }
    const std::vector<std::string> files(arguments.begin() + 1, arguments.end());
    return BuildPack(arguments[0], files, messages);
}

}  // namespace kvpack
