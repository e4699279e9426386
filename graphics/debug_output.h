#pragma once
// The debugger output: where the engine sends its diagnostic lines (the picture library's errors
// and warnings). Nothing is shown to the player. By default each line goes to standard error; a
// test can take the lines instead.

#include <string_view>

namespace kv {

void DebugOutput(std::string_view text);

using DebugOutputSink = void (*)(std::string_view text);
// null restores the default.
void SetDebugOutputSink(DebugOutputSink sink);

}  // namespace kv
