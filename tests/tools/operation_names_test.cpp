// The assembler knows the operations by the names the engine's operation table gives them.

#include <gtest/gtest.h>

#include <cstring>

#include "script/ops/op_table.h"
#include "tools/asm/operation_names.h"

namespace {

TEST(OperationNamesTest, TheAssemblersTableIsTheEngines) {
    ASSERT_EQ(kvasm::kOperationCount, kv::kOperationCount);
    ASSERT_EQ(kvasm::kFirstPhaseOperation, kv::kFirstPhaseEntry);
    for (std::uint32_t op = 0; op < kv::kOperationCount; ++op) {
        SCOPED_TRACE(op);
        ASSERT_NE(kvasm::OperationName(op), nullptr);
        EXPECT_STREQ(kvasm::OperationName(op), kv::OperationName(op));
    }
    EXPECT_EQ(kvasm::OperationName(kv::kOperationCount), nullptr);
}

}  // namespace
