#include "tools/asm/operation_names.h"

namespace kvasm {

bool IsSharedOperationName(uint32_t op) {
    if (op >= kOperationCount) {
        return false;
    }
    std::string_view name = kv::kOperationNames[op];
    for (uint32_t i = 0; i < kOperationCount; ++i) {
        if (i != op && name == kv::kOperationNames[i]) {
            return true;
        }
    }
    return false;
}

OperationLookup FindOperation(std::string_view name, uint32_t* op) {
    for (uint32_t i = 0; i < kOperationCount; ++i) {
        if (name != kv::kOperationNames[i]) {
            continue;
        }
        if (i >= kFirstPhaseEntry) {
            return OperationLookup::kPhase;
        }
        if (IsSharedOperationName(i)) {
            return OperationLookup::kShared;
        }
        *op = i;
        return OperationLookup::kFound;
    }
    return OperationLookup::kUnknown;
}

}  // namespace kvasm
