// Pack archives: the bytes the writer produces, the reader's lookups and its checks of a
// damaged index, and access to the data file.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backend/file_service.h"
#include "backend/hub.h"
#include "pack/pack_entry.h"
#include "pack/pack_entry_type.h"
#include "pack/pack_reader.h"
#include "pack/pack_writer.h"
#include "tests/pack/file_size_limit.h"
#include "tests/support/headless_game.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kKeyWord = 0x6B6B6B6B;

void PutU32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// An index record as the format describes it, built here independently of the engine's
// encoder. name is stored as given (already scrambled or not, see Scramble).
struct RawEntry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::string name;  // raw field bytes, at most 64
    std::uint32_t kind = 0;
};

std::string Scramble(const std::string& name) {
    std::string out = name;
    for (char& c : out) c = static_cast<char>(c ^ 0x6B);
    return out;
}

Bytes RawIndex(std::int32_t count, const std::vector<RawEntry>& entries) {
    Bytes out;
    PutU32(out, static_cast<std::uint32_t>(count) ^ kKeyWord);
    for (const RawEntry& e : entries) {
        PutU32(out, e.offset ^ kKeyWord);
        PutU32(out, e.size ^ kKeyWord);
        std::string field = e.name;
        field.resize(64, '\0');
        out.insert(out.end(), field.begin(), field.end());
        PutU32(out, e.kind);
    }
    return out;
}

class PackTest : public kvtest::HeadlessGameTest {
public:
    std::string Engine(const std::string& name) { return backend::Get().Files().ModuleFolder() + name; }
    kv::String EnginePath(const std::string& name) { return kv::String(Engine(name).c_str()); }

