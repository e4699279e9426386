#include "base/app_env.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/headless_game.h"

namespace kv {
namespace {

class AppEnvTest : public kvtest::HeadlessGameTest {
protected:
    // Loads text as kvrebody.INF into a fresh AppEnv.
    AppEnv Load(std::string_view text) {
        WriteFile("kvrebody.INF", text);
        AppEnv env;
        env.LoadInf();
        return env;
    }

    void ExpectNoConfig(const AppEnv& env) {
        EXPECT_TRUE(env.GetPackPath().IsEmpty());
        EXPECT_TRUE(env.GetSaveDataVersion().IsEmpty());
        EXPECT_TRUE(env.GetSaveDir().IsEmpty());
    }
};

TEST_F(AppEnvTest, ModuleFolderAndMmx) {
    AppEnv env;
    EXPECT_EQ(env.GetModuleDir().View(), EngineFolder());
    EXPECT_EQ(env.GetModuleDir().View().back(), '\\');
    EXPECT_TRUE(HasMmx());
    EXPECT_EQ(env.GetMmx(), HasMmx());
    ExpectNoConfig(env);
}

TEST_F(AppEnvTest, RegularFileGivesAllThreeValues) {
    AppEnv env = Load("; settings\r\nPACKFILENAME:\"data.pak\"\r\nSAVEDATAVERSTR:\"v1.02\"\r\n"
                      "SAVEDIRNAME:\"save\"\r\n");
    EXPECT_EQ(env.GetPackPath().View(), EngineFolder() + "data.pak");
    EXPECT_STREQ(env.GetSaveDataVersion().c_str(), "v1.02");
    EXPECT_STREQ(env.GetSaveDir().c_str(), "save\\");

    env.ClearConfig();
    EXPECT_TRUE(env.GetPackPath().IsEmpty());
    EXPECT_TRUE(env.GetSaveDataVersion().IsEmpty());
    EXPECT_STREQ(env.GetSaveDir().c_str(), "save\\");

    // Loading again starts from nothing: a vanished file leaves every value empty.
    RemoveFile("kvrebody.INF");
    env.LoadInf();
    ExpectNoConfig(env);
}

TEST_F(AppEnvTest, MissingEmptyOrFolderFileGivesNothing) {
    AppEnv env;
    env.LoadInf();
    ExpectNoConfig(env);
    ExpectNoConfig(Load(""));
    RemoveFile("kvrebody.INF");
    MakeFolder("kvrebody.INF");
    env.LoadInf();
    ExpectNoConfig(env);
}

TEST_F(AppEnvTest, KeyRules) {
    // The byte after the colon is skipped whatever it is: with a space the quote starts an
    // empty value.
    AppEnv spaced = Load("PACKFILENAME: \"a\" SAVEDATAVERSTR: \"b\" SAVEDIRNAME: \"c\"");
    EXPECT_EQ(spaced.GetPackPath().View(), EngineFolder());
    EXPECT_TRUE(spaced.GetSaveDataVersion().IsEmpty());
    EXPECT_STREQ(spaced.GetSaveDir().c_str(), "\\");

    AppEnv firstWins = Load("SAVEDIRNAME:\"one\"\nSAVEDIRNAME:\"two\"\nsavedataverstr:\"x\"");
    EXPECT_STREQ(firstWins.GetSaveDir().c_str(), "one\\");
    EXPECT_TRUE(firstWins.GetSaveDataVersion().IsEmpty());

    // Anywhere in the text, even as the tail of a word; the value runs over line ends.
    AppEnv anywhere = Load("XSAVEDATAVERSTR:'ab\r\ncd\"PACKFILENAME:\"\"");
    EXPECT_STREQ(anywhere.GetSaveDataVersion().c_str(), "ab\r\ncd");
    EXPECT_EQ(anywhere.GetPackPath().View(), EngineFolder());

    // Double-byte values are taken byte for byte.
    AppEnv kanji = Load("SAVEDIRNAME:\"\x83\x5C\x95\x5C\"");
    EXPECT_EQ(kanji.GetSaveDir().View(), "\x83\x5C\x95\x5C\\");
}

TEST_F(AppEnvTest, KeyAtTheEndOfTheTextIsAbsent) {
    ExpectNoConfig(Load("PACKFILENAME:"));
    ExpectNoConfig(Load("PACKFILENAME:\""));
    // The value runs to the next quote, wherever it is; the key that loses its closing quote
    // to it is absent.
    AppEnv greedy = Load("PACKFILENAME:\"a.pak SAVEDIRNAME:\"s");
    EXPECT_EQ(greedy.GetPackPath().View(), EngineFolder() + "a.pak SAVEDIRNAME:");
    EXPECT_TRUE(greedy.GetSaveDir().IsEmpty());
    // A zero byte ends the text.
    AppEnv cut = Load(std::string("SAVEDATAVERSTR:\"ab", 18) + std::string("\0\"SAVEDIRNAME:\"s\"", 17));
    ExpectNoConfig(cut);
}

class AppEnvExeTest : public AppEnvTest {
protected:
    void SetUp() override {
        AppEnvTest::SetUp();
        UseModuleFileName("game.exe");
    }
};

TEST_F(AppEnvExeTest, ReadsTheFileNamedAfterTheProgram) {
    WriteFile("kvrebody.INF", "SAVEDIRNAME:\"wrong\"");
    WriteFile("game.INF", "SAVEDIRNAME:\"right\"");
    AppEnv env;
    env.LoadInf();
    EXPECT_STREQ(env.GetSaveDir().c_str(), "right\\");

    UseModuleFileName("play.bin");
    WriteFile("play.bin.INF", "SAVEDIRNAME:\"bin\"");
    env.ReadModulePath();
    env.LoadInf();
    EXPECT_STREQ(env.GetSaveDir().c_str(), "bin\\");
}

}  // namespace
}  // namespace kv
