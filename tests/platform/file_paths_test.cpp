// Engine paths ('\'-separated, code page, any case) reach the real, case-sensitive files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/code_page.h"
#include "platform/path_resolver.h"
#include "tests/support/headless_game.h"

namespace {

class FilePathsTest : public kvtest::HeadlessGameTest {};

TEST_F(FilePathsTest, NamesMatchWhateverTheirCase) {
    WriteFile("Grp/BG_Room.png", "png");
    WriteFile("INIT.SNX", "init");
    platform::Platform& os = platform::Get();
    const std::string game = os.ModuleFolder();
    EXPECT_TRUE(os.IsRegularFile(game + "grp\\bg_room.PNG"));
    EXPECT_TRUE(os.IsRegularFile(game + "init.snx"));
    EXPECT_TRUE(os.IsDirectory(game + "GRP"));
    EXPECT_FALSE(os.IsRegularFile(game + "grp"));  // a folder is not a file
    EXPECT_FALSE(os.IsRegularFile(game + "grp\\missing.png"));
    auto file = os.OpenFile(game + "GRP\\bg_room.png", platform::FileMode::Read);
    ASSERT_NE(file, nullptr);
    char bytes[3] = {};
    EXPECT_EQ(file->Read(bytes, 3), 3u);
    EXPECT_EQ(std::string(bytes, 3), "png");
    EXPECT_EQ(file->Size(), 3);
}

TEST_F(FilePathsTest, TheModuleFolderIsTheGameFolderInEngineForm) {
    std::string folder = platform::Get().ModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(folder.find('/'), std::string::npos);
    EXPECT_EQ(platform::Get().ModuleBaseName(), "kvrebody");
    auto options = DefaultOptions();
    options.moduleFileName = "game.exe";
    Reinstall(options);
    EXPECT_EQ(platform::Get().ModuleBaseName(), "game");
}

TEST_F(FilePathsTest, DoubleByteNamesKeepTheirTrailByteBackslash) {
    // "表" is 0x95 0x5C in Shift-JIS: its second byte must not split the name.
    const std::string hyouSjis = "\x95\x5C";
    std::string utf8;
    ASSERT_TRUE(platform::CodePageToUtf8(hyouSjis + ".txt", utf8));
    WriteFile(utf8, "x");
    platform::Platform& os = platform::Get();
    EXPECT_TRUE(os.IsRegularFile(os.ModuleFolder() + hyouSjis + ".txt"));
    EXPECT_TRUE(os.IsRegularFile(os.ModuleFolder() + hyouSjis + ".TXT"));
}

TEST_F(FilePathsTest, WritesCreateRenameAndRemove) {
    platform::Platform& os = platform::Get();
    const std::string game = os.ModuleFolder();
    ASSERT_TRUE(os.MakeDirectory(game + "sav"));
    auto file = os.OpenFile(game + "SAV\\new.tmp", platform::FileMode::Write);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Write("abc", 3), 3u);
    EXPECT_TRUE(file->Flush());
    file.reset();
    EXPECT_TRUE(os.RenameFile(game + "sav\\new.tmp", game + "sav\\DATA.KVR"));
    EXPECT_TRUE(FileExistsNative("sav/DATA.KVR"));
    EXPECT_FALSE(FileExistsNative("sav/new.tmp"));
    EXPECT_TRUE(os.RemoveFile(game + "sav\\data.kvr"));
    EXPECT_FALSE(FileExistsNative("sav/DATA.KVR"));
    EXPECT_EQ(os.OpenFile(game + "sav\\data.kvr", platform::FileMode::Read), nullptr);
}

TEST(CodePageTest, ConvertsAndReportsBytesThatDoNotConvert) {
    std::string utf8;
    EXPECT_TRUE(platform::CodePageToUtf8("\x82\xA0", utf8));  // "あ"
    EXPECT_EQ(utf8, "\xE3\x81\x82");
    EXPECT_FALSE(platform::CodePageToUtf8("\x82", utf8));  // a lone lead byte
    EXPECT_EQ(platform::CodePageToUtf8Lossy("a\x82"), "a?");
}

}  // namespace
