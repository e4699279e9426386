// kvpack: builds a pack archive from a list of files.
//   kvpack OUTPUT FILE...      writes OUTPUT (the data) and OUTPUT.lst (the index)

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "backend/hub.h"
#include "backend/posix/posix_file_service.h"
#include "backend/posix/system_clock.h"
#include "base/build_variant.h"
#include "tools/pack/pack_tool.h"

int main(int argc, char** argv) {
    // The engine's file access on the real file system is all a command-line tool needs; paths
    // are taken from the working folder.
    char cwd[4096];
    backend::Services services;
    services.files = std::make_unique<backend::PosixFileService>(
        kv::ActiveBuildVariant().codePage, backend::ProgramLocation{::getcwd(cwd, sizeof cwd) ? cwd : ".", "kvpack"});
    services.clock = std::make_unique<backend::SystemClock>();
    backend::Install(std::make_unique<backend::Hub>(std::move(services)));

    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::vector<std::string> messages;
    const int result = kvpack::RunPackTool(arguments, messages);
    for (const std::string& message : messages) std::fprintf(stderr, "kvpack: %s\n", message.c_str());
    backend::Uninstall();
    return result;
}
