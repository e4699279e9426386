#pragma once
// A script string variable: a counted run of code-page bytes without terminator.

#include <cstdint>
#include <vector>

namespace kv {

class VmString {
public:
    VmString() = default;

    std::uint32_t Length() const { return static_cast<std::uint32_t>(bytes_.size()); }
    // Null while the string holds no bytes.
    const std::uint8_t* Bytes() const { return bytes_.empty() ? nullptr : bytes_.data(); }

    // Copies the bytes before the old ones go, so that a source inside this very string (an
    // assignment of a variable to itself) survives. A null source or a length of 0 empties it.
    void Assign(const std::uint8_t* bytes, std::uint32_t length);
    void Clear();

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kv
