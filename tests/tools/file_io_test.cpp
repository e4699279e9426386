// The tool programs' file writes: all or nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/asm/file_io.h"

namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kvasm_file_io_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

TEST_F(FileIoTest, WriteReplacesTheFileAndLeavesNoTemporary) {
    const std::string path = (dir_ / "OUT.SNX").string();
    std::string error;
    ASSERT_TRUE(kvasm::WriteFileAtomically(path, std::vector<uint8_t>{1, 2, 3}, &error)) << error;
    ASSERT_TRUE(kvasm::WriteFileAtomically(path, std::vector<uint8_t>{0, 9}, &error)) << error;
    std::string contents;
    ASSERT_TRUE(kvasm::ReadWholeFile(path, &contents, &error)) << error;
    EXPECT_EQ(contents, std::string("\0\t", 2));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, FailedWriteKeepsTheOldFile) {
    // A directory where the temporary file should go makes the write fail before the rename.
    const std::string path = (dir_ / "OUT.SNX").string();
    std::string error;
    ASSERT_TRUE(kvasm::WriteFileAtomically(path, std::vector<uint8_t>{7}, &error));
    fs::create_directory(path + ".kvasm-tmp");
    EXPECT_FALSE(kvasm::WriteFileAtomically(path, std::vector<uint8_t>{8, 8}, &error));
    EXPECT_FALSE(error.empty());
    std::string contents;
    ASSERT_TRUE(kvasm::ReadWholeFile(path, &contents, &error));
    EXPECT_EQ(contents, "\x07");
}

TEST_F(FileIoTest, MissingInputIsAnError) {
    std::string contents;
    std::string error;
    EXPECT_FALSE(kvasm::ReadWholeFile((dir_ / "none.kvs").string(), &contents, &error));
    EXPECT_NE(error.find("none.kvs"), std::string::npos);
}

}  // namespace
