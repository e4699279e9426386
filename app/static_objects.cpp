#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/com_initializer.h"
#include "script/save/data_set.h"
#include "script/save/save_captures.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/save_slot_screen.h"

namespace kv {

void ConstructStaticObjects() {
    if (!g_comInitializer) g_comInitializer = new ComInitializer();
    if (!g_titleData) g_titleData = new DataSetSnapshot();
    if (!g_saveCaptures) g_saveCaptures = new SaveCaptures();
    if (!g_saveInfo) g_saveInfo = new SaveInfo();
    SetSaveScreenSelections(g_saveInfo);
    ConstructClickWaitIcons();
}

void DestroyStaticObjects() {
    DestroyClickWaitIcons();
    SetSaveScreenSelections(nullptr);
    delete g_saveInfo;
    g_saveInfo = nullptr;
    delete g_saveCaptures;
    g_saveCaptures = nullptr;
    delete g_titleData;
    g_titleData = nullptr;
    delete g_comInitializer;
    g_comInitializer = nullptr;
}

}  // namespace kv