    Bytes ReadNative(const std::string& name) {
        std::ifstream in(std::filesystem::path(folder_) / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    void WriteRawPack(const std::string& base, std::int32_t count, const std::vector<RawEntry>& entries,
                      std::string_view data) {
        WriteFile(base, data);
        WriteFile(base + ".lst", RawIndex(count, entries));
    }

    // Reads the current entry whole.
    std::string ReadCurrent(kv::PackReader& reader) {
        std::int32_t size = reader.GetEntrySize();
        if (size < 0) return "<no entry>";
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!reader.ReadEntry(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size())) return "<read failed>";
        return bytes;
    }
};

TEST_F(PackTest, WriterProducesTheFormatAndTheReaderReadsItBack) {
    WriteFile("src/A.SNX", std::string("\x01\x02\x03", 3));
    WriteFile("src/PIC.PNG", "png!");
    kv::PackWriter writer;
    ASSERT_TRUE(writer.Create(Engine("DATA").c_str()));
    ASSERT_TRUE(writer.AllocEntries(3));  // one record more than files: it stays empty
    EXPECT_EQ(writer.AddFile(Engine("src\\A.SNX").c_str(), kv::pack_kind::kScript), 3u);
    EXPECT_EQ(writer.AddFile(Engine("src\\PIC.PNG").c_str(), kv::pack_kind::kPng), 4u);
    writer.CloseData();
    ASSERT_TRUE(writer.WriteIndex());

    // Data: the script scrambled with 0xD4, the picture as it is.
    EXPECT_EQ(ReadNative("DATA"), (Bytes{0x01 ^ 0xD4, 0x02 ^ 0xD4, 0x03 ^ 0xD4, 'p', 'n', 'g', '!'}));
    const Bytes expectedIndex = RawIndex(3, {{0, 3, Scramble("A"), 1}, {3, 4, Scramble("PIC"), 3}, {0, 0, "", 0}});
    const Bytes index = ReadNative("DATA.lst");
    EXPECT_EQ(index, expectedIndex);

    // The table stays plain: writing the index again gives the same file.
    ASSERT_TRUE(writer.WriteIndex());
    EXPECT_EQ(ReadNative("DATA.lst"), expectedIndex);

    kv::PackReader reader(EnginePath("DATA"));
    ASSERT_TRUE(reader.IsValid());
    ASSERT_TRUE(reader.LoadIndex());
    EXPECT_EQ(reader.EntryCount(), 3);
    ASSERT_TRUE(reader.FindEntry("a", kv::pack_kind::kScript));  // looked up in upper case
    EXPECT_EQ(ReadCurrent(reader), std::string("\x01\x02\x03", 3));
    ASSERT_TRUE(reader.FindEntry("PIC", kv::pack_kind::kPng));
    EXPECT_EQ(ReadCurrent(reader), "png!");
    EXPECT_FALSE(reader.FindEntry("PIC", kv::pack_kind::kBmp));
    // The empty record is never found.
    EXPECT_FALSE(reader.FindEntry("", kv::pack_kind::kOther));
}

TEST_F(PackTest, LookupsTakeTheFirstMatchAndCompareWholeNames) {
    const std::string longName(64, 'X');  // fills the field: no terminator stored
    WriteRawPack("P", 5,
                 {{0, 1, Scramble("DUP"), 2},
                  {1, 1, Scramble("DUP"), 3},
                  {2, 1, Scramble("DUP"), 3},
                  {3, 1, Scramble("lower"), 3},
                  {4, 2, Scramble(longName), 3}},
                 "abcdef");
    kv::PackReader reader(EnginePath("P"));
    ASSERT_TRUE(reader.LoadIndex());

    EXPECT_EQ(reader.GetEntrySize(), -1);
    ASSERT_TRUE(reader.FindEntryOfTypes("dup", 3, 2));
    EXPECT_EQ(ReadCurrent(reader), "a");  // the BMP stands first
    ASSERT_TRUE(reader.FindEntry("DUP", 3));
    EXPECT_EQ(ReadCurrent(reader), "b");

    // A miss keeps the current entry; a stored lower-case name is never found.
    EXPECT_FALSE(reader.FindEntry("lower", 3));
    EXPECT_EQ(ReadCurrent(reader), "b");
    EXPECT_FALSE(reader.FindEntry("DU", 3));
    EXPECT_FALSE(reader.FindEntry("DUPE", 3));

    ASSERT_TRUE(reader.FindEntry(longName.c_str(), 3));
    EXPECT_EQ(ReadCurrent(reader), "ef");
    EXPECT_FALSE(reader.FindEntry(std::string(63, 'X').c_str(), 3));
    EXPECT_FALSE(reader.FindEntry(std::string(65, 'X').c_str(), 3));
}

TEST_F(PackTest, AStoredKeyByteStandsForItself) {
    // Only an index made elsewhere holds one: the reader leaves it unchanged.
    WriteRawPack("P", 1, {{0, 1, std::string{'A' ^ 0x6B, 0x6B, 'B' ^ 0x6B}, 3}}, "z");
    kv::PackReader reader(EnginePath("P"));
    ASSERT_TRUE(reader.LoadIndex());
    ASSERT_NE(reader.EntryAt(0), nullptr);
    EXPECT_STREQ(reader.EntryAt(0)->name, "AkB");
}

TEST_F(PackTest, ADamagedIndexIsRefusedAndFindsNothing) {
    struct Case {
        const char* what;
        Bytes index;
        bool loads;
        std::int32_t entries;
    };
    Bytes shortCount = RawIndex(1, {});
    shortCount.resize(3);
    Bytes cutRecord = RawIndex(2, {{0, 1, Scramble("A"), 3}, {1, 1, Scramble("B"), 3}});
    cutRecord.resize(cutRecord.size() - 1);
    const std::vector<Case> cases = {
        {"count 0", RawIndex(0, {}), true, 0},
        {"negative count", RawIndex(-5, {}), true, 0},
        {"count beyond the file", RawIndex(1000000, {{0, 1, Scramble("A"), 3}}), false, 0},
        {"count one above the records", RawIndex(3, {{0, 1, Scramble("A"), 3}, {1, 1, Scramble("B"), 3}}), false, 0},
        {"last record cut short", cutRecord, false, 0},
        {"no count", shortCount, false, 0},
        {"entry ending at the data end", RawIndex(1, {{1, 3, Scramble("A"), 3}}), true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile("P", "abcd");
        WriteFile("P.lst", c.index);
        // A reader that had a good table before: a refused index must not keep it.
        kv::PackReader reader(EnginePath("P"));
        WriteFile("GOOD", "x");
        WriteFile("GOOD.lst", RawIndex(1, {{0, 1, Scramble("A"), 3}}));
        kv::PackReader good(EnginePath("GOOD"));
        ASSERT_TRUE(good.LoadIndex());
        EXPECT_EQ(reader.LoadIndex(), c.loads);
        EXPECT_EQ(reader.EntryCount(), c.entries);
        EXPECT_EQ(reader.FindEntry("A", 3), c.entries > 0);
        good.Open(EnginePath("P"));
        EXPECT_EQ(good.LoadIndex(), c.loads);
        EXPECT_EQ(good.EntryCount(), c.entries);
    }
}

// The bad record has no size to make room for, and reads of it fail however much room is
// given; the other records read as ever. The data file may also shrink after the index load.
TEST_F(PackTest, ARecordPastTheDataEndFailsOnlyItsOwnReads) {
    struct Case {
        const char* what;
        RawEntry bad;            // stands in for one of the three records below
        std::size_t position;    // which one
    };
    const std::vector<Case> cases = {
        {"last entry cut short", {8, 5, Scramble("C"), 3}, 2},
        {"last entry starting past the end", {13, 0, Scramble("C"), 3}, 2},
        {"middle entry past the end", {10, 4, Scramble("B"), 3}, 1},
        {"middle entry at an offset beyond 2 GiB", {0x80000000u, 1, Scramble("B"), 3}, 1},
        {"middle entry whose size wraps around", {1, 0xFFFFFFFFu, Scramble("B"), 3}, 1},
        {"first entry of a size beyond 2 GiB", {0, 0x80000000u, Scramble("A"), 3}, 0},
    };
    const std::string data = "aaaabbbbcccc";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<RawEntry> records = {{0, 4, Scramble("A"), 3}, {4, 4, Scramble("B"), 3}, {8, 4, Scramble("C"), 3}};
        records[c.position] = c.bad;
        WriteRawPack("P", 3, records, data);
        kv::PackReader reader(EnginePath("P"));
        ASSERT_TRUE(reader.LoadIndex());
        ASSERT_EQ(reader.EntryCount(), 3);
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string name(1, static_cast<char>('A' + i));
            SCOPED_TRACE(name);
            ASSERT_TRUE(reader.FindEntry(name.c_str(), 3));
            const bool bad = i == c.position;
            const std::string content = data.substr(4 * i, 4);
            EXPECT_EQ(ReadCurrent(reader), bad ? std::string("<no entry>") : content);
            std::vector<std::uint8_t> room(64);
            if (bad) {
                EXPECT_FALSE(reader.ReadEntry(room.data(), room.size()));
            }
            // Through the open data file, as the picture and sound loaders read.
            ASSERT_TRUE(reader.OpenData(kv::PackReader::kStreamMode));
            EXPECT_EQ(reader.SeekEntry(), !bad);
            if (!bad) {
                char bytes[4] = {};
                ASSERT_EQ(reader.Data()->Read(bytes, 4), 4u);
                EXPECT_EQ(std::string(bytes, 4), content);
            }
            reader.CloseData();
        }
    }

