#include "tests/glyphs/scene_window.h"

#include <cstdio>

#include "backend/clock_service.h"
#include "backend/event_queue.h"
#include "backend/hub.h"
#include "backend/window_service.h"

namespace glyphscene {

namespace {
std::int32_t QuitWhenDestroyed(backend::WindowId window, const backend::WindowMessage& message) {
    if (message.kind == backend::MessageKind::Destroy) backend::Get().Events().PostQuitMessage();
    return backend::Get().Windows().DefaultWindowProc(window, message);
}
}  // namespace

int ShowUntilClosed(const kv::Surface& picture, std::string_view className, std::string_view caption,
                    std::int32_t width, std::int32_t height) {
    backend::WindowService& windows = backend::Get().Windows();
    if (!windows.RegisterWindowClass(className, &QuitWhenDestroyed, {})) return 1;
    backend::Rect outer = windows.OuterRectForClient(backend::WindowStyle::Framed, width, height);
    outer.x = 40;
    outer.y = 40;
    const backend::WindowId window = windows.CreateWindow(className, caption, backend::WindowStyle::Framed, outer);
    if (window == 0) return 1;
    windows.ShowWindow(window);
    picture.BlitToDC(window, 0, 0, width, height);
    const backend::Rect origin = windows.ClientOrigin(window);
    std::printf("%d %d %d %d\n", origin.x, origin.y, width, height);
    std::fflush(stdout);

    backend::WindowMessage message;
    for (;;) {
        if (!backend::Get().Events().PeekMessage(message)) {
            backend::Get().Clock().Sleep(10);
            continue;
        }
        if (message.kind == backend::MessageKind::Quit) break;
        windows.DispatchMessage(message);
    }
    return 0;
}

}  // namespace glyphscene
