#pragma once
// The door to the operating system. Engine code reaches every operating-system service through
// the one installed hub: backend::Get().Files(), .Events(), .Windows(), .Clock(), .Dialogs(),
// .Desktop().
// Each service is its own interface (its own header here) with an SDL implementation
// (backend/sdl, the programs) and a headless one (backend/headless, the tests). Texts cross the
// door in the build's code page; paths are the engine's '\'-separated code-page paths.
//
// A backend builds its services and hands them to the hub in a Services record. A new service
// gets a header of its own, a field in Services, an accessor below, and a place in the member
// order (services are destroyed in the reverse order of the members, so one that runs threads
// goes after the ones those threads post to).

#include <memory>

namespace backend {

class FileService;
class EventQueue;
class WindowService;
class ClockService;
class DialogService;
class DesktopService;
class AudioDevice;   // backend/audio_device.h
class GlyphService;  // backend/glyph_service.h
class MovieService;  // backend/movie_service.h

struct Services {
    Services();
    ~Services();
    Services(Services&&) noexcept;
    Services& operator=(Services&&) noexcept;

    std::unique_ptr<FileService> files;
    std::unique_ptr<ClockService> clock;
    std::unique_ptr<EventQueue> events;
    std::unique_ptr<WindowService> windows;
    std::unique_ptr<DialogService> dialogs;
    std::unique_ptr<DesktopService> desktop;
    // Optional: null until the task that builds each one fills it in.
    std::unique_ptr<AudioDevice> audio;
    std::unique_ptr<GlyphService> glyphs;
    std::unique_ptr<MovieService> movies;
};

class Hub {
public:
    explicit Hub(Services services);
    virtual ~Hub();
    Hub(const Hub&) = delete;
    Hub& operator=(const Hub&) = delete;

    // A program built without one of these (a command-line tool has only files and a clock)
    // stops with a message when the engine asks for it.
    FileService& Files() const;
    EventQueue& Events() const;
    WindowService& Windows() const;
    ClockService& Clock() const;
    DialogService& Dialogs() const;
    DesktopService& Desktop() const;

    // Null when the program has none.
    AudioDevice* Audio() const { return services_.audio.get(); }
    GlyphService* Glyphs() const { return services_.glyphs.get(); }
    MovieService* Movies() const { return services_.movies.get(); }

protected:
    // The installed services, for the backend's own hub type.
    const Services& Installed() const { return services_; }

private:
    Services services_;
};

// The hub in use. Install it before anything else runs; Get() is valid until Uninstall().
void Install(std::unique_ptr<Hub> hub);
void Uninstall();
Hub& Get();
bool IsInstalled();

}  // namespace backend
