// Operation 113: what the desktop is asked to open for each mode and target, on the headless
// desktop, which records the request instead of starting anything.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/script/ops/line_script_fixture.h"

namespace {

class DesktopOpsTest : public opstest::LineScriptTest {
public:
    std::string RealFolder() const {
        char real[PATH_MAX];
        return ::realpath(folder_.c_str(), real) ? std::string(real) + "/" : std::string();
    }
};

TEST_F(DesktopOpsTest, OpensFilesOfTheGameFolderAndAddressesAndNothingElse) {
    // The engine's own form of the folder, as a script literal.
    std::string engineFolder;
    for (char c : EngineFolder()) engineFolder += c == '\\' ? std::string("\\\\") : std::string(1, c);
    struct Case {
        std::string target;  // a script operand
        int mode;
        // Under the real game folder; "/" first: as it stands; "": nothing opened; none: not asked.
        std::optional<std::string> opened;
    };
    const std::vector<Case> cases = {
        {R"("credits.html")", 0, "credits.html"},
        {R"("CREDITS.HTML")", 0, "credits.html"},            // names match without regard to case
        {R"("docs\\manual.txt")", 0, "docs/manual.txt"},
        {R"("docs")", 0, "docs"},                              // a folder opens too
        {R"("クレジット.html")", 0, "クレジット.html"},        // code page to the real name
        {R"("missing.html")", 0, ""},
        {R"("https://example.org/")", 0, ""},                   // mode 0 is always the game folder
        {"\"" + engineFolder + "credits.html\"", 1, "credits.html"},
        {"\"" + engineFolder + "credits.html\"", -3, "credits.html"},
        {R"("https://example.org/a?b=c d")", 1, "/https://example.org/a?b=c d"},
        {R"("https://example.org/あ")", 1, "/https://example.org/あ"},
        {R"("mailto:someone@example.org")", 1, "/mailto:someone@example.org"},
        {R"("C:\\Games\\credits.html")", 1, ""},               // a drive letter is no address
        {R"("credits.html")", 1, ""},                           // relative to where the game was started
        // Nothing asked: no text, an empty one, one cut short by its 64-byte buffer.
        {R"("")", 0, std::nullopt},
        {"7", 0, std::nullopt},
        {"\"" + std::string(60, 'a') + ".html\"", 0, std::nullopt},
    };
    WriteFile("credits.html", "<html></html>");
    WriteFile("docs/manual.txt", "read me");
    WriteFile("クレジット.html", "<html></html>");
    WriteFile(std::string(60, 'a') + ".ht", "the name cut to its buffer");
    std::string script;
    for (const Case& c : cases) script += "calld OpenExternal " + c.target + ", " + std::to_string(c.mode) + "\n";
    WriteScript("INIT", script + "line 1\nl: line 2\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));

    std::vector<std::string> expected;
    for (const Case& c : cases) {
        if (!c.opened) continue;
        const std::string& opened = *c.opened;
        expected.push_back(opened.empty() ? opened : opened[0] == '/' ? opened.substr(1) : RealFolder() + opened);
    }
    std::vector<std::string> opened;
    for (const backend::OpenRequest& request : Os().Desktop().OpenRequests()) opened.push_back(request.opened);
    EXPECT_EQ(opened, expected);
    EXPECT_EQ(kv::g_vm->StackDepth(), 0);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_TRUE(WindowAlive());
}

}  // namespace
