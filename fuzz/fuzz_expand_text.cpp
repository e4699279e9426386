// Fuzz target for the text expansion: arbitrary texts and A strings (with codes that insert
// integers and strings, refer to themselves or to nothing) expanded into buffers of every size.
//
// Input layout: one byte choosing the output size (255: 1024 bytes, else the byte itself), four
// A strings each as a length byte and that many bytes, then the text. The output buffer and the
// text are allocated at their exact sizes, so any access outside them is a sanitizer report;
// the result must be terminated inside the buffer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/globals/globals.h"
#include "fuzz/fuzz_backend.h"
#include "backend/headless/headless_hub.h"
#include "script/vm/operand_access.h"
#include "script/vm/vm_state.h"

namespace {

using kvfuzz::Backend;

kv::VmState& Vm() {
    static kv::VmState* vm = [] {
        auto* made = new kv::VmState();
        // Four A integers, four A strings, four C integers.
        const std::uint8_t image[32] = {4, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
        if (!made->LoadVariableImage(image, sizeof image)) abort();
        const std::int32_t values[4] = {0, -1, 2147483647, -2147483647 - 1};
        for (std::uint32_t i = 0; i < 4; ++i) {
            *made->AInt(i) = values[i];
            *made->CInt(i) = values[3 - i];
        }
        kv::g_vm = made;
        return made;
    }();
    return *vm;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    backend::HeadlessHub& hub = Backend();
    kv::VmState& vm = Vm();
    if (size < 1) return 0;
    const std::size_t outSize = data[0] == 255 ? 1024 : data[0];
    std::size_t at = 1;
    for (std::uint32_t i = 0; i < 4; ++i) {
        const std::size_t length = at < size ? std::min<std::size_t>(data[at], size - at - 1) : 0;
        vm.SetAString(i, static_cast<std::int32_t>(length), at < size ? data + at + 1 : nullptr);
        at = std::min(size, at + 1 + length);
    }
    const std::size_t textSize = size - at;
    std::unique_ptr<std::uint8_t[]> text(new std::uint8_t[textSize ? textSize : 1]);
    if (textSize) std::memcpy(text.get(), data + at, textSize);
    std::unique_ptr<char[]> out(new char[outSize ? outSize : 1]);

    kv::ExpandText(text.get(), textSize, out.get(), outSize);
    if (outSize > 0 && std::memchr(out.get(), 0, outSize) == nullptr) {
        fprintf(stderr, "expansion not terminated inside its buffer\n");
        abort();
    }
    hub.Dialogs().ClearMessageBoxes();  // bad indexes show one each; they must not pile up
    return 0;
}
