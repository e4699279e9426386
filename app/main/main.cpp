#include "backend/hub.h"
#include "app/engine.h"
#include "app/program_pictures.h"
#include "backend/sdl/sdl_hub.h"
#include "base/build_variant.h"

int main() {
    backend::Install(backend::CreateNativeHub(kv::ActiveBuildVariant().codePage, kv::ProgramPictures()));
    int result = kv::WinMain();
    backend::Uninstall();
    return result;
}
