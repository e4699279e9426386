// The bundled demo game, played on the headless backend from its sources.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "backend/clock_service.h"
#include "backend/code_page.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "backend/key_codes.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "base/memory_file.h"
#include "graphics/surface.h"
#include "platform/display_mode.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/screens/backlog_view.h"
#include "script/screens/message_history.h"
#include "script/save/common_data.h"
#include "script/vm/vm_state.h"
#include "tests/support/assembled_image.h"
#include "tests/support/headless_game.h"

namespace {

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(KV_SOURCE_DIR) + "/" + relative);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A demo script as its Shift-JIS build assembles it: after its lines, when it has any.
std::string DemoScript(const std::string& name) {
    const std::string text = "demo/text/japanese/" + name + ".kvs";
    const std::string lines = std::filesystem::exists(std::string(KV_SOURCE_DIR) + "/" + text) ? ReadSource(text) : "";
    return lines + ReadSource("demo/scripts/" + name + ".kvs");
}

const char kMapCaption[] = "kvrebody demo - where to go? (right click: settings)";
const char kChoiceCaption[] = "kvrebody demo - a choice: the mouse, or Up, Down and Enter";
const char kSettingsCaption[] = "kvrebody demo - settings: screen effects on";
const char kSaveCaption[] = "kvrebody demo - save: choose a slot";
const char kLoadCaption[] = "kvrebody demo - load: choose a slot";

class DemoGameTest : public kvtest::HeadlessGameTest {
public:
    void WriteDemo() {
        WriteVariables("NECEMEM.SNI", ReadSource("demo/NECEMEM.kvd"));
        for (const char* script : {"INIT", "SCENE1", "TITLE", "PICTURES", "PAUSE", "STORY", "BUTTONS", "MAP", "RCLICK",
                                   "AUTO", "SKIP", "VOICE", "LOG"}) {
            WriteScript(std::string(script) + ".SNX", DemoScript(script));
        }
        // The demo's pictures, drawn as its build draws them.
        for (const auto& picture : std::filesystem::directory_iterator(KV_DEMO_PICTURES)) {
            std::filesystem::create_directories(std::filesystem::path(folder_) / "grp");
            std::filesystem::copy_file(picture.path(), std::filesystem::path(folder_) / "grp" / picture.path().filename());
        }
        WriteFile("OPENING.MPG", std::string_view("the fake movie service plays any file"));
        // The demo's sounds, made as its build makes them.
        const std::string make = std::string(KV_SOURCE_DIR) + "/demo/make_sounds.sh " + folder_ + "/snd " + folder_ + "/work";
        ASSERT_EQ(std::system(make.c_str()), 0);
    }

