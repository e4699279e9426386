#include "script/ops/query_ops.h"

#include "app/globals/globals.h"
#include "backend/clock_service.h"
#include "backend/hub.h"
#include "base/runtime_random.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"

namespace kv {

std::uint32_t Random() {
    const std::int32_t index = PopIntOperand();
    const std::int32_t range = PopIntOperand();
    std::int32_t value = 0;
    if (range >= 1) value = NextRandom() % range;
    StoreAInt(index, value);
    return CompleteOperation(0);
}

std::uint32_t GetLocalTimeToVariables() {
    // Popped last script argument first: second, minute, hour, day of week, day, month.
    std::int32_t indexes[6];
    for (std::int32_t& index : indexes) index = PopIntOperand();
    const backend::LocalTime now = backend::Get().Clock().Now();
    const std::int32_t fields[6] = {now.second, now.minute, now.hour, now.dayOfWeek, now.day, now.month};
    // Stored month first, as the script lists them.
    for (int i = 5; i >= 0; --i) {
        if (indexes[i] >= 0) StoreAInt(indexes[i], fields[i]);
    }
    return CompleteOperation(0);
}

std::uint32_t GetVoiceWindowToVariable() {
    StoreAInt(PopIntOperand(), g_gameState.voicedWindow);
    return CompleteOperation(0);
}

}  // namespace kv
