#include "backend/headless/headless_movies.h"

namespace backend {

class HeadlessMovies::FakeMovie final : public Movie {
public:
    FakeMovie(HeadlessMovies& service, WindowId window) : service_(service), window_(window) {
        duration_ = service.duration_;
        ++service_.live_;
    }
    ~FakeMovie() override {
        --service_.live_;
        if (shown_) service_.windows_.HideOverlay(window_);
    }

    bool Run() override {
        if (service_.failRun_) return false;
        if (!running_) runStart_ = service_.clock_.TickCount();
        running_ = true;
        if (!shown_) ShowPicture();
        return true;
    }

    bool Stop() override {
        if (running_) played_ += service_.clock_.TickCount() - runStart_;
        running_ = false;
        return true;
    }

    bool TakeEvent(MovieEvent& event, std::uint32_t) override {
        if (!service_.injected_.empty()) {
            event = service_.injected_.front();
            service_.injected_.pop_front();
            return true;
        }
        const std::uint64_t played = played_ + (running_ ? service_.clock_.TickCount() - runStart_ : 0u);
        if (completed_ || played < duration_) return false;
        completed_ = true;
        event = MovieEvent::Complete;
        return true;
    }

private:
    void ShowPicture() {
        const Rect client = service_.windows_.GetClientRect(window_);
        if (client.width <= 0 || client.height <= 0) return;
        std::vector<std::uint8_t> grey(static_cast<std::size_t>(client.width) * static_cast<std::size_t>(client.height) * 3u,
                                       kHeadlessMovieGrey);
        service_.windows_.ShowOverlay(window_, PixelView{grey.data(), client.width, client.height, client.width * 3, false});
        shown_ = true;
    }

    HeadlessMovies& service_;
    const WindowId window_;
    std::uint32_t duration_ = 0;
    bool running_ = false;
    bool shown_ = false;
    bool completed_ = false;
    std::uint32_t runStart_ = 0;
    std::uint64_t played_ = 0;
};

HeadlessMovies::HeadlessMovies(ClockService& clock, FileService& files, WindowService& windows)
    : clock_(clock), files_(files), windows_(windows) {}

bool HeadlessMovies::Start() {
    if (failStart_) return false;
    ++starts_;
    started_ = true;
    return true;
}

void HeadlessMovies::Shutdown() {
    if (!started_) return;
    ++shutdowns_;
    started_ = false;
}

std::unique_ptr<Movie> HeadlessMovies::Open(std::string_view path, WindowId window) {
    if (!started_ || !windows_.IsWindow(window)) return nullptr;
    if (!files_.OpenFile(path, FileMode::Read)) return nullptr;
    opened_.emplace_back(path);
    return std::make_unique<FakeMovie>(*this, window);
}

}  // namespace backend
