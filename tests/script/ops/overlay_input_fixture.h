#pragma once
// Scenes with system buttons or clickable maps over a background, worked with the pointer, the
// keys and the wheel as a player would, with the hover and click sounds captured.

#include <algorithm>
#include <string>
#include <vector>

#include "backend/window_message.h"
#include "platform/game_window.h"
#include "tests/script/ops/layer_scene_fixture.h"
#include "tests/support/test_sounds.h"

namespace opstest {

class OverlayInputTest : public LayerSceneTest {
public:
    void SetUp() override {
        LayerSceneTest::SetUp();
        backend::HeadlessOptions options = DefaultOptions();
        options.captureAudio = true;
        Reinstall(options);
        background_ = WritePattern("BG", kScreenWidth, kScreenHeight, 1);
        strip_ = WritePattern("STRIP", 120, 40, 2);
        WriteFile("HOVER.WAV", kvtest::MakeWav16(2, 44100, hoverPcm_));
        WriteFile("CLICK.WAV", kvtest::MakeWav16(2, 44100, clickPcm_));
    }

    // The script lines that show BG in layer 0 with STRIP loaded (hidden) in layer 1 and four
    // sound channels.
    static std::string SceneSetup() {
        return "calld CreateDirectInputManager\ncalld CreateSoundChannels 4\ncalld AllocLayers 2\n"
               "calld LoadLayer 0, \"BG\"\ncalld SetLayerRect 0, 0, 0, -1, -1\ncalld SetLayerVisible 0, 1\n"
               "calld LoadLayer 1, \"STRIP\"\n";
    }
    static std::string Commit() { return "calld StartupGraphicEffect -1, 1\n"; }

    void MoveMouse(std::int32_t x, std::int32_t y) {
        Os().Events().QueueSystemMessage({kv::g_mainWindow->Handle(), backend::MessageKind::MouseMove, x, y, 0});
        Frame();
    }
    // What the mix played in the next milliseconds begins with the sound.
    bool Heard(const std::vector<std::int16_t>& pcm, std::uint32_t milliseconds = 20) {
        Os().Clock().AdvanceClock(milliseconds);
        const std::vector<std::int16_t>& heard = Os().Audio().Captured();
        const bool begins = heard.size() >= pcm.size() && std::equal(pcm.begin(), pcm.end(), heard.begin());
        Os().Audio().ClearCaptured();
        return begins;
    }
    void Silence() {
        Os().Clock().AdvanceClock(50);
        Os().Audio().ClearCaptured();
    }
    // The screen's area (x, y, width, height) equals the picture's area at (sourceX, sourceY).
    static bool ShowsPart(const Picture& screen, const Picture& picture, std::int32_t x, std::int32_t y,
                          std::int32_t width, std::int32_t height, std::int32_t sourceX, std::int32_t sourceY) {
        for (std::int32_t row = 0; row < height; ++row) {
            if (!std::equal(screen.At(x, y + row), screen.At(x, y + row) + width * 3, picture.At(sourceX, sourceY + row)))
                return false;
        }
        return true;
    }
    Picture Screen() { return Copy(*kv::g_screenSurface); }

    Picture background_, strip_;
    const std::vector<std::int16_t> hoverPcm_ = kvtest::RampPcm(220, 2, 5);
    const std::vector<std::int16_t> clickPcm_ = kvtest::RampPcm(220, 2, 11);
};

}  // namespace opstest
