#include "script/save/save_captures.h"

#include "app/globals/globals.h"
#include "graphics/surface.h"
#include "script/ops/frame_hooks.h"
#include "script/save/data_set_codec.h"
#include "script/screens/system_buttons.h"
#include "script/vm/vm_state.h"

namespace kv {

void CaptureVmState() {
    if (g_saveCaptures == nullptr || g_vm == nullptr) return;
    VmCapture& capture = g_saveCaptures->vm;
    const VmState& vm = *g_vm;
    capture.vm.scriptName = FitField(vm.GetScriptName().View(), kNameField);
    for (std::int32_t i = 0; i < VmState::kValueStackSize; ++i) capture.vm.stack[static_cast<std::size_t>(i)] = vm.StackEntry(i);
    capture.vm.stackTop = vm.StackTop();
    for (std::int32_t i = 0; i < VmState::kCallStackSize; ++i) capture.vm.callFrames[static_cast<std::size_t>(i)] = *vm.CallFrameAt(i);
    capture.vm.callDepth = vm.CallDepth();
    capture.vm.pc = vm.Pc();
    capture.vm.fixedCounts = {vm.VariableCount(VarBank::BInt), vm.VariableCount(VarBank::BByte),
                              vm.VariableCount(VarBank::BString), vm.VariableCount(VarBank::CInt),
                              vm.VariableCount(VarBank::CByte)};
    VmState& bank = *g_vm;
    capture.aInts.resize(static_cast<std::size_t>(vm.VariableCount(VarBank::AInt)));
    for (std::size_t i = 0; i < capture.aInts.size(); ++i) capture.aInts[i] = *bank.AInt(static_cast<std::uint32_t>(i));
    capture.aBytes.resize(static_cast<std::size_t>(vm.VariableCount(VarBank::AByte)));
    for (std::size_t i = 0; i < capture.aBytes.size(); ++i) capture.aBytes[i] = *bank.AByte(static_cast<std::uint32_t>(i));
    capture.aStrings.resize(static_cast<std::size_t>(vm.VariableCount(VarBank::AString)));
    for (std::size_t i = 0; i < capture.aStrings.size(); ++i) {
        const VmString& text = *bank.AString(static_cast<std::uint32_t>(i));
        capture.aStrings[i].assign(text.Bytes(), text.Bytes() + text.Length());
    }
    capture.rightClickEnabled = g_gameState.rightClickEnabled;
}

void CaptureSystemButtons() {
    if (g_saveCaptures == nullptr || g_systemButtons == nullptr) return;
    ButtonCapture& capture = g_saveCaptures->buttons;
    const SystemButtonSet& set = *g_systemButtons;
    capture.pictureLayer = set.PictureLayer();
    capture.spaceKeyButton = set.spaceKeyButton;
    capture.wheelButton = set.wheelButton;
    capture.buttons.clear();
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const SystemButton& button = *set.Button(i);
        capture.buttons.push_back({button.x, button.y, button.sourceX, button.sourceY, button.width, button.height,
                                   button.hitX, button.hitY, button.hitWidth, button.hitHeight, button.enabled,
                                   button.visible, button.shortcutKey,
                                   FitField(button.script.View(), kButtonScriptField), button.hoverChannel,
                                   button.clickChannel, FitField(button.hoverSound.View(), kNameField),
                                   FitField(button.clickSound.View(), kNameField)});
    }
}

void CaptureThumbnail() {
    CaptureVmState();
    CaptureSystemButtons();
    if (g_thumbnailSurface == nullptr) return;
    const std::int32_t width = g_gameState.thumbnailWidth;
    const std::int32_t height = g_gameState.thumbnailHeight;
    if (g_thumbnailSurface->Width() != width || g_thumbnailSurface->Height() != height) {
        g_thumbnailSurface->Free();
        // A size with a 0 (or below) leaves the surface without pixels: no thumbnail is saved.
        if (width < 1 || height < 1 || !g_thumbnailSurface->Create(width, height, 24)) return;
    }
    if (width < 1 || height < 1 || g_screenSurface == nullptr || g_screenSurface->IsEmpty()) return;
    g_thumbnailSurface->StretchFrom(*g_screenSurface, 0, 0, width, height, 0, 0, g_screenSurface->Width(),
                                    g_screenSurface->Height());
}

}  // namespace kv
