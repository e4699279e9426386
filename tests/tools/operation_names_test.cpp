// The one list of operation names that the engine's table and the assembler share: entries pinned
// to their numbers, and how the assembler reads every name of it.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "script/ops/operation_names.h"
#include "tools/asm/operation_names.h"

namespace {

using kvasm::OperationLookup;

TEST(OperationNamesTest, EntriesStandAtTheirNumbers) {
    EXPECT_EQ(kv::kOperationCount, 171u);
    EXPECT_EQ(kv::kFirstPhaseEntry, 135u);
    struct Case {
        std::uint32_t op;
        const char* name;
    };
    const Case cases[] = {
        {0, "OpRunScript"},      {44, "MessageFlow"},      {79, "ChoiceMenu"},
        {134, "OpTimedWait"},    {135, "OpWaitTimerSet"},  {170, "RunTimedWait"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(kv::OperationName(c.op), c.name);
        std::uint32_t found = ~0u;
        if (c.op < kv::kFirstPhaseEntry) {
            EXPECT_EQ(kvasm::FindOperation(c.name, &found), OperationLookup::kFound);
            EXPECT_EQ(found, c.op);
        } else {
            EXPECT_EQ(kvasm::FindOperation(c.name, &found), OperationLookup::kPhase);
        }
    }
    EXPECT_EQ(kv::OperationName(kv::kOperationCount), nullptr);
}

// Scripts call an operation by its name unless the name is a phase's or belongs to several
// numbers (the reserved slots).
TEST(OperationNamesTest, TheAssemblersTableIsTheEngines) {
    const std::set<std::uint32_t> reserved = {3, 4, 5, 6, 7, 8, 9, 102, 103};
    for (std::uint32_t op = 0; op < kv::kOperationCount; ++op) {
        SCOPED_TRACE(op);
        ASSERT_NE(kv::OperationName(op), nullptr);
        EXPECT_EQ(kvasm::IsSharedOperationName(op), reserved.count(op) == 1);
        std::uint32_t found = ~0u;
        const OperationLookup lookup = kvasm::FindOperation(kv::OperationName(op), &found);
        if (op >= kv::kFirstPhaseEntry) {
            EXPECT_EQ(lookup, OperationLookup::kPhase);
        } else if (reserved.count(op) == 1) {
            EXPECT_EQ(lookup, OperationLookup::kShared);
        } else {
            EXPECT_EQ(lookup, OperationLookup::kFound);
            EXPECT_EQ(found, op);
        }
    }
}

}  // namespace
