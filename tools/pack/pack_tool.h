#pragma once
// kvpack: builds a pack archive (data file and its ".lst" index) from a list of files, the way
// the engine's packs are made. The files are stored in the order given, each under its file
// name less the extension, with the kind its extension gives (".SNX" 1, ".BMP" 2, ".PNG" 3,
// ".WAV" 4, ".OGG" 5, anything else 0) and "NECEMEM.SNI" as kind 1.
//
// Needs an installed backend hub with a file service.

#include <string>
#include <vector>

namespace kvpack {

// Exit codes.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// Builds output (the data file) and output + ".lst" from the files; paths are native (UTF-8,
// '/'-separated). Every file is checked before anything is written; the outputs are written
// under temporary names and renamed once both are complete, so a failure leaves any old pack
// untouched. Problems are appended to messages, one line each; warnings do not fail.
int BuildPack(const std::string& output, const std::vector<std::string>& files,
              std::vector<std::string>& messages);

// The command line: kvpack OUTPUT FILE...
int RunPackTool(const std::vector<std::string>& arguments, std::vector<std::string>& messages);

}  // namespace kvpack
