#pragma once
// For operations that finish in one frame: a script marks its steps with line markers, and the
// test runs frames up to a marker and looks at the machine there.

#include <gtest/gtest.h>

#include <string>

#include "app/globals/globals.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/script_frame_fixture.h"

namespace opstest {

class LineScriptTest : public ScriptFrameTest {
public:
    // Replaces the fixture's variable image (before Start).
    void UseVariables(std::int32_t aInts, std::int32_t cInts) {
        WriteVariables("NECEMEM.SNI",
                       "aint " + std::to_string(aInts) + "\nastr 2\ncint " + std::to_string(cInts) + "\n");
    }
    // Frames until the caption shows the line marker; false when it never comes.
    bool RunToLine(int line, int limit = 100) {
        const std::string suffix = "Line : " + std::to_string(line);
        for (int i = 0; i < limit; ++i) {
            Frame();
            const std::string caption = Caption();
            if (caption.size() >= suffix.size() && caption.compare(caption.size() - suffix.size(), suffix.size(), suffix) == 0)
                return true;
        }
        return false;
    }
    static std::int32_t AInt(std::uint32_t index) {
        const std::int32_t* value = kv::g_vm->AInt(index);
        return value ? *value : -999999;
    }
};

}  // namespace opstest
