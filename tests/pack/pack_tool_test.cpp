// kvpack, run in-process on real files: what it packs, and what it refuses before writing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backend/file_service.h"
#include "backend/hub.h"
#include "pack/pack_entry.h"
#include "pack/pack_reader.h"
#include "tests/support/headless_game.h"
#include "tools/pack/pack_tool.h"

namespace {

class PackToolTest : public kvtest::HeadlessGameTest {
public:
    std::string Native(const std::string& name) { return folder_ + "/" + name; }
    kv::String EnginePath(const std::string& name) {
        return kv::String((backend::Get().Files().ModuleFolder() + name).c_str());
    }
    std::string ReadNative(const std::string& name) {
        std::ifstream in(Native(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int Run(std::vector<std::string> arguments) {
        messages_.clear();
        return kvpack::RunPackTool(arguments, messages_);
    }
    std::string Entry(kv::PackReader& reader, const char* name, std::uint32_t kind) {
        if (!reader.FindEntry(name, kind)) return "<missing>";
        std::string bytes(static_cast<std::size_t>(reader.GetEntrySize()), '\0');
        if (!reader.ReadEntry(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size())) return "<unreadable>";
        return bytes;
    }
    std::vector<std::string> messages_;
};

TEST_F(PackToolTest, PacksEachFileUnderItsNameAndKind) {
    WriteFile("src/INIT.SNX", "script");
    WriteFile("src/NECEMEM.SNI", "variables");
    WriteFile("src/BG.PNG", "png");
    WriteFile("src/BG.BMP", "bmp");
    WriteFile("src/snd/SE.WAV", "wav");
    WriteFile("src/BGM.OGG", "ogg");
    ASSERT_EQ(Run({Native("kvrebody1"), Native("src/INIT.SNX"), Native("src/NECEMEM.SNI"), Native("src/BG.PNG"),
                   Native("src/BG.BMP"), Native("src/snd/SE.WAV"), Native("src/BGM.OGG")}),
              kvpack::kOk);
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(FileExistsNative("kvrebody1.tmp"));
    EXPECT_FALSE(FileExistsNative("kvrebody1.tmp.lst"));
    // Scripts and the variable image are stored scrambled.
    EXPECT_EQ(ReadNative("kvrebody1").substr(0, 6), std::string("\xA7\xB7\xA6\xBD\xA4\xA0", 6));

    kv::PackReader reader(EnginePath("kvrebody1"));
    ASSERT_TRUE(reader.IsValid());
    ASSERT_TRUE(reader.LoadIndex());
    EXPECT_EQ(reader.EntryCount(), 6);
    EXPECT_EQ(Entry(reader, "INIT", kv::pack_kind::kScript), "script");
    EXPECT_EQ(Entry(reader, "NECEMEM", kv::pack_kind::kScript), "variables");
    EXPECT_EQ(Entry(reader, "BG", kv::pack_kind::kPng), "png");
    EXPECT_EQ(Entry(reader, "BG", kv::pack_kind::kBmp), "bmp");
    EXPECT_EQ(Entry(reader, "SE", kv::pack_kind::kWav), "wav");
    EXPECT_EQ(Entry(reader, "BGM", kv::pack_kind::kOgg), "ogg");
}

TEST_F(PackToolTest, RefusesNamesThatCannotBeStoredAndWritesNothing) {
    WriteFile("kvrebody1", "old data");
    WriteFile("kvrebody1.lst", "old index");
    WriteFile("GOOD.PNG", "1");
    WriteFile(std::string(64, 'N') + ".PNG", "2");
    WriteFile("BAKE.PNG", "3");
    WriteFile("bake.PNG", "4");
    EXPECT_EQ(Run({Native("kvrebody1"), Native("GOOD.PNG"), Native(std::string(64, 'N') + ".PNG"), Native("bake.PNG"),
                   Native("MISSING.PNG")}),
              kvpack::kFailed);
    ASSERT_EQ(messages_.size(), 3u);
    EXPECT_EQ(messages_[0], Native(std::string(64, 'N') + ".PNG") + ": the name \"" + std::string(64, 'N') +
                                "\" cannot be stored: a name has 1 to 63 bytes and no byte 0x6B ('k')");
    EXPECT_EQ(messages_[1], Native("bake.PNG") + ": the name \"bake\" cannot be stored: a name has 1 to 63 bytes "
                                                 "and no byte 0x6B ('k')");
    EXPECT_EQ(messages_[2], Native("MISSING.PNG") + ": not found");
    EXPECT_EQ(ReadNative("kvrebody1"), "old data");
    EXPECT_EQ(ReadNative("kvrebody1.lst"), "old index");

    EXPECT_EQ(Run({Native("kvrebody1"), Native("GOOD.PNG"), Native("BAKE.PNG")}), kvpack::kOk);
    kv::PackReader reader(EnginePath("kvrebody1"));
    ASSERT_TRUE(reader.LoadIndex());
    EXPECT_EQ(Entry(reader, "BAKE", kv::pack_kind::kPng), "3");
}

TEST_F(PackToolTest, WarnsAboutEntriesTheEngineWouldNeverFind) {
    WriteFile("lower.PNG", "1");
    WriteFile("DATA.TXT", "2");
    WriteFile("a/SAME.PNG", "3");
    WriteFile("b/SAME.PNG", "4");
    EXPECT_EQ(Run({Native("P"), Native("lower.PNG"), Native("DATA.TXT"), Native("a/SAME.PNG"), Native("b/SAME.PNG")}),
              kvpack::kOk);
    EXPECT_EQ(messages_, (std::vector<std::string>{
                             "warning: " + Native("lower.PNG") +
                                 ": the name \"lower\" has lower-case letters; the engine looks names up in upper "
                                 "case and will not find it",
                             "warning: " + Native("DATA.TXT") +
                                 ": no known extension, stored as kind 0, which the engine never looks up",
                             "warning: " + Native("b/SAME.PNG") + ": same name and kind as " + Native("a/SAME.PNG") +
                                 ", which is found first",
                         }));
}

TEST_F(PackToolTest, Usage) {
    EXPECT_EQ(Run({}), kvpack::kUsage);
    EXPECT_EQ(Run({Native("P")}), kvpack::kUsage);
    EXPECT_EQ(Run({"-x", Native("P"), Native("A.PNG")}), kvpack::kUsage);
    EXPECT_EQ(messages_, std::vector<std::string>{"usage: kvpack OUTPUT FILE...   (writes OUTPUT and OUTPUT.lst)"});
}

}  // namespace
