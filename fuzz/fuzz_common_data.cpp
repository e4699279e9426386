// Fuzz target for the common data file: arbitrary files loaded into banks of every size.
//
// Input layout: one byte for the number of common integers (0..15), one for the common flags
// (0..31), then the file. A refused file must leave the banks exactly as they were; an accepted
// one must survive a save and a second load unchanged.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_backend.h"
#include "backend/headless/headless_hub.h"
#include "script/save/common_data.h"
#include "script/vm/vm_state.h"

namespace {

using kvfuzz::Backend;

void Check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "common data: %s\n", what);
        abort();
    }
}

std::vector<std::int64_t> Banks(kv::VmState& vm) {
    std::vector<std::int64_t> values;
    for (std::int32_t i = 0; i < vm.VariableCount(kv::VarBank::CInt); ++i) values.push_back(*vm.CInt(static_cast<std::uint32_t>(i)));
    for (std::int32_t i = 0; i < vm.VariableCount(kv::VarBank::CByte); ++i) values.push_back(*vm.CByte(static_cast<std::uint32_t>(i)));
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    backend::HeadlessHub& hub = Backend();
    if (size < 2) return 0;
    const std::uint8_t ints = data[0] % 16;
    const std::uint8_t flags = data[1] % 32;
    const std::uint8_t image[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 0, 0, 0, ints, 0, 0, 0, flags, 0, 0, 0};
    kv::VmState vm;
    Check(vm.LoadVariableImage(image, sizeof image), "variable image");
    for (std::uint32_t i = 0; i < ints; ++i) *vm.CInt(i) = static_cast<std::int32_t>(0x5A5A0000u + i);
    for (std::uint32_t i = 0; i < flags; ++i) *vm.CByte(i) = static_cast<std::uint8_t>(i & 1);
    vm.SetSaveFolder(kv::String(backend::Get().Files().ModuleFolder().c_str()));
    {
        std::ofstream out(backend::Get().Files().NativePath(backend::Get().Files().ModuleFolder() + "SAVE__.KVR"),
                          std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 2), static_cast<std::streamsize>(size - 2));
    }
    const std::vector<std::int64_t> before = Banks(vm);
    if (!kv::LoadCommonData(vm, "fuzz")) {
        Check(Banks(vm) == before, "a refused file changed the banks");
    } else {
        const std::vector<std::int64_t> loaded = Banks(vm);
        for (std::int32_t i = 0; i < flags; ++i) Check(*vm.CByte(static_cast<std::uint32_t>(i)) <= 1, "flag 0 or 1");
        Check(kv::SaveCommonData(vm, "fuzz"), "save");
        kv::VmState again;
        Check(again.LoadVariableImage(image, sizeof image), "variable image");
        again.SetSaveFolder(vm.GetSaveFolder());
        Check(kv::LoadCommonData(again, "fuzz"), "second load");
        Check(Banks(again) == loaded, "save and load change nothing");
    }
    hub.Dialogs().ClearMessageBoxes();
    return 0;
}