    // Plays until the second screen has shown, clicking (press, then release) now and then
    // while a caption asks for it; returns every caption in the order shown. firstScreen_ gets
    // the picture shown when the first click is asked for.
    std::vector<std::string> Play(bool* fullScreenAtStart = nullptr) {
        // The name-entry dialog: OK on the default names (the first box to answer is its
        // confirmation).
        Os().Dialogs().QueueDialogInput(backend::DialogInput::PressKey(backend::key::Return));
        std::vector<std::string> captions;
        int clickStep = 0;
        std::vector<std::uint8_t> shown;
        Os().Clock().SetSleepHook([&] {
            backend::HeadlessHub& os = Os();
            if (!kv::g_mainWindow || !os.Windows().IsWindow(kv::g_mainWindow->Handle())) return;
            // Only the last picture is kept: the demo presents hundreds.
            if (!os.Windows().Frames().empty()) {
                shown = os.Windows().Frames().back().bgr;
                os.Windows().ClearFrames();
            }
            std::string caption = os.Windows().GetWindowCaption(kv::g_mainWindow->Handle());
            if (fullScreenAtStart && caption == "kvrebody demo - a called script")
                *fullScreenAtStart = kv::g_displayMode->IsFullScreen();
            if (captions.empty() || captions.back() != caption) {
                captions.push_back(caption);
                clickStep = 0;
                if (caption.ends_with(", click to go on")) firstScreen_ = shown;
            }
            if (caption.ends_with("click to go on") && clickStep++ % 200 < 2) {
                os.Events().QueueMouseButton(0, clickStep % 200 == 1);
            }
            // The story's choice: Up from no choice is the last one, the park; a Return before
            // it picks nothing.
            if (caption == kChoiceCaption) {
                const int step = clickStep++ % 200;
                if (step == 50 || step == 51) os.Events().QueueKey(backend::key::Up, step == 50);
                if (step == 150 || step == 151) os.Events().QueueKey(backend::key::Return, step == 150);
            }
            // The map: the settings screen by the right click, its SAVE and the first slot, which
            // returns to the map; again the settings screen, its LOAD and the first slot, which
            // brings the saved map back; then the park.
            const auto clickAt = [&](int button, std::int32_t x, std::int32_t y) {
                if (clickStep == 0) {
                    os.Events().QueueSystemMessage(
                        {kv::g_mainWindow->Handle(), backend::MessageKind::MouseMove, x, y, 0});
                }
                const int step = clickStep++ % 200;
                if (step == 20 || step == 21) os.Events().QueueMouseButton(button, step == 20);
            };
            const auto seen = [&](const std::string& text) { return std::count(captions.begin(), captions.end(), text); };
            if (caption == kMapCaption) {
                if (seen(kMapCaption) > 2) {
                    clickAt(0, 400, 294);
                } else {
                    clickAt(1, 400, 224);
                }
            }
            if (caption == kSettingsCaption) clickAt(0, 400, seen(kSettingsCaption) > 1 ? 494 : 424);
            if (caption == kSaveCaption || caption == kLoadCaption) clickAt(0, 300, 210);
            // The story, once LOG has lit up: a forward turn of the wheel opens the history, Esc
            // closes it again.
            if (openBacklog_ && caption == "kvrebody demo - a story: click to go on") {
                const kv::OpState& op = kv::CurrentOp();
                if (backlogStep_ == 0 && kv::g_messageHistory->PageCount() >= 2 && op.operation == 44 && op.phase == 2) {
                    os.Events().QueueWheel(120);
                    backlogStep_ = 1;
                } else if (backlogStep_ == 1 && op.operation == 82 && op.phase == 1) {
                    backlogPagesShown_ = kv::BacklogView().lastIndex - kv::BacklogView().pageIndex;
                    backlogIcons_ = static_cast<int>(kv::BacklogView().icons.size());
                    os.Events().QueueKey(backend::key::Escape, true);
                    backlogStep_ = 2;
                } else if (backlogStep_ == 2) {
                    os.Events().QueueKey(backend::key::Escape, false);
                    backlogStep_ = 3;
                }
            }
            if (caption == "kvrebody demo - second screen") backend::RequestTermination();
        });
        EXPECT_EQ(kv::WinMain(), 0);
        EXPECT_FALSE(Os().Clock().SleepLimitReached());
        return captions;
    }

    // The expected first screen that the real program's check compares its window with, top
    // row first.
    static std::vector<std::uint8_t> ExpectedFirstScreen() {
        const std::string png = ReadSource("demo/expected/first-screen.png");
        kv::MemoryFile file({reinterpret_cast<const std::uint8_t*>(png.data()), png.size()});
        kv::Surface surface;
        EXPECT_TRUE(surface.LoadPng(file));
        std::vector<std::uint8_t> rows;
        for (std::int32_t y = 0; y < surface.Height(); ++y) {
            rows.insert(rows.end(), surface.PixelAt(0, y), surface.PixelAt(0, y) + 3 * surface.Width());
        }
        return rows;
    }

    std::vector<std::uint8_t> firstScreen_;
    bool openBacklog_ = false;
    int backlogStep_ = 0;
    int backlogPagesShown_ = 0;
    int backlogIcons_ = 0;
};

