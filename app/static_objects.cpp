#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/com_initializer.h"

namespace kv {

void ConstructStaticObjects() {
    if (!g_comInitializer) g_comInitializer = new ComInitializer();
}

void DestroyStaticObjects() {
    delete g_comInitializer;
    g_comInitializer = nullptr;
}

}  // namespace kv