    // The data file cut short after the index was loaded: the size still stands, the read fails.
    WriteRawPack("Q", 3, {{0, 4, Scramble("A"), 3}, {4, 4, Scramble("B"), 3}, {8, 4, Scramble("C"), 3}}, data);
    kv::PackReader reader(EnginePath("Q"));
    ASSERT_TRUE(reader.LoadIndex());
    WriteFile("Q", data.substr(0, 10));
    ASSERT_TRUE(reader.FindEntry("C", 3));
    EXPECT_EQ(ReadCurrent(reader), "<read failed>");
    ASSERT_TRUE(reader.FindEntry("B", 3));
    EXPECT_EQ(ReadCurrent(reader), "bbbb");
}

TEST_F(PackTest, OpenNeedsBothFilesWhateverTheirCase) {
    kv::PackReader reader(EnginePath("kvrebody1"));
    EXPECT_FALSE(reader.IsValid());
    EXPECT_TRUE(reader.DataPath().IsEmpty());
    EXPECT_FALSE(reader.FindEntry("A", 3));

    WriteFile("KVREBODY1", "a");
    EXPECT_FALSE(kv::PackReader(EnginePath("kvrebody1")).IsValid());  // no index
    WriteFile("KVREBODY1.LST", RawIndex(1, {{0, 1, Scramble("A"), 3}}));
    reader.Open(EnginePath("kvrebody1"));
    ASSERT_TRUE(reader.IsValid());
    ASSERT_TRUE(reader.LoadIndex());
    ASSERT_TRUE(reader.FindEntry("a", 3));
    EXPECT_EQ(ReadCurrent(reader), "a");

    // A failed open clears the valid flag and keeps the paths.
    reader.Open(EnginePath("missing"));
    EXPECT_FALSE(reader.IsValid());
    EXPECT_EQ(reader.DataPath().View(), Engine("kvrebody1"));
    EXPECT_EQ(reader.IndexPath().View(), Engine("kvrebody1.lst"));
}

