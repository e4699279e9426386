#pragma once
// A fresh game folder under /tmp with the headless backend installed on it for one test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "platform/headless/headless_platform.h"

namespace kv::basetest {

class TempGameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kv_base_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        InstallPlatform(ModuleFileName());
    }

    void TearDown() override {
        platform::Uninstall();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // The program file name the backend reports.
    virtual std::string ModuleFileName() const { return "kvrebody"; }

    void InstallPlatform(const std::string& moduleFileName) {
        if (platform::IsInstalled()) {
            platform::Uninstall();
        }
        platform::HeadlessOptions options;
        options.gameFolder = folder_;
        options.moduleFileName = moduleFileName;
        platform::Install(std::make_unique<platform::HeadlessPlatform>(options));
    }

    void WriteFile(const std::string& name, std::string_view bytes) {
        std::ofstream out(folder_ + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }

    void RemoveFile(const std::string& name) { std::filesystem::remove(folder_ + "/" + name); }
    void MakeFolder(const std::string& name) { std::filesystem::create_directory(folder_ + "/" + name); }

    // The engine path ('\'-separated, trailing '\') of the folder.
    std::string EngineFolder() const { return platform::Get().ModuleFolder(); }

    std::string folder_;  // native path
};

}  // namespace kv::basetest
