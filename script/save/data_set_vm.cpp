// The script VM in a data set: taken from the last capture, put back into the VM.

#include <utility>

#include "app/globals/globals.h"
#include "script/save/data_set_parts.h"
#include "script/save/save_captures.h"
#include "script/vm/vm_state.h"

namespace kv {

void CaptureVm(DataSet& set, DataSetArrays& arrays) {
    // Without any capture so far the VM part stays empty.
    if (g_saveCaptures == nullptr) return;
    const VmCapture& capture = g_saveCaptures->vm;
    set.vm = capture.vm;
    arrays.aInts = capture.aInts;
    arrays.aBytes = capture.aBytes;
    arrays.aStrings = capture.aStrings;
}

void RestoreVm(const SaveDataHeader& header, const DataSet& set, const DataSetArrays& arrays) {
    if (g_vm == nullptr) return;
    g_vm->RestoreStacks(set.vm.stack, set.vm.stackTop, set.vm.callFrames, set.vm.callDepth);
    g_vm->SetPc(set.vm.pc);
    std::vector<VmString> strings(arrays.aStrings.size());
    for (std::size_t i = 0; i < strings.size(); ++i) {
        strings[i].Assign(arrays.aStrings[i].data(), static_cast<std::uint32_t>(arrays.aStrings[i].size()));
    }
    g_vm->ReplaceBankA(arrays.aInts, arrays.aBytes, std::move(strings));
    g_vm->SetSaveTitle(header.title.empty() ? String() : String(header.title.c_str()));
}

}  // namespace kv
