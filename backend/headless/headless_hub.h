#pragma once
// The backend the tests run the real engine on: no display, a virtual clock, scripted events
// and input, queued message-box answers with a log of every box shown, and captured frames.
// Each service carries its own test controls; HeadlessHub hands out the headless types.

#include <cstdint>
#include <string>

#include "backend/code_page.h"
#include "backend/headless/headless_audio.h"
#include "backend/headless/headless_clock.h"
#include "backend/headless/headless_desktop.h"
#include "backend/headless/headless_dialogs.h"
#include "backend/headless/headless_events.h"
#include "backend/headless/headless_movies.h"
#include "backend/headless/headless_glyphs.h"
#include "backend/headless/headless_windows.h"
#include "backend/hub.h"

namespace backend {

struct HeadlessOptions {
    std::string gameFolder;                   // native path of the folder the program "lies in"
    std::string moduleFileName = "kvrebody";  // the program's file name
    std::string lockName;                     // lock name suffix, so that tests can run in parallel
    CodePage codePage = CodePage::ShiftJis;
    std::int32_t desktopWidth = 1024;
    std::int32_t desktopHeight = 768;
    std::int32_t desktopBitsPerPixel = 32;
    std::uint32_t startTick = 0;  // the virtual millisecond clock's first value
    bool failWindowCreation = false;
    std::int32_t refusedFullScreens = 0;  // as in HeadlessDisplay
    // The program's built-in pictures (its window icon), as the real program hands them over.
    BuiltInPictures builtInPictures;
    // Movies decoded for real (FFmpeg, in real time, their sound on the headless audio device)
    // instead of the fake ones.
    bool realMovies = false;
    bool captureAudio = false;  // keep the rendered mix (Audio().Captured())
    // A loop that sleeps this often without ending is stopped as if terminated (a test that
    // forgot to end the game must not hang); 0 disables the guard.
    std::uint64_t sleepLimit = 200000;
};

class HeadlessHub final : public Hub {
public:
    explicit HeadlessHub(const HeadlessOptions& options);
    ~HeadlessHub() override;

    HeadlessClock& Clock() const { return *clock_; }
    HeadlessEvents& Events() const { return *events_; }
    HeadlessWindows& Windows() const { return *windows_; }
    HeadlessDialogs& Dialogs() const { return *dialogs_; }
    HeadlessDesktop& Desktop() const { return *desktop_; }
    // Null when the hub decodes movies for real.
    HeadlessMovies* FakeMovies() const { return fakeMovies_; }
    // Glyphs made by rule from the character code (no fonts needed).
    HeadlessGlyphs& Glyphs() const { return *glyphs_; }
    // The audio device, rendered as the virtual clock advances.
    HeadlessAudio& Audio() const { return *audio_; }

private:
    HeadlessClock* clock_;
    HeadlessEvents* events_;
    HeadlessWindows* windows_;
    HeadlessDialogs* dialogs_;
    HeadlessDesktop* desktop_;
    HeadlessMovies* fakeMovies_;
    HeadlessGlyphs* glyphs_;
    HeadlessAudio* audio_;
};

}  // namespace backend
