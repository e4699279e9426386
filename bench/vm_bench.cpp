// Interpreter speed: the same two loops run as script bytecode and as Lua 5.4 (in-process), in
// one run, so that the printed ratio compares like with like on this machine.
//
//   arithmetic loop:   i = 0; s = 0; while (i < n) { s = s + i; i = i + 1; }
//   variable access:   i = 0; while (i < n) { a[1 + i] = b[i] + c[0]; i = i + 1; }
//
// The script keeps its variables in bank A/B/C as compiled scripts do; Lua keeps i and s in
// locals (registers) and the arrays in tables.

#include <lua.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "backend/headless/headless_hub.h"
#include "bench/bench_runner.h"
#include "script/vm/vm_state.h"
#include "tools/asm/assembler.h"
#include "tools/asm/variable_image_builder.h"

namespace {

constexpr std::int64_t kLoopCount = 100000;

// ---- script ----

using namespace kv::snx;

// i is A[0], s is A[1].
std::string ArithmeticLoop(std::int64_t n) {
    return R"(
.var aint i 0
.var aint s 1
top:
    load i
    push )" + std::to_string(n) + R"(
    cmp lt
    jf done
    ref s           ; s = s + i
    load s
    load i
    add
    assign
    discard
    ref i           ; i = i + 1
    inc
    discard
    jmp top
done:
    end
)";
}

// i is A[0], a[] is A[1..n], b[] is B[0..n-1], c[0] is C[0].
std::string VariableAccessLoop(std::int64_t n) {
    return R"(
.var aint i 0
top:
    load i
    push )" + std::to_string(n) + R"(
    cmp lt
    jf done
    load i          ; a[1 + i] = b[i] + c[0]
    refi aint[1]
    load i
    loadi bint[0]
    load cint[0]
    add
    assign
    discard
    ref i
    inc
    discard
    jmp top
done:
    end
)";
}

// Banks A and B of bankSize integers each, b[k] = k * 3, and c[0] = 7.
bool LoadBanks(kv::VmState& vm, std::int32_t bankSize) {
    const std::string size = std::to_string(bankSize);
    std::string declarations = "aint " + size + "\nbint " + size + "\ncint 1\n";
    for (std::int32_t k = 0; k < bankSize; ++k) {
        declarations += "bint[" + std::to_string(k) + "] = " + std::to_string(k * 3) + "\n";
    }
    const kvasm::AssembleResult vars = kvasm::BuildVariableImage(declarations);
    if (!vars.ok() || !vm.LoadVariableImage(vars.bytes.data(), vars.bytes.size())) {
        return false;
    }
    *vm.CInt(0) = 7;
    return true;
}

void RunScriptLoop(benchmark::State& state, const std::string& source, std::int32_t bankSize,
                   bool fuse = true) {
    kv::VmState vm;
    vm.SetInstructionFusion(fuse);
    const kvasm::AssembleResult code = kvasm::Assemble(source);
    if (!code.ok()) {
        state.SkipWithError(kvasm::FormatDiagnostics(code.diagnostics).c_str());
        return;
    }
    if (!LoadBanks(vm, bankSize) || !vm.LoadCode(code.bytes.data(), code.bytes.size())) {
        state.SkipWithError("image refused");
        return;
    }
    // Every instruction but the closing end runs once a turn.
    const std::int64_t perTurn = static_cast<std::int64_t>(vm.InstructionCount()) - 1;
    for (auto _ : state) {
        vm.SetPc(0);
        *vm.AInt(0) = 0;
        *vm.AInt(1) = 0;
        const std::int32_t result = vm.Run();
        if (result != kEnd) {
            state.SkipWithError("script failed");
            return;
        }
        benchmark::DoNotOptimize(*vm.AInt(1));
    }
    const double turns = static_cast<double>(state.iterations()) * static_cast<double>(kLoopCount);
    state.counters["loops/s"] = benchmark::Counter(turns, benchmark::Counter::kIsRate);
    state.counters["insn/s"] =
        benchmark::Counter(turns * static_cast<double>(perTurn), benchmark::Counter::kIsRate);
}

void BM_ScriptArithmeticLoop(benchmark::State& state) {
    RunScriptLoop(state, ArithmeticLoop(kLoopCount), 2);
}

// The same loop one instruction at a time, without fused sequences.
void BM_ScriptArithmeticLoopUnfused(benchmark::State& state) {
    RunScriptLoop(state, ArithmeticLoop(kLoopCount), 2, false);
}

void BM_ScriptVariableAccess(benchmark::State& state) {
    RunScriptLoop(state, VariableAccessLoop(kLoopCount), static_cast<std::int32_t>(kLoopCount + 1));
}

// ---- Lua ----

constexpr const char* kLuaArithmetic = R"(
return function(n)
  local i, s = 0, 0
  while i < n do
    s = s + i
    i = i + 1
  end
  return s
end
)";

constexpr const char* kLuaVariableAccess = R"(
local a, b, c = {}, {}, {7}
return function(n)
  if #b ~= n then for k = 0, n - 1 do b[k] = k * 3; a[k + 1] = 0 end end
  local i = 0
  while i < n do
    a[1 + i] = b[i] + c[1]
    i = i + 1
  end
  return a[n]
end
)";

void RunLuaLoop(benchmark::State& state, const char* source) {
    std::unique_ptr<lua_State, decltype(&lua_close)> lua(luaL_newstate(), &lua_close);
    luaL_openlibs(lua.get());
    if (luaL_dostring(lua.get(), source) != LUA_OK) {
        state.SkipWithError(lua_tostring(lua.get(), -1));
        return;
    }
    const int function = luaL_ref(lua.get(), LUA_REGISTRYINDEX);
    for (auto _ : state) {
        lua_rawgeti(lua.get(), LUA_REGISTRYINDEX, function);
        lua_pushinteger(lua.get(), kLoopCount);
        if (lua_pcall(lua.get(), 1, 1, 0) != LUA_OK) {
            state.SkipWithError("lua failed");
            return;
        }
        benchmark::DoNotOptimize(lua_tointeger(lua.get(), -1));
        lua_pop(lua.get(), 1);
    }
    const double turns = static_cast<double>(state.iterations()) * static_cast<double>(kLoopCount);
    state.counters["loops/s"] = benchmark::Counter(turns, benchmark::Counter::kIsRate);
}

void BM_LuaArithmeticLoop(benchmark::State& state) {
    RunLuaLoop(state, kLuaArithmetic);
}

void BM_LuaVariableAccess(benchmark::State& state) {
    RunLuaLoop(state, kLuaVariableAccess);
}

// Five repetitions each: the ratio uses the medians, which a busy machine disturbs least.
BENCHMARK(BM_ScriptArithmeticLoop)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_LuaArithmeticLoop)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_ScriptArithmeticLoopUnfused)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_ScriptVariableAccess)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_LuaVariableAccess)->Repetitions(5)->DisplayAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
    return kvbench::RunBenchmarks(argc, argv, [](const kvbench::RatioReporter& reporter) {
        for (auto [what, script, lua] :
             {std::tuple{"arithmetic loop", "BM_ScriptArithmeticLoop", "BM_LuaArithmeticLoop"},
              std::tuple{"variable access", "BM_ScriptVariableAccess", "BM_LuaVariableAccess"}}) {
            double ratio = 0;
            if (reporter.Ratio(script, lua, ratio)) std::printf("%s: script runs %.2fx the speed of Lua 5.4\n", what, ratio);
        }
    });
}
