#include "platform/com_initializer.h"

#include "backend/hub.h"
#include "backend/movie_service.h"

namespace kv {

namespace {

std::int32_t g_useCount = 0;

backend::MovieService* Service() { return backend::IsInstalled() ? backend::Get().Movies() : nullptr; }

}  // namespace

std::int32_t ComAddRef() {
    if (g_useCount == 0) {
        backend::MovieService* service = Service();
        if (!service || !service->Start()) return -1;
    }
    return g_useCount++;
}

void ComRelease() {
    if (g_useCount == 0) return;
    if (--g_useCount == 0) {
        if (backend::MovieService* service = Service()) service->Shutdown();
    }
}

std::int32_t ComUseCount() { return g_useCount; }

ComInitializer::ComInitializer() {
    result_ = ComAddRef();
    if (result_ != -1) holdsReference_ = usable_ = 1;
}

ComInitializer::~ComInitializer() {
    if (holdsReference_) ComRelease();
}

bool ComInitializer::Init() {
    if (ComAddRef() == -1) return false;
    holdsReference_ = usable_ = 1;
    return true;
}

void ComInitializer::Release() {
    if (holdsReference_) ComRelease();
}

}  // namespace kv
