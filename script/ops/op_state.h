#pragma once
// The current operation (OpState in the game state), the op-save stack that holds interrupted
// operations, and the handler convention every operation follows:
//   - operands are popped last script argument first;
//   - a handler that finishes moves pc past its system call, pushes one result {0, r} and
//     returns 1 (CompleteOperation);
//   - a handler that goes on next frame returns 0 after moving its phase or scratch words;
//   - a fatal operand error shows a box over the window, makes operation 1 current and returns
//     0, so that the next frame ends the game (FailOperation).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "app/globals/game_state.h"
#include "script/vm/operand_access.h"

namespace kv {

// Operation numbers the dispatch itself names.
inline constexpr std::uint32_t kOpRunScript = 0;
inline constexpr std::uint32_t kOpQuit = 1;
inline constexpr std::uint32_t kOpReturnSNX = 2;

// Handler results.
inline constexpr std::uint32_t kOpFinished = 1;
inline constexpr std::uint32_t kOpContinue = 0;

OpState& CurrentOp();
// The OpState flag (operation 86): the shown message windows are drawn again over every frame of
// a screen effect.
bool MessagesOverEffects();
// Makes another operation current from the next frame on.
void SetCurrentOperation(std::uint32_t operation);
// What the frame does when a handler returns 1: operation, phase and scratch become 0; the
// flag word stays.
void ClearCurrentOperation();

// ---- op-save stack ----
std::int32_t OpSaveDepth();  // 0 .. kOpSaveDepth
bool OpSaveFull();
// Saves the current OpState; false (and nothing saved) when 8 are saved already.
bool PushOpState();
// Puts the innermost saved OpState back as the current one; false when none is saved.
bool PopOpState();

// ---- handler convention ----
// pc + 1, push {0, result}, return 1.
std::uint32_t CompleteOperation(std::int32_t result = 0);
// Box captioned "error" over the game window with the text; operation 1 becomes current;
// returns 0.
std::uint32_t FailOperation(std::string_view text);
// FailOperation with "Illiegal argments in " + name + "().".
std::uint32_t FailIllegalArguments(std::string_view operationName);

// Fetches a string operand into the handler's buffer (64, 128 or 1024 bytes). The buffer starts
// as the empty text, so a fetch that fails (a number where a text belongs, a bad variable)
// still leaves a terminated text. Returns the fetch's result.
template <std::size_t N>
bool FetchOperandText(const VmValue& operand, char (&buffer)[N]) {
    static_assert(N > 0);
    std::memset(buffer, 0, N);
    const bool fetched = FetchStringOperand(operand, buffer, N);
    buffer[N - 1] = '\0';
    return fetched;
}

}  // namespace kv