TEST_F(PackTest, DataFileAccess) {
    WriteRawPack("P", 2, {{0, 2, Scramble("S"), 1}, {2, 3, Scramble("W"), 4}}, std::string("\xD5\xD6" "abc", 5));
    kv::PackReader reader(EnginePath("P"));
    ASSERT_TRUE(reader.LoadIndex());

    EXPECT_FALSE(reader.SeekEntry());  // nothing opened, no entry
    ASSERT_TRUE(reader.OpenData(kv::PackReader::kHandleMode));
    EXPECT_FALSE(reader.SeekEntry());  // no current entry
    EXPECT_FALSE(reader.OpenData(kv::PackReader::kHandleMode));
    EXPECT_FALSE(reader.OpenData(kv::PackReader::kStreamMode));  // one open data file at a time
    ASSERT_TRUE(reader.FindEntry("W", 4));
    ASSERT_TRUE(reader.SeekEntry());
    char bytes[3] = {};
    ASSERT_EQ(reader.Data()->Read(bytes, 3), 3u);
    EXPECT_EQ(std::string(bytes, 3), "abc");

    // A stream that takes the data file leaves the reader free to open it again.
    std::unique_ptr<backend::FileHandle> taken = reader.TakeData();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(reader.Data(), nullptr);
    ASSERT_TRUE(reader.OpenData(kv::PackReader::kStreamMode));
    reader.CloseData();
    EXPECT_EQ(reader.Data(), nullptr);

    // Whole reads: scripts come out unscrambled; a buffer too small or a data file cut short
    // after the index was loaded fails.
    ASSERT_TRUE(reader.FindEntry("S", 1));
    EXPECT_EQ(ReadCurrent(reader), "\x01\x02");
    std::uint8_t small[1];
    EXPECT_FALSE(reader.ReadEntry(small, sizeof small));
    WriteFile("P", "\xD5\xD6" "ab");
    ASSERT_TRUE(reader.FindEntry("W", 4));
    EXPECT_EQ(ReadCurrent(reader), "<read failed>");
}

TEST_F(PackTest, AFileThatFailsHalfWayLeavesNoGapBehind) {
    WriteFile("A.PNG", std::string(100, 'a'));
    WriteFile("B.PNG", std::string(1000, 'b'));
    WriteFile("C.PNG", std::string(50, 'c'));
    kv::PackWriter writer;
    ASSERT_TRUE(writer.Create(Engine("DATA").c_str()));
    ASSERT_TRUE(writer.AllocEntries(3));
    EXPECT_EQ(writer.AddFile(Engine("A.PNG").c_str(), 3), 100u);
    {
        kvtest::FileSizeLimit diskFull(600);
        ASSERT_TRUE(diskFull.Active());
        EXPECT_EQ(writer.AddFile(Engine("B.PNG").c_str(), 3), 0u);
    }
    EXPECT_EQ(writer.EntriesRecorded(), 1);
    EXPECT_EQ(writer.BytesWritten(), 100u);
    EXPECT_EQ(writer.AddFile(Engine("C.PNG").c_str(), 3), 50u);
    ASSERT_NE(writer.EntryAt(1), nullptr);
    EXPECT_EQ(writer.EntryAt(1)->offset, 100u);
    writer.CloseData();
    ASSERT_TRUE(writer.WriteIndex());

    kv::PackReader reader(EnginePath("DATA"));
    ASSERT_TRUE(reader.LoadIndex());
    ASSERT_TRUE(reader.FindEntry("C", 3));
    EXPECT_EQ(ReadCurrent(reader), std::string(50, 'c'));
    EXPECT_FALSE(reader.FindEntry("B", 3));
}

