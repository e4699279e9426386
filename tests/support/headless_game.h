#pragma once
// A game folder under /tmp with the headless backend installed on it: what the app tests run
// the real engine in.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backend/headless/headless_hub.h"

namespace kvtest {

class HeadlessGameTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    // Re-installs the backend with changed options (the folder stays).
    void Reinstall(backend::HeadlessOptions options);
    backend::HeadlessOptions DefaultOptions() const;

    void WriteFile(const std::string& name, std::string_view bytes);
    void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
    bool FileExistsNative(const std::string& name) const;
    void RemoveFile(const std::string& name);
    void MakeFolder(const std::string& name);
    // The engine form of the game folder ('\'-separated, code page, trailing '\').
    std::string EngineFolder() const;
    // Re-installs the backend as if the program file had this name.
    void UseModuleFileName(const std::string& fileName);
    // Assembles the source (tools/README.md) into name; the test fails on any diagnostic.
    void WriteScript(const std::string& name, std::string_view source);
    // Builds a variable image from its declarations into name.
    void WriteVariables(const std::string& name, std::string_view declarations);
    // NECEMEM.SNI with a few variables of each bank and an INIT.SNX that runs until the game is
    // ended from outside, one system call a frame.
    void WriteMinimalGame();

    // The texts of the message boxes shown so far, "caption|text" each.
    std::vector<std::string> BoxTexts() const;

    backend::HeadlessHub& Os();

    std::string folder_;  // native path
    std::string lockName_;
};

}  // namespace kvtest
