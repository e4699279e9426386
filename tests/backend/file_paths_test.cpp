// Engine paths ('\'-separated, code page, any case) reach the real, case-sensitive files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "backend/file_service.h"
#include "backend/hub.h"
#include "backend/code_page.h"
#include "tests/support/headless_game.h"

namespace {

class FilePathsTest : public kvtest::HeadlessGameTest {};

TEST_F(FilePathsTest, NamesMatchWhateverTheirCase) {
    WriteFile("Grp/BG_Room.png", "png");
    WriteFile("INIT.SNX", "init");
    backend::FileService& files = backend::Get().Files();
    const std::string game = files.ModuleFolder();
    EXPECT_TRUE(files.IsRegularFile(game + "grp\\bg_room.PNG"));
    EXPECT_TRUE(files.IsRegularFile(game + "init.snx"));
    EXPECT_TRUE(files.IsDirectory(game + "GRP"));
    EXPECT_FALSE(files.IsRegularFile(game + "grp"));  // a folder is not a file
    EXPECT_FALSE(files.IsRegularFile(game + "grp\\missing.png"));
    auto file = files.OpenFile(game + "GRP\\bg_room.png", backend::FileMode::Read);
    ASSERT_NE(file, nullptr);
    char bytes[3] = {};
    EXPECT_EQ(file->Read(bytes, 3), 3u);
    EXPECT_EQ(std::string(bytes, 3), "png");
    EXPECT_EQ(file->Size(), 3);
}

TEST_F(FilePathsTest, TheModuleFolderIsTheGameFolderInEngineForm) {
    std::string folder = backend::Get().Files().ModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(folder.find('/'), std::string::npos);
    EXPECT_EQ(backend::Get().Files().ModuleBaseName(), "kvrebody");
    auto options = DefaultOptions();
    options.moduleFileName = "game.exe";
    Reinstall(options);
    EXPECT_EQ(backend::Get().Files().ModuleBaseName(), "game");
}

TEST_F(FilePathsTest, DoubleByteNamesKeepTheirTrailByteBackslash) {
    // "表" is 0x95 0x5C in Shift-JIS: its second byte must not split the name.
    const std::string hyouSjis = "\x95\x5C";
    std::string utf8;
    ASSERT_TRUE(backend::ToUtf8(backend::CodePage::ShiftJis, hyouSjis + ".txt", utf8));
    WriteFile(utf8, "x");
    backend::FileService& files = backend::Get().Files();
    EXPECT_TRUE(files.IsRegularFile(files.ModuleFolder() + hyouSjis + ".txt"));
    EXPECT_TRUE(files.IsRegularFile(files.ModuleFolder() + hyouSjis + ".TXT"));
}

TEST_F(FilePathsTest, GbkPathsSplitOnlyAtSeparatorsThatAreNoTrailBytes) {
    auto options = DefaultOptions();
    options.codePage = backend::CodePage::Gbk;
    Reinstall(options);
    // Folders whose last character ends in a trail byte at the top of GBK's range (0xFD, 0xFE),
    // in '\' (0x5C) and in 0x80, each holding a file.
    for (const std::string folder : {"\x81\xFD", "\xC4\xFE", "\xB0\xFE", "\x81\x5C", "\x81\x80"}) {
        SCOPED_TRACE(testing::PrintToString(folder));
        std::string utf8;
        ASSERT_TRUE(backend::ToUtf8(backend::CodePage::Gbk, folder, utf8));
        WriteFile(utf8 + "/in.txt", "x");
        backend::FileService& files = backend::Get().Files();
        EXPECT_TRUE(files.IsRegularFile(files.ModuleFolder() + folder + "\\IN.TXT"));
        EXPECT_TRUE(files.IsDirectory(files.ModuleFolder() + folder));
    }
}

TEST_F(FilePathsTest, WritesCreateRenameAndRemove) {
    backend::FileService& files = backend::Get().Files();
    const std::string game = files.ModuleFolder();
    ASSERT_TRUE(files.MakeDirectory(game + "sav"));
    auto file = files.OpenFile(game + "SAV\\new.tmp", backend::FileMode::Write);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Write("abc", 3), 3u);
    EXPECT_TRUE(file->Flush());
    file.reset();
    EXPECT_TRUE(files.RenameFile(game + "sav\\new.tmp", game + "sav\\DATA.KVR"));
    EXPECT_TRUE(FileExistsNative("sav/DATA.KVR"));
    EXPECT_FALSE(FileExistsNative("sav/new.tmp"));
    EXPECT_TRUE(files.RemoveFile(game + "sav\\data.kvr"));
    EXPECT_FALSE(FileExistsNative("sav/DATA.KVR"));
    EXPECT_EQ(files.OpenFile(game + "sav\\data.kvr", backend::FileMode::Read), nullptr);
}

TEST(CodePageTest, ConvertsAndReportsBytesThatDoNotConvert) {
    std::string utf8;
    EXPECT_TRUE(backend::ToUtf8(backend::CodePage::ShiftJis, "\x82\xA0", utf8));  // "あ"
    EXPECT_EQ(utf8, "\xE3\x81\x82");
    EXPECT_FALSE(backend::ToUtf8(backend::CodePage::ShiftJis, "\x82", utf8));  // a lone lead byte
    EXPECT_EQ(backend::ToUtf8Lossy(backend::CodePage::ShiftJis, "a\x82"), "a?");
}

}  // namespace
