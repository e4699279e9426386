#include "script/ops/effect_ops.h"

#include <array>

#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "platform/input.h"
#include "script/ops/op_state.h"
#include "script/ops/screen_redraw.h"
#include "script/ops/script_values.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

constexpr std::int32_t kMaxEffectParameters = 2;

std::uint32_t FailEffectArguments() {
    return FailOperation("Illiegal argments to set effects in StartupGraphicEffect().");
}

// Parameters each kind reads: the cross-fade its step count, the mask wipe its mask layer
// (pushed last) and its step count.
std::int32_t ParametersNeeded(std::int32_t kind) {
    if (kind == kEffectCrossFade) return 1;
    if (kind == kEffectMaskWipe) return 2;
    return 0;
}

// The new scene on screen at once; the message windows go over it when the script asked for
// them over its effects.
std::uint32_t ShowAtOnce(bool messagesOverEffects, SceneText text) {
    ShowComposedScene(messagesOverEffects ? text : SceneText::None);
    return CompleteOperation();
}

// The player wants no effect now: Ctrl held, skip mode, or effects switched off in the settings.
bool EffectsSkipped() {
    if (IsCtrlHeld() || g_gameState.skipMode) return true;
    return g_vm == nullptr || g_vm->GetCInt(static_cast<std::uint32_t>(g_gameState.effectsVar)) == 0;
}

}  // namespace

std::uint32_t StartupGraphicEffect() {
    if (g_vm == nullptr || g_currentLayers == nullptr) return FailEffectArguments();
    const bool messagesOverEffects = MessagesOverEffects();
    // With the message windows drawn over every effect frame, the effect starts from the
    // picture under them, so that they are not faded out and in again.
    Surface* fadeFrom = messagesOverEffects && AnyMessageWindowShown() ? g_workSurface1 : g_screenSurface;
    RefreshInput();

    const std::int32_t count = static_cast<std::int32_t>(g_vm->Pop().value);
    if (count < 1 || count > kMaxEffectParameters + 2 || count > g_vm->StackDepth()) return FailEffectArguments();
    if (count == 1) {
        std::int32_t kind = 0;
        if (!ResolveIntOperand(g_vm->Pop(), kind) || kind >= 0) return FailEffectArguments();
        CommitScene();
        return ShowAtOnce(messagesOverEffects, SceneText::ChoiceThenMessages);
    }

    bool runsOn = false;
    if (!ResolveByteOperand(g_vm->Pop(), runsOn)) return FailEffectArguments();
    const std::int32_t given = count - 2;
    std::array<std::int32_t, kMaxEffectParameters> parameters{};
    for (std::int32_t i = 0; i < given; ++i) {
        if (!ResolveIntOperand(g_vm->Pop(), parameters[static_cast<std::size_t>(i)])) return FailEffectArguments();
    }
    std::int32_t kind = 0;
    if (!ResolveIntOperand(g_vm->Pop(), kind)) return FailEffectArguments();
    if (given < ParametersNeeded(kind) || !g_currentLayers->SelectGraphicEffect(kind)) return FailEffectArguments();
    if (kind == kEffectCrossFade) g_currentLayers->SetEffectSteps(parameters[0], 0);
    else if (kind == kEffectMaskWipe) g_currentLayers->SetEffectSteps(parameters[1], parameters[0]);
    else g_currentLayers->SetEffectSteps(0, 0);

    if (g_workSurface2 && fadeFrom) g_workSurface2->CopyFrom(*fadeFrom);
    CommitScene();
    if (EffectsSkipped()) return ShowAtOnce(messagesOverEffects, SceneText::ChoiceOrMessages);
    g_gameState.scriptRunsOn = runsOn ? 1 : 0;
    g_gameState.effectRunning = 1;
    return CompleteOperation();
}

}  // namespace kv
