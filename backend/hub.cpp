#include "backend/hub.h"

#include <cstdio>
#include <cstdlib>

#include "backend/audio_device.h"
#include "backend/clock_service.h"
#include "backend/desktop_service.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "backend/file_service.h"
#include "backend/glyph_service.h"
#include "backend/movie_service.h"
#include "backend/window_service.h"

namespace backend {

namespace {

std::unique_ptr<Hub>& Slot() {
    static std::unique_ptr<Hub> hub;
    return hub;
}

template <typename Service>
Service& Required(const std::unique_ptr<Service>& service, const char* name) {
    if (!service) {
        std::fprintf(stderr, "kvrebody: this program has no %s service\n", name);
        std::abort();
    }
    return *service;
}

}  // namespace

Services::Services() = default;
Services::~Services() {
    // Threads of the later services post to the earlier ones: end them first.
    movies.reset();
    glyphs.reset();
    audio.reset();
    desktop.reset();
    dialogs.reset();
    windows.reset();
    events.reset();
    clock.reset();
    files.reset();
}
Services::Services(Services&&) noexcept = default;
Services& Services::operator=(Services&&) noexcept = default;

Hub::Hub(Services services) : services_(std::move(services)) {}
Hub::~Hub() = default;

FileService& Hub::Files() const { return Required(services_.files, "file"); }
EventQueue& Hub::Events() const { return Required(services_.events, "event"); }
WindowService& Hub::Windows() const { return Required(services_.windows, "window"); }
ClockService& Hub::Clock() const { return Required(services_.clock, "clock"); }
DialogService& Hub::Dialogs() const { return Required(services_.dialogs, "dialog"); }
DesktopService& Hub::Desktop() const { return Required(services_.desktop, "desktop"); }

void Install(std::unique_ptr<Hub> hub) { Slot() = std::move(hub); }

void Uninstall() { Slot().reset(); }

bool IsInstalled() { return Slot() != nullptr; }

Hub& Get() {
    if (!Slot()) {
        std::fputs("kvrebody: no backend installed\n", stderr);
        std::abort();
    }
    return *Slot();
}

}  // namespace backend
