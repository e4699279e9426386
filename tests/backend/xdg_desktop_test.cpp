// The real desktop service started on a stand-in opener (a script in a temporary folder): the
// target arrives as one argument without a shell, the game does not wait, no file of the game
// leaks into the opener, and the finished opener does not stay behind as a zombie.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "backend/posix/path_resolver.h"
#include "backend/posix/posix_file_service.h"
#include "backend/posix/xdg_desktop.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Polls for up to five seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

class XdgDesktopTest : public ::testing::Test {
public:
    void SetUp() override {
        char pattern[] = "/tmp/kv_desktop_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        char real[PATH_MAX];
        ASSERT_NE(::realpath(pattern, real), nullptr);
        folder_ = real;
        files_ = std::make_unique<backend::PosixFileService>(backend::CodePage::ShiftJis,
                                                             backend::ProgramLocation{folder_, "kvrebody"});
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // A stand-in opener: writes its argument count, its argument, its process id and whether
    // the descriptor leakedFd is open in it, then lingers a second before it marks its end.
    std::string WriteOpener(int leakedFd) {
        const fs::path opener = fs::path(folder_) / "opener";
        std::ofstream(opener) << "#!/bin/sh\n"
                              << "if [ -e /proc/$$/fd/" << leakedFd << " ]; then fd=open; else fd=closed; fi\n"
                              << "printf '%s|%s|%s|%s' \"$#\" \"$1\" \"$$\" \"$fd\" > '" << folder_ << "/args.tmp'\n"
                              << "mv '" << folder_ << "/args.tmp' '" << folder_ << "/args'\n"
                              << "sleep 1\n"
                              << "touch '" << folder_ << "/done'\n";
        fs::permissions(opener, fs::perms::owner_all);
        return opener.string();
    }

    std::string EnginePath(const std::string& name) const {
        return backend::EngineFolderFromNative(backend::CodePage::ShiftJis, folder_) + name;
    }

    std::string folder_;
    std::unique_ptr<backend::PosixFileService> files_;
};

TEST_F(XdgDesktopTest, StartsTheOpenerOnTheRealPathWithoutWaitingAndReapsIt) {
    const std::string name = "a b;$(touch x)'\".html";
    std::ofstream(fs::path(folder_) / name) << "<html></html>";
    // A descriptor of the game opened without close-on-exec, like one a library might hold.
    const int leaked = ::open((fs::path(folder_) / name).c_str(), O_RDONLY);
    ASSERT_GE(leaked, 3);
    backend::XdgDesktop desktop(*files_, backend::CodePage::ShiftJis, WriteOpener(leaked));

    EXPECT_TRUE(desktop.OpenWithDefaultProgram(EnginePath(name)));
    EXPECT_FALSE(fs::exists(fs::path(folder_) / "done"));  // the opener is still lingering
    ::close(leaked);

    ASSERT_TRUE(Eventually([&] { return fs::exists(fs::path(folder_) / "args"); }));
    const std::string args = ReadAll(fs::path(folder_) / "args");
    const std::string expectedStart = "1|" + folder_ + "/" + name + "|";
    ASSERT_EQ(args.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(args.substr(args.rfind('|') + 1), "closed");

    // Once it has ended, nothing of it stays: a zombie would keep its /proc entry.
    const std::string pid = args.substr(expectedStart.size(), args.rfind('|') - expectedStart.size());
    ASSERT_TRUE(Eventually([&] { return fs::exists(fs::path(folder_) / "done"); }));
    EXPECT_TRUE(Eventually([&] { return !fs::exists("/proc/" + pid); })) << "the opener was not reaped";
}

TEST_F(XdgDesktopTest, NothingStartsForAMissingTargetOrAMissingOpener) {
    std::ofstream(fs::path(folder_) / "page.html") << "<html></html>";
    backend::XdgDesktop desktop(*files_, backend::CodePage::ShiftJis, WriteOpener(1000));
    EXPECT_FALSE(desktop.OpenWithDefaultProgram(EnginePath("missing.html")));
    EXPECT_FALSE(desktop.OpenWithDefaultProgram(""));

    backend::XdgDesktop noOpener(*files_, backend::CodePage::ShiftJis, folder_ + "/no-such-opener");
    EXPECT_FALSE(noOpener.OpenWithDefaultProgram(EnginePath("page.html")));
    EXPECT_FALSE(noOpener.OpenWithDefaultProgram("https://example.org/"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(fs::path(folder_) / "args.tmp"));
    EXPECT_FALSE(fs::exists(fs::path(folder_) / "args"));
}

}  // namespace
