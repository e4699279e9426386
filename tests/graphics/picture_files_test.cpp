// PNG and BMP pictures: every kind of file the loaders take or refuse (made at test time by
// conformance_pictures.py), the debugger lines of the PNG library, where a load leaves the file,
// and the files the savers write.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/byte_order.h"
#include "base/memory_file.h"
#include "graphics/debug_output.h"
#include "graphics/surface.h"
#include "tests/graphics/picture_test_util.h"
#include "tests/support/headless_game.h"

namespace {

using kv::MemoryFile;
using kv::Surface;

std::vector<std::uint8_t> ReadNative(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> g_debugLines;
void CollectDebugLine(std::string_view line) { g_debugLines.emplace_back(line); }

class PictureFilesTest : public kvtest::HeadlessGameTest {
public:
    static void SetUpTestSuite() {
        pictures_ = std::filesystem::temp_directory_path() / ("kv_pictures_" + std::to_string(::getpid()));
        const std::string command = std::string("/usr/bin/python3 ") + KV_SOURCE_DIR +
                                    "/tests/graphics/conformance_pictures.py " + pictures_.string();
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(pictures_); }

    void SetUp() override {
        HeadlessGameTest::SetUp();
        g_debugLines.clear();
        kv::SetDebugOutputSink(&CollectDebugLine);
    }
    void TearDown() override {
        kv::SetDebugOutputSink(nullptr);
        HeadlessGameTest::TearDown();
    }

    static bool Load(Surface& surface, const std::string& name, const std::vector<std::uint8_t>& bytes) {
        MemoryFile file(bytes);
        return name.ends_with(".png") ? surface.LoadPng(file) : surface.LoadBmp(file);
    }

    static std::filesystem::path pictures_;
};

std::filesystem::path PictureFilesTest::pictures_;

TEST_F(PictureFilesTest, EveryConformancePictureLoadsOrIsRefusedAsItShould) {
    std::ifstream manifest(pictures_ / "manifest.txt");
    std::string line;
    int pictures = 0;
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        std::string name, loads;
        std::int32_t width = 0, height = 0;
        fields >> name >> loads >> width >> height;
        SCOPED_TRACE(name);
        ++pictures;
        Surface surface;
        ASSERT_TRUE(surface.Create(2, 2, 24));
        surface.FillRect24(0, 0, 2, 2, 1, 2, 3);
        const bool loaded = Load(surface, name, ReadNative(pictures_ / name));
        ASSERT_EQ(loaded, loads == "yes");
        if (loaded) {
            EXPECT_EQ(surface.Width(), width);
            EXPECT_EQ(surface.Height(), height);
            EXPECT_EQ(surface.BitsPerPixel(), 24);
            EXPECT_EQ(graphicstest::TopDownBytes(surface), ReadNative(pictures_ / (name + ".bgr")));
        } else if (name.ends_with(".bmp")) {
            EXPECT_TRUE(surface.IsEmpty());  // a BMP load frees the surface first
        }
    }
    EXPECT_GT(pictures, 40);
}

TEST_F(PictureFilesTest, AnUndecodablePngLeavesTheSurfaceAsItWasAndTheLibraryMessagesGoToTheDebugger) {
    struct Case {
        const char* name;
        bool keepsSurface;       // refused before the pixels are touched (else left empty)
        const char* debugStart;  // the first debugger line, "" for none
    };
    const Case cases[] = {
        {"grey-alpha8.png", true, ""},
        {"palette4-trns.png", true, ""},
        {"too-wide.png", true, "libpng error:"},
        {"rgb8-bad-crc.png", false, "libpng error:"},
        {"rgb8-truncated.png", false, "libpng error:"},
        {"rgb8-bad-text.png", false, "libpng warning:"},  // loads, with a warning
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_debugLines.clear();
        Surface surface;
        ASSERT_TRUE(surface.Create(2, 2, 24));
        surface.FillRect24(0, 0, 2, 2, 9, 8, 7);
        const bool loaded = Load(surface, c.name, ReadNative(pictures_ / c.name));
        if (c.keepsSurface) {
            EXPECT_EQ(surface.Width(), 2);
        } else if (!loaded) {
            EXPECT_TRUE(surface.IsEmpty());  // never half a picture
        }
        if (*c.debugStart == 0) {
            EXPECT_TRUE(g_debugLines.empty());
        } else {
            ASSERT_FALSE(g_debugLines.empty());
            EXPECT_TRUE(g_debugLines.front().starts_with(c.debugStart)) << g_debugLines.front();
            EXPECT_NE(g_debugLines.front()[std::string_view(c.debugStart).size()], ' ');
        }
    }
}

// The save file keeps its data right behind the thumbnail: a load must stop exactly there,
// whether the PNG is interlaced or not and whether the file is in memory or on disk.
TEST_F(PictureFilesTest, APngLoadLeavesTheFileRightAfterThePicture) {
    for (const char* name : {"rgb8.png", "rgb8-adam7.png"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> bytes = ReadNative(pictures_ / name);
        const std::size_t pictureSize = bytes.size();
        for (char c : std::string("BEHIND")) bytes.push_back(static_cast<std::uint8_t>(c));
        MemoryFile memory(bytes);
        Surface surface;
        ASSERT_TRUE(surface.LoadPng(memory));
        EXPECT_EQ(memory.Tell(), static_cast<std::int64_t>(pictureSize));

        WriteFile("picture.bin", bytes);
        auto file = backend::Get().Files().OpenFile(EngineFolder() + "picture.bin", backend::FileMode::Read);
        ASSERT_TRUE(file);
        ASSERT_TRUE(surface.LoadPng(*file));
        char behind[6];
        ASSERT_EQ(file->Read(behind, sizeof behind), sizeof behind);
        EXPECT_EQ(std::string(behind, 6), "BEHIND");
    }
}

// Inflates the IDAT data of a PNG and checks its header on the way.
std::vector<std::uint8_t> PngRows(const std::vector<std::uint8_t>& png, std::uint32_t width, std::uint32_t height) {
    auto be32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
    };
    std::vector<std::uint8_t> compressed;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = be32(at);
        const std::string kind(png.begin() + static_cast<std::ptrdiff_t>(at + 4), png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        if (kind == "IHDR") {
            EXPECT_EQ(be32(at + 8), width);
            EXPECT_EQ(be32(at + 12), height);
            EXPECT_EQ(png[at + 16], 8);   // bit depth
            EXPECT_EQ(png[at + 17], 2);   // RGB
            EXPECT_EQ(png[at + 20], 0);   // not interlaced
        }
        if (kind == "IDAT") compressed.insert(compressed.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                              png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        at += 12 + length;
    }
    std::vector<std::uint8_t> rows((3 * width + 1) * height);
    uLongf size = rows.size();
    EXPECT_EQ(uncompress(rows.data(), &size, compressed.data(), compressed.size()), Z_OK);
    EXPECT_EQ(size, rows.size());
    return rows;
}

TEST_F(PictureFilesTest, TheThumbnailIsAnEightBitRgbPngWithSubFilteredRowsTopRowFirst) {
    Surface picture;
    ASSERT_TRUE(graphicstest::MakePatterned(picture, 37, 11, 5));
    MemoryFile file;
    ASSERT_TRUE(picture.SavePng(file));
    const std::vector<std::uint8_t> png(file.Bytes().begin(), file.Bytes().end());
    const std::vector<std::uint8_t> rows = PngRows(png, 37, 11);
    // Every row is Sub-filtered; undoing it on the first row gives the top row in RGB order.
    for (std::size_t row = 0; row < 11; ++row) EXPECT_EQ(rows[row * (3 * 37 + 1)], 1) << row;
    std::vector<std::uint8_t> top(3 * 37);
    for (std::size_t i = 0; i < top.size(); ++i) top[i] = static_cast<std::uint8_t>(rows[1 + i] + (i >= 3 ? top[i - 3] : 0));
    const std::uint8_t* stored = picture.PixelAt(0, 0);
    for (std::size_t x = 0; x < 37; ++x) {
        EXPECT_EQ(top[3 * x], stored[3 * x + 2]);
        EXPECT_EQ(top[3 * x + 2], stored[3 * x]);
    }
    // The data written behind it is where the next load leaves off.
    file.Write("X", 1);
    ASSERT_TRUE(file.Seek(0));
    Surface back;
    ASSERT_TRUE(back.LoadPng(file));
    EXPECT_EQ(graphicstest::TopDownBytes(back), graphicstest::TopDownBytes(picture));
    char next = 0;
    EXPECT_EQ(file.Read(&next, 1), 1u);
    EXPECT_EQ(next, 'X');

    // Only 24-bit pictures are written; a file that cannot take the bytes fails the save.
    Surface other;
    MemoryFile sink;
    EXPECT_FALSE(other.SavePng(sink));
    ASSERT_TRUE(other.Create(3, 3, 32));
    EXPECT_FALSE(other.SavePng(sink));
    MemoryFile readOnly(std::span<const std::uint8_t>{});
    EXPECT_FALSE(picture.SavePng(readOnly));
    EXPECT_FALSE(g_debugLines.empty());
}

TEST_F(PictureFilesTest, OurOwnBmpsOfEveryDepthLoadBackAsTwentyFourBits) {
    struct Case {
        std::int32_t bits;
        std::uint32_t offset;
    };
    for (const Case& c : {Case{24, 54}, Case{16, 66}, Case{32, 66}}) {
        SCOPED_TRACE(c.bits);
        Surface colours, picture;
        ASSERT_TRUE(graphicstest::MakePatterned(colours, 5, 3, 77));
        ASSERT_TRUE(picture.Create(5, 3, c.bits));
        picture.CopyFrom(colours);
        WriteFile("saved.bmp", "");
        ASSERT_TRUE(picture.SaveBmp((EngineFolder() + "saved.bmp").c_str()));
        const std::vector<std::uint8_t> bytes = ReadNative(std::filesystem::path(folder_) / "saved.bmp");
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(kv::ReadLe32(&bytes[10]), c.offset);
        EXPECT_EQ(kv::ReadLe32(&bytes[2]), bytes.size());

        auto file = backend::Get().Files().OpenFile(EngineFolder() + "saved.bmp", backend::FileMode::Read);
        ASSERT_TRUE(file);
        Surface back;
        ASSERT_TRUE(back.LoadBmp(*file));
        EXPECT_EQ(back.BitsPerPixel(), 24);
        std::vector<std::uint8_t> expected = graphicstest::TopDownBytes(colours);
        if (c.bits == 16) {
            for (std::uint8_t& byte : expected) byte = static_cast<std::uint8_t>((byte & 0xF8) | (byte >> 5));
        }
        EXPECT_EQ(graphicstest::TopDownBytes(back), expected);
    }
}

}  // namespace
