// The common data file: its bytes, the version check, and that the player's data survives
// every failure.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backend/dialog_service.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/runtime_random.h"
#include "script/save/common_data.h"
#include "script/vm/vm_state.h"
#include "tests/pack/file_size_limit.h"
#include "tests/support/headless_game.h"
#include "tests/support/assembled_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

const std::string kIrregular = "error|This game loaded an irregular save data. This game is terminated.";

class CommonDataTest : public kvtest::HeadlessGameTest {
public:
    void SetUp() override {
        HeadlessGameTest::SetUp();
        kv::SeedRandom(1);
        vm_ = MakeVm(3, 4);
    }
    void TearDown() override {
        vm_.reset();
        HeadlessGameTest::TearDown();
    }

    std::unique_ptr<kv::VmState> MakeVm(std::int32_t ints, std::int32_t flags) {
        const Bytes image = kvtest::AssembledVariables("cint " + std::to_string(ints) + "\ncbyte " +
                                                       std::to_string(flags) + "\n");
        auto vm = std::make_unique<kv::VmState>();
        EXPECT_TRUE(vm->LoadVariableImage(image.data(), image.size()));
        vm->SetSaveFolder(kv::String((backend::Get().Files().ModuleFolder() + "sav\\").c_str()));
        return vm;
    }

    void SetValues(kv::VmState& vm, const std::vector<std::int32_t>& ints, const std::vector<std::uint8_t>& flags) {
        for (std::size_t i = 0; i < ints.size(); ++i) *vm.CInt(static_cast<std::uint32_t>(i)) = ints[i];
        for (std::size_t i = 0; i < flags.size(); ++i) *vm.CByte(static_cast<std::uint32_t>(i)) = flags[i];
    }
    std::vector<std::int32_t> Ints(kv::VmState& vm) {
        std::vector<std::int32_t> out;
        for (std::int32_t i = 0; i < vm.VariableCount(kv::VarBank::CInt); ++i) out.push_back(*vm.CInt(static_cast<std::uint32_t>(i)));
        return out;
    }
    std::vector<std::uint8_t> Flags(kv::VmState& vm) {
        std::vector<std::uint8_t> out;
        for (std::int32_t i = 0; i < vm.VariableCount(kv::VarBank::CByte); ++i) out.push_back(*vm.CByte(static_cast<std::uint32_t>(i)));
        return out;
    }

    Bytes ReadSave() {
        std::ifstream in(std::filesystem::path(folder_) / "sav" / "SAVE__.KVR", std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void WriteSave(const Bytes& bytes) { WriteFile("sav/SAVE__.KVR", bytes); }

    // A file whose masks are all zero, so that the stored values are the values.
    Bytes PlainFile(const std::string& version, const std::vector<std::uint32_t>& ints, const Bytes& flags) {
        Bytes out(16, 0);
        std::copy(version.begin(), version.end(), out.begin());
        for (std::size_t i = 0; i < ints.size(); ++i) out.insert(out.end(), 4, 0);
        for (std::uint32_t v : ints)
            for (int b = 0; b < 4; ++b) out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
        out.insert(out.end(), flags.size(), 0);
        out.insert(out.end(), flags.begin(), flags.end());
        return out;
    }

    std::unique_ptr<kv::VmState> vm_;
};

TEST_F(CommonDataTest, WritesMaskedValuesAndReadsThemBack) {
    SetValues(*vm_, {5, -1, 0x12345678}, {0, 1, 5, 255});
    ASSERT_TRUE(SaveCommonData(*vm_, ""));  // creates the save folder
    const Bytes file = ReadSave();
    ASSERT_EQ(file.size(), 16u + 8 * 3 + 2 * 4);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 16), std::string("DEFAULTVERSION\0\0", 16));
    const std::int32_t ints[] = {5, -1, 0x12345678};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::uint32_t mask = U32(file, 16 + 4 * i);
        EXPECT_LE(mask, 32767u);
        EXPECT_EQ(static_cast<std::int32_t>(U32(file, 28 + 4 * i) ^ mask), ints[i]);
    }
    const std::uint8_t flags[] = {0, 1, 1, 1};  // any non-zero flag is stored as 1
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(file[40 + i] ^ file[44 + i], flags[i]);
    EXPECT_FALSE(FileExistsNative("sav/SAVE__.KVR.tmp"));

    auto next = MakeVm(3, 4);
    SetValues(*next, {9, 9, 9}, {9, 9, 9, 9});
    ASSERT_TRUE(LoadCommonData(*next, ""));
    EXPECT_EQ(Ints(*next), (std::vector<std::int32_t>{5, -1, 0x12345678}));
    EXPECT_EQ(Flags(*next), (std::vector<std::uint8_t>{0, 1, 1, 1}));

    // New masks on every write, the same values after every load.
    ASSERT_TRUE(SaveCommonData(*vm_, ""));
    EXPECT_NE(ReadSave(), file);
    SetValues(*next, {0, 0, 0}, {0, 0, 0, 0});
    ASSERT_TRUE(LoadCommonData(*next, ""));
    EXPECT_EQ(Ints(*next), (std::vector<std::int32_t>{5, -1, 0x12345678}));
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
}

