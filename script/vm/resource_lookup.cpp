#include "script/vm/resource_lookup.h"

#include "app/globals/globals.h"
#include "base/app_env.h"
#include "base/text_utils.h"
#include "platform/platform.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

String GameFolderPath(const char* fileName) {
    return g_appEnv ? g_appEnv->GetModuleDir().ConcatChars(fileName) : String(fileName);
}

std::unique_ptr<platform::FileHandle> OpenForLoad(const String& path, std::int64_t& size) {
    size = GetFileSizeByName(path.c_str());
    if (size <= 0) return nullptr;
    return platform::Get().OpenFile(path.View(), platform::FileMode::Read);
}

}  // namespace

bool LoadScriptFile(const String& name) {
    if (!g_vm || name.IsEmpty()) return false;
    String path = GameFolderPath(name.c_str()).ConcatChars(".SNX");
    std::int64_t size = 0;
    auto file = OpenForLoad(path, size);
    return file && g_vm->LoadCodeFile(*file, size);
}

bool LoadNecemem() {
    if (!g_vm) return false;
    String path = GameFolderPath("NECEMEM.SNI");
    std::int64_t size = 0;
    auto file = OpenForLoad(path, size);
    return file && g_vm->LoadVariableImageFile(*file, size);
}

}  // namespace kv
