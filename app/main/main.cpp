#include "app/engine.h"
#include "platform/platform.h"

int main() {
    platform::Install(platform::CreateNativeBackend());
    int result = kv::WinMain();
    platform::Uninstall();
    return result;
}