TEST_F(CommonDataTest, UnmaskedFlagsOtherThanOneLoadAsZeroAndExtraBytesAreIgnored) {
    Bytes file = PlainFile("DEFAULTVERSION", {1, 2, 3}, {2, 1, 0, 0xFF});
    file.push_back(0xEE);
    WriteSave(file);
    ASSERT_TRUE(LoadCommonData(*vm_, ""));
    EXPECT_EQ(Ints(*vm_), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(Flags(*vm_), (std::vector<std::uint8_t>{0, 1, 0, 0}));
}

TEST_F(CommonDataTest, EmptyBanksGiveTheVersionFieldAlone) {
    auto empty = MakeVm(0, 0);
    ASSERT_TRUE(SaveCommonData(*empty, "v1"));
    EXPECT_EQ(ReadSave(), (Bytes{'v', '1', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(LoadCommonData(*empty, "v1"));
}

TEST_F(CommonDataTest, TheVersionFieldAndItsCheck) {
    const auto field = [](const char* version) {
        const kv::VersionField f = kv::MakeVersionField(version);
        return std::string(f.begin(), f.end());
    };
    EXPECT_EQ(field(""), std::string("DEFAULTVERSION\0\0", 16));
    EXPECT_EQ(field("ver 1.0"), std::string("ver 1.0\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(field("0123456789ABCDEFGH"), std::string("0123456789ABCDE\0", 16));

    SetValues(*vm_, {1, 2, 3}, {1, 0, 1, 0});
    ASSERT_TRUE(SaveCommonData(*vm_, "0123456789ABCDE-one"));
    auto next = MakeVm(3, 4);
    ASSERT_TRUE(LoadCommonData(*next, "0123456789ABCDE-two"));  // equal in the first 15 bytes
    EXPECT_EQ(Ints(*next), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());

    auto other = MakeVm(3, 4);
    SetValues(*other, {7, 7, 7}, {});
    EXPECT_FALSE(LoadCommonData(*other, "0123456789ABCDX"));
    EXPECT_FALSE(LoadCommonData(*other, ""));
    EXPECT_EQ(Ints(*other), (std::vector<std::int32_t>{7, 7, 7}));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kIrregular, kIrregular}));
}

TEST_F(CommonDataTest, NoFileIsTheFirstRun) {
    SetValues(*vm_, {4, 5, 6}, {1, 1, 1, 1});
    EXPECT_TRUE(LoadCommonData(*vm_, ""));
    EXPECT_EQ(Ints(*vm_), (std::vector<std::int32_t>{4, 5, 6}));
    EXPECT_EQ(Flags(*vm_), (std::vector<std::uint8_t>{1, 1, 1, 1}));
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
}

TEST_F(CommonDataTest, AFileThatCannotBeReadWholeChangesNothingAndIsNamed) {
    const Bytes full = PlainFile("DEFAULTVERSION", {1, 2, 3}, {1, 1, 1, 1});
    struct Case {
        const char* what;
        std::size_t keep;
    };
    for (const Case& c : {Case{"inside the version", 10}, Case{"inside the integer masks", 20},
                          Case{"inside the integers", 36}, Case{"inside the flag masks", 42},
                          Case{"one flag short", full.size() - 1}}) {
        SCOPED_TRACE(c.what);
        WriteSave(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.keep)));
        SetValues(*vm_, {7, 8, 9}, {0, 0, 0, 0});
        EXPECT_FALSE(LoadCommonData(*vm_, ""));
        EXPECT_EQ(Ints(*vm_), (std::vector<std::int32_t>{7, 8, 9}));
        EXPECT_EQ(Flags(*vm_), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    }
    // Something that is there but is no file is not a first run either.
    RemoveFile("sav/SAVE__.KVR");
    std::filesystem::create_directories(std::filesystem::path(folder_) / "sav" / "SAVE__.KVR");
    EXPECT_FALSE(LoadCommonData(*vm_, ""));
    const std::string box = "error|This game failed to read " + EngineFolder() + "sav\\SAVE__.KVR. This game is terminated.";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(6, box));
}

TEST_F(CommonDataTest, AWriteThatFailsHalfWayLeavesTheOldFileIntact) {
    SetValues(*vm_, {1, 2, 3}, {1, 0, 0, 1});
    ASSERT_TRUE(SaveCommonData(*vm_, ""));
    const Bytes old = ReadSave();

    SetValues(*vm_, {100, 200, 300}, {0, 1, 1, 0});
    {
        kvtest::FileSizeLimit diskFull(30);
        ASSERT_TRUE(diskFull.Active());
        EXPECT_FALSE(SaveCommonData(*vm_, ""));
    }
    EXPECT_EQ(ReadSave(), old);
    EXPECT_FALSE(FileExistsNative("sav/SAVE__.KVR.tmp"));

    ASSERT_TRUE(SaveCommonData(*vm_, ""));
    auto next = MakeVm(3, 4);
    ASSERT_TRUE(LoadCommonData(*next, ""));
    EXPECT_EQ(Ints(*next), (std::vector<std::int32_t>{100, 200, 300}));
}

TEST_F(CommonDataTest, OnlyOneFolderLevelIsCreated) {
    vm_->SetSaveFolder(kv::String((backend::Get().Files().ModuleFolder() + "a\\b\\").c_str()));
    EXPECT_FALSE(SaveCommonData(*vm_, ""));
    std::filesystem::create_directories(std::filesystem::path(folder_) / "a");
    EXPECT_TRUE(SaveCommonData(*vm_, ""));
    EXPECT_TRUE(FileExistsNative("a/b/SAVE__.KVR"));
}

}  // namespace
