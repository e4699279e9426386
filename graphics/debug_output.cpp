#include "graphics/debug_output.h"

#include <cstdio>

namespace kv {

namespace {

void WriteToStandardError(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

DebugOutputSink g_sink = &WriteToStandardError;

}  // namespace

void DebugOutput(std::string_view text) { g_sink(text); }

void SetDebugOutputSink(DebugOutputSink sink) { g_sink = sink ? sink : &WriteToStandardError; }

}  // namespace kv
