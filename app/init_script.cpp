#include "app/init_script.h"

#include "app/globals/globals.h"
#include "base/app_env.h"
#include "base/message_box.h"
#include "script/save/common_data.h"
#include "script/vm/resource_lookup.h"
#include "script/vm/vm_state.h"

namespace kv {

bool InitScript() {
    g_vm = new VmState();
    if (!LoadNecemem()) {
        MessageBoxOk(0, "This game failed to set NECEMEM.SNI.", "error");
        return false;
    }
    if (!LoadScriptFile("INIT")) {
        MessageBoxOk(0, "This game failed to load INIT.SNX.", "error");
        return false;
    }
    g_vm->SetScriptName("INIT");
    String gameFolder = g_appEnv ? g_appEnv->GetModuleDir() : String();
    String saveDir = g_appEnv ? g_appEnv->GetSaveDir() : String();
    g_vm->SetSaveFolder(saveDir.IsEmpty() ? gameFolder.ConcatChars("sav\\") : gameFolder.Concat(saveDir));
    return LoadCommonData(*g_vm, g_appEnv ? g_appEnv->GetSaveDataVersion() : String());
}

}  // namespace kv
