#include "platform/movie_player.h"

#include <string>

#include "app/globals/globals.h"
#include "backend/code_page.h"
#include "backend/hub.h"
#include "base/build_variant.h"
#include "base/text_utils.h"
#include "platform/com_initializer.h"

namespace kv {

bool MoviePathFits(std::string_view path) {
    std::string utf8;
    if (!backend::ToUtf8(ActiveBuildVariant().codePage, path, utf8)) return false;
    std::size_t units = 1;  // the terminator
    for (unsigned char byte : utf8) {
        if ((byte & 0xC0) == 0x80) continue;  // continuation bytes belong to the character before
        units += byte >= 0xF0 ? 2 : 1;        // beyond the basic plane: a surrogate pair
    }
    return units <= kMoviePathUnits;
}

MoviePlayer::MoviePlayer() = default;

MoviePlayer::~MoviePlayer() { Close(); }

void MoviePlayer::Close() {
    Stop();
    movie_.reset();
    opened_ = 0;
}

bool MoviePlayer::Open(const char* file, backend::WindowId owner) {
    if (!g_comInitializer || !g_comInitializer->Usable()) return false;
    if (!file || !FileExists(file)) return false;
    if (!MoviePathFits(file)) return false;
    Close();
    backend::MovieService* service = backend::Get().Movies();
    if (service) movie_ = service->Open(file, owner);
    if (!movie_) {
        Close();
        return false;
    }
    file_ = String(file);
    opened_ = 1;
    return true;
}

bool MoviePlayer::Play() {
    if (opened_ != 1 || !movie_->Run()) return false;
    playing_ = 1;
    return true;
}

bool MoviePlayer::Stop() {
    if (opened_ != 1 || playing_ != 1 || !movie_->Stop()) return false;
    playing_ = 0;
    return true;
}

bool MoviePlayer::IsFinished() {
    if (!movie_) return true;
    backend::MovieEvent event;
    if (!movie_->TakeEvent(event, kMovieEventWaitMs)) return false;
    // An error or an abort ends the movie as surely as its end: nothing more will come.
    return event == backend::MovieEvent::Complete || event == backend::MovieEvent::ErrorAbort ||
           event == backend::MovieEvent::UserAbort;
}

}  // namespace kv
