#include "script/vm/vm_string.h"

namespace kv {

void VmString::Assign(const std::uint8_t* bytes, std::uint32_t length) {
    if (bytes == nullptr || length == 0) {
        Clear();
        return;
    }
    // Build the new text first: the source may lie inside bytes_.
    std::vector<std::uint8_t> copy(bytes, bytes + length);
    bytes_.swap(copy);
}

void VmString::Clear() {
    std::vector<std::uint8_t>().swap(bytes_);
}

}  // namespace kv
