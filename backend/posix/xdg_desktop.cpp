#include "backend/posix/xdg_desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace backend {

namespace {

// Starts the program with the one argument in a session of its own (a Ctrl+C meant for the
// game does not reach it), with no terminal and none of the game's files; -1 on failure.
pid_t StartDetached(const std::string& program, const std::string& argument) {
    posix_spawn_file_actions_t files;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&files);
    posix_spawnattr_init(&attributes);
    for (int fd = 0; fd <= 2; ++fd)
        posix_spawn_file_actions_addopen(&files, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&files, 3);
    // The game's signal handlers and blocked signals are no business of the opener.
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int number : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD, SIGHUP}) sigaddset(&defaults, number);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, program.c_str(), &files, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    return failed ? -1 : pid;
}

}  // namespace

XdgDesktop::XdgDesktop(FileService& files, CodePage page, std::string opener)
    : files_(files), page_(page), opener_(std::move(opener)) {}

bool XdgDesktop::OpenWithDefaultProgram(std::string_view target) {
    const std::string argument = DesktopOpenerArgument(files_, page_, target);
    if (argument.empty()) return false;
    const pid_t pid = StartDetached(opener_, argument);
    if (pid < 0) return false;
    // The opener may live as long as the program it starts: it is reaped on a thread of its
    // own, so that the game goes on and no finished opener stays behind as a zombie.
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace backend
