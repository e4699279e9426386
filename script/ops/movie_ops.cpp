#include "script/ops/movie_ops.h"

#include "app/globals/globals.h"
#include "base/app_env.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/movie_player.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"

namespace kv {

namespace {

constexpr int kSkipped = 1;  // scratch word: 1 when the player skipped the movie

// "Failed to load the movie", in the code page the games were made in.
constexpr const char kLoadFailedJapanese[] =
    "\x83\x80\x81[\x83r\x81[\x83\x8D\x81[\x83h"  // movie load
    "\x82\xC9\x8E\xB8\x94s"                       // (particle) failed
    " inReadyToPlayMovie()";

backend::WindowId GameWindowHandle() { return g_mainWindow ? g_mainWindow->Handle() : 0; }

void DeleteMovie() {
    delete g_movie;
    g_movie = nullptr;
}

}  // namespace

std::uint32_t ReadyToPlayMovie() {
    char name[64];
    PopTextOperand(name);
    // The name carries its own folders below the game folder and its own extension.
    const String path = (g_appEnv ? g_appEnv->GetModuleDir() : String()).ConcatChars(name);
    DeleteMovie();
    g_movie = new MoviePlayer();
    if (!g_movie->Open(path.c_str(), GameWindowHandle())) {
        MessageBoxOk(GameWindowHandle(), kLoadFailedJapanese, "error");
        MessageBoxOk(GameWindowHandle(), "This game failed to load a moviefile inReadyToPlayMovie().", "error");
        DeleteMovie();
        return CompleteOperation(0);
    }
    if (!g_movie->Play()) {
        MessageBoxOk(GameWindowHandle(), "This game failed to play a movie inReadyToPlayMovie().", "error");
        DeleteMovie();
        return CompleteOperation(0);
    }
    CurrentOp().phase = 1;
    return kOpContinue;
}

std::uint32_t WaitMovie() {
    OpState& op = CurrentOp();
    // Without a player (a state restored from elsewhere) there is nothing to wait for.
    if (!g_movie || g_movie->IsFinished()) {
        op.scratch[kSkipped] = 0;
        if (g_movie) g_movie->Stop();
        op.phase = 2;
        return kOpContinue;
    }
    // Without an input object nothing reads as pressed, and none is made here.
    RefreshInput();
    if (IsDecidePressed()) {
        op.scratch[kSkipped] = 1;
        g_movie->Stop();
        op.phase = 2;
    }
    return kOpContinue;
}

std::uint32_t EndMovie() {
    DeleteMovie();
    return CompleteOperation(static_cast<std::int32_t>(CurrentOp().scratch[kSkipped]));
}

}  // namespace kv