TEST_F(PackTest, TheWriterRecordsOnlyWhatItCanStore) {
    WriteFile("OK.PNG", "1");
    WriteFile(std::string(63, 'L') + ".PNG", "2");
    WriteFile(std::string(64, 'L') + ".PNG", "3");
    WriteFile("BAKE.PNG", "4");
    WriteFile("bake.PNG", "5");
    kv::PackWriter writer;
    EXPECT_EQ(writer.AddFile(Engine("OK.PNG").c_str(), 3), 0u);  // no data file yet
    ASSERT_TRUE(writer.Create(Engine("DATA").c_str()));
    EXPECT_FALSE(writer.AllocEntries(-1));
    ASSERT_TRUE(writer.AllocEntries(3));
    EXPECT_EQ(writer.AddFile(Engine(std::string(64, 'L') + ".PNG").c_str(), 3), 0u);
    EXPECT_EQ(writer.AddFile(Engine("bake.PNG").c_str(), 3), 0u);  // 'k' is the index key
    EXPECT_EQ(writer.AddFile(Engine("MISSING.PNG").c_str(), 3), 0u);
    EXPECT_EQ(writer.AddFile(Engine(std::string(63, 'L') + ".PNG").c_str(), 3), 1u);
    EXPECT_EQ(writer.AddFile(Engine("BAKE.PNG").c_str(), 3), 1u);
    EXPECT_EQ(writer.AddFile(Engine("OK.PNG").c_str(), 3), 1u);
    EXPECT_EQ(writer.AddFile(Engine("OK.PNG").c_str(), 3), 0u);  // the table is full
    EXPECT_EQ(writer.EntriesRecorded(), 3);
    EXPECT_EQ(writer.BytesWritten(), 3u);
    writer.CloseData();
    ASSERT_TRUE(writer.WriteIndex());

    kv::PackReader reader(EnginePath("DATA"));
    ASSERT_TRUE(reader.LoadIndex());
    ASSERT_TRUE(reader.FindEntry(std::string(63, 'L').c_str(), 3));
    EXPECT_EQ(ReadCurrent(reader), "2");
    ASSERT_TRUE(reader.FindEntry("bake", 3));
    EXPECT_EQ(ReadCurrent(reader), "4");
}

TEST_F(PackTest, CreateEmptiesAnOldDataFile) {
    WriteFile("DATA", std::string(500, 'o'));
    WriteFile("A.PNG", "new");
    kv::PackWriter writer;
    ASSERT_TRUE(writer.Create(Engine("DATA").c_str()));
    ASSERT_TRUE(writer.AllocEntries(1));
    EXPECT_EQ(writer.AddFile(Engine("A.PNG").c_str(), 3), 3u);
    writer.CloseData();
    EXPECT_EQ(ReadNative("DATA"), (Bytes{'n', 'e', 'w'}));
}

TEST(PackEntryNames, NameAndKindFromThePath) {
    EXPECT_STREQ(kv::PackEntryNameFromPath("C:\\game\\data\\BG01.PNG").c_str(), "BG01");
    EXPECT_STREQ(kv::PackEntryNameFromPath("INIT.SNX").c_str(), "INIT");
    EXPECT_TRUE(kv::PackEntryNameFromPath("dir\\.PNG").IsEmpty());
    // 0x5C as the second byte of a double-byte character is no folder separator.
    EXPECT_STREQ(kv::PackEntryNameFromPath("a\\\x95\x5C" "X.PNG").c_str(), "\x95\x5C" "X");

    EXPECT_EQ(kv::GetPackEntryType("INIT.SNX"), 1u);
    EXPECT_EQ(kv::GetPackEntryType("A.BMP"), 2u);
    EXPECT_EQ(kv::GetPackEntryType("A.PNG"), 3u);
    EXPECT_EQ(kv::GetPackEntryType("A.WAV"), 4u);
    EXPECT_EQ(kv::GetPackEntryType("A.OGG"), 5u);
    EXPECT_EQ(kv::GetPackEntryType("a.png"), 0u);  // case-sensitive
    EXPECT_EQ(kv::GetPackEntryType("NECEMEM.SNI"), 0u);
    EXPECT_EQ(kv::GetPackEntryType("X.PNG.SNX"), 1u);  // tested in order, anywhere in the name
    EXPECT_EQ(kv::GetPackEntryType(""), 0u);
}

}  // namespace
