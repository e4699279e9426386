// kvpack: builds a pack archive from a list of files.
//   kvpack OUTPUT FILE...      writes OUTPUT (the data) and OUTPUT.lst (the index)

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "tools/pack/pack_tool.h"

int main(int argc, char** argv) {
    // The engine's file access: the backend without a display is all a command-line tool needs.
    platform::HeadlessOptions options;
    char cwd[4096];
    options.gameFolder = ::getcwd(cwd, sizeof cwd) ? cwd : ".";
    platform::Install(std::make_unique<platform::HeadlessPlatform>(options));

    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::vector<std::string> messages;
    const int result = kvpack::RunPackTool(arguments, messages);
    for (const std::string& message : messages) std::fprintf(stderr, "kvpack: %s\n", message.c_str());
    platform::Uninstall();
    return result;
}