TEST_F(DemoGameTest, PlaysThroughItsScreensAndKeepsTheWindowModeSetting) {
    WriteDemo();
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);  // the names
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::No);  // the story read by clicks
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::No);
    openBacklog_ = true;
    std::vector<std::string> captions = Play();
    std::string family, given;
    ASSERT_TRUE(backend::FromUtf8(backend::CodePage::ShiftJis, "宮野", family));
    ASSERT_TRUE(backend::FromUtf8(backend::CodePage::ShiftJis, "彩", given));
    const std::vector<std::string> expected = {
        "ZE-RoreroRerodi ver1.0",
        "kvrebody demo - welcome, " + family + " " + given,
        "kvrebody demo - a called script",
        "kvrebody demo - " + given + ", click to go on",
        "kvrebody demo - six screen effects",
        "kvrebody demo - sprites",
        "kvrebody demo - night falls",
        "kvrebody demo - scene view: click to go on",
        "kvrebody demo - a story: click to go on",
        kChoiceCaption,
        "kvrebody demo - a story: click to go on",
        kMapCaption,
        kSettingsCaption,
        kSaveCaption,
        kMapCaption,
        kSettingsCaption,
        kLoadCaption,
        kMapCaption,
        "kvrebody demo - on the way",
        "kvrebody demo - first screen (click, or wait two seconds)",
        "kvrebody demo - second screen",
    };
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "Caution|Second name : " + family + " First name : " + given + "\nAre you sure?",
                              "kvrebody demo|Let the story read itself (auto mode)?",
                              "kvrebody demo|Play in full screen?", "kvrebody demo|Open the credits page?"}));
    EXPECT_EQ(Os().Dialogs().UnexpectedDialogs(), 0);
    // The history opened over the story with the pages read so far, the voiced one with its icon,
    // and closed again; the story went on.
    EXPECT_EQ(backlogStep_, 3);
    EXPECT_EQ(backlogPagesShown_, 2);
    EXPECT_EQ(backlogIcons_, 1);
    // The title scene, as the real program's window must show it too.
    EXPECT_TRUE(firstScreen_ == ExpectedFirstScreen());
    // The opening movie played to its end before the first caption of the demo.
    ASSERT_EQ(Os().FakeMovies()->OpenedPaths().size(), 1u);
    EXPECT_EQ(Os().FakeMovies()->OpenedPaths()[0], EngineFolder() + "OPENING.MPG");

    // The answer outlives the run: the next start begins in full screen.
    EXPECT_TRUE(FileExistsNative("sav/SAVE__.KVR"));
    // So do the read flags of the story's lines.
    const auto image = kvtest::AssembledVariables(ReadSource("demo/NECEMEM.kvd"));
    kv::VmState common;
    ASSERT_TRUE(common.LoadVariableImage(image.data(), image.size()));
    common.SetSaveFolder(kv::String((backend::Get().Files().ModuleFolder() + "sav\\").c_str()));
    ASSERT_TRUE(kv::LoadCommonData(common, ""));
    // The choice went to the park: the scene of staying was never read.
    for (std::uint32_t id : {100, 101, 102, 103, 104, 105, 106, 108}) EXPECT_EQ(*common.CByte(id), 1) << id;
    EXPECT_EQ(*common.CByte(107), 0);
    EXPECT_EQ(*common.CByte(109), 0);
    Reinstall(DefaultOptions());
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);  // the names
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);  // the story in auto mode
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::No);
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::No);
    bool fullScreenAtStart = false;
    Play(&fullScreenAtStart);
    EXPECT_TRUE(fullScreenAtStart);
}

TEST_F(DemoGameTest, OpensItsCreditsPageWhenThePlayerAsks) {
    WriteDemo();
    WriteFile("credits.html", ReadSource("demo/credits.html"));
    const std::string page = std::filesystem::canonical(folder_).string() + "/credits.html";
    for (bool open : {true, false}) {
        Reinstall(DefaultOptions());
        Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);  // the names
        Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);  // the story in auto mode
        Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::No);
        Os().Dialogs().QueueMessageBoxAnswer(open ? backend::MessageBoxAnswer::Yes : backend::MessageBoxAnswer::No);
        Play();
        std::vector<std::string> opened;
        for (const backend::OpenRequest& request : Os().Desktop().OpenRequests()) opened.push_back(request.opened);
        EXPECT_EQ(opened, open ? std::vector<std::string>{page} : std::vector<std::string>{});
        EXPECT_EQ(Os().Dialogs().UnexpectedMessageBoxes(), 0);
    }
}

}  // namespace
