#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/com_initializer.h"
#include "script/save/data_set.h"
#include "script/save/save_captures.h"
#include "script/screens/click_wait_icons.h"

namespace kv {

void ConstructStaticObjects() {
    if (!g_comInitializer) g_comInitializer = new ComInitializer();
    if (!g_titleData) g_titleData = new DataSetSnapshot();
    if (!g_saveCaptures) g_saveCaptures = new SaveCaptures();
    ConstructClickWaitIcons();
}

void DestroyStaticObjects() {
    DestroyClickWaitIcons();
    delete g_saveCaptures;
    g_saveCaptures = nullptr;
    delete g_titleData;
    g_titleData = nullptr;
    delete g_comInitializer;
    g_comInitializer = nullptr;
}

}  // namespace kv
