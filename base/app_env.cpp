#include "base/app_env.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "base/text_utils.h"
#include "backend/file_service.h"
#include "backend/hub.h"

namespace kv {

namespace {

// A configuration file holds three short lines; anything this large is not one and is not
// read into memory.
constexpr std::int32_t kMaxInfSize = 16 * 1024 * 1024;

// The value of key: it begins at the SECOND byte after the key's colon (the byte right after
// the colon, normally the opening quote, is skipped whatever it is) and runs up to the next
// '"'. The first occurrence of the key anywhere in the text counts. A key with nothing after
// its colon, or without a closing quote, is absent (false).
bool ReadKeyValue(const String& text, const char* key, String& value) {
    std::int32_t found = text.Find(key);
    if (found == 0) {
        return false;
    }
    std::string_view bytes = text.View();
    std::size_t afterColon = static_cast<std::size_t>(found - 1) + std::string_view(key).size();
    if (afterColon >= bytes.size()) {
        return false;
    }
    std::size_t begin = afterColon + 1;
    std::size_t end = bytes.find('"', begin);
    if (end == std::string_view::npos) {
        return false;
    }
    value = text.Mid(static_cast<std::int32_t>(begin) + 1, static_cast<std::int32_t>(end - begin));
    return true;
}

}  // namespace

bool HasMmx() {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("mmx") != 0;
#else
    // Not an x86 processor: the pixel routines use plain integer code there.
    return true;
#endif
}

AppEnv::AppEnv() {
    ReadModulePath();
    mmx_ = HasMmx();
}

void AppEnv::ReadModulePath() {
    backend::FileService& files = backend::Get().Files();
    moduleDir_ = String(files.ModuleFolder().c_str());
    moduleBaseName_ = String(files.ModuleBaseName().c_str());
}

void AppEnv::ClearConfig() {
    packPath_.Empty();
    saveDataVersion_.Empty();
}

void AppEnv::LoadInf() {
    packPath_.Empty();
    saveDataVersion_.Empty();
    saveDir_.Empty();

    String fileName = moduleDir_.Concat(moduleBaseName_).ConcatChars(".INF");
    if (!FileExists(fileName.View())) {
        return;
    }
    std::int32_t size = GetFileSizeByName(fileName.View());
    if (size <= 0 || size > kMaxInfSize) {
        return;
    }
    auto file = backend::Get().Files().OpenFile(fileName.View(), backend::FileMode::Read);
    if (!file) {
        return;
    }
    // One extra zero byte ends the text at the end of the file; a zero byte inside it ends
    // the text there.
    std::vector<char> bytes(static_cast<std::size_t>(size) + 1, '\0');
    if (file->Read(bytes.data(), static_cast<std::size_t>(size)) != static_cast<std::size_t>(size)) {
        return;
    }
    file.reset();
    String text(bytes.data());

    String value;
    if (ReadKeyValue(text, "PACKFILENAME:", value)) {
        packPath_.AssignString(moduleDir_.Concat(value));
    }
    value.Empty();
    if (ReadKeyValue(text, "SAVEDATAVERSTR:", value)) {
        saveDataVersion_.AssignString(value);
    }
    value.Empty();
    if (ReadKeyValue(text, "SAVEDIRNAME:", value)) {
        saveDir_.AssignString(value.ConcatChars("\\"));
    }
}

}  // namespace kv
