#include "script/vm/operand_access.h"

#include "base/byte_order.h"

#include <cstring>

#include "app/globals/globals.h"
#include "base/string.h"
#include "base/text_utils.h"

namespace kv {

namespace {

constexpr std::uint8_t kCodeAInt = 0x04;
constexpr std::uint8_t kCodeAString = 0x05;
constexpr std::uint8_t kCodeCInt = 0x06;
constexpr std::size_t kCodeSize = 5;  // the code byte and a 4-byte index
// An A string is expanded into a buffer of its own of this size, whatever the caller's size.
constexpr std::size_t kInnerSize = 1024;
// A strings that hold themselves, directly or through others, must not recurse without end,
// and strings full of such references must not multiply the work without end either.
constexpr int kMaxNesting = 8;
constexpr int kMaxInnerExpansions = 256;

std::uint32_t ReadIndex(const std::uint8_t* p) { return ReadLe32(p); }

// Writes one expansion into a buffer, whole characters only, always leaving room for the
// terminator.
class Expander {
public:
    Expander(char* out, std::size_t size, int depth, int& innerBudget)
        : out_(out), size_(size), depth_(depth), innerBudget_(innerBudget) {}

    bool Run(const std::uint8_t* source, std::size_t length) {
        std::size_t s = 0;
        while (s < length && !full_) {
            const std::uint8_t c = source[s];
            if (c == kCodeAInt || c == kCodeAString || c == kCodeCInt) {
                if (length - s < kCodeSize) break;  // the index would reach past the source
                ExpandCode(c, ReadIndex(source + s + 1));
                s += kCodeSize;
            } else if (length - s >= 2 && IsDbcsLeadPair(reinterpret_cast<const char*>(source + s))) {
                Append(source + s, 2);
                s += 2;
            } else {
                Append(source + s, 1);
                s += 1;
            }
        }
        out_[used_] = '\0';
        return !full_;
    }

private:
    // All of a character or nothing; once one does not fit, nothing more is appended.
    void Append(const std::uint8_t* bytes, std::size_t count) {
        if (full_ || count > size_ - 1 - used_) {
            full_ = true;
            return;
        }
        std::memcpy(out_ + used_, bytes, count);
        used_ += count;
    }

    // A terminated text, character by character.
    void AppendText(const char* text) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
        for (std::size_t i = 0; bytes[i] != 0 && !full_;) {
            const std::size_t count = IsDbcsLeadPair(text + i) ? 2 : 1;
            Append(bytes + i, count);
            i += count;
        }
    }

    void AppendNumber(const std::int32_t* value) {
        if (value == nullptr) {
            ShowAccessViolation();
            return;
        }
        AppendText(String::FromInt(*value).c_str());
    }

    void ExpandCode(std::uint8_t code, std::uint32_t index) {
        VmState* vm = g_vm;
        if (vm == nullptr) return;
        if (code == kCodeAInt) {
            AppendNumber(vm->AInt(index));
        } else if (code == kCodeCInt) {
            AppendNumber(vm->CInt(index));
        } else {
            const VmString* string = vm->AString(index);
            if (string == nullptr) {
                ShowAccessViolation();
                return;
            }
            if (depth_ >= kMaxNesting || innerBudget_ <= 0) return;
            --innerBudget_;
            char inner[kInnerSize];
            Expander(inner, sizeof inner, depth_ + 1, innerBudget_).Run(string->Bytes(), string->Length());
            AppendText(inner);
        }
    }

    char* out_;
    std::size_t size_;
    std::size_t used_ = 0;
    bool full_ = false;
    int depth_;
    int& innerBudget_;
};

}  // namespace

bool ExpandText(const std::uint8_t* source, std::size_t length, char* out, std::size_t size) {
    if (out == nullptr || size == 0) return false;
    if (source == nullptr) length = 0;
    int innerBudget = kMaxInnerExpansions;
    return Expander(out, size, 0, innerBudget).Run(source, length);
}

bool FetchStringOperand(const VmValue& value, char* out, std::size_t size) {
    VmState* vm = g_vm;
    if (vm == nullptr || out == nullptr || size == 0) return false;
    const std::uint8_t* text = nullptr;
    std::uint32_t length = 0;
    switch (value.type) {
        case vm_type::kLiteral:
            if (!vm->GetLiteral(value.value, text, length)) text = nullptr;
            break;
        case vm_type::kAStringRef:
            if (const VmString* string = vm->AString(value.value)) {
                text = string->Bytes();
                length = string->Length();
                if (text == nullptr) text = reinterpret_cast<const std::uint8_t*>("");
            }
            break;
        case vm_type::kBStringRef:
            if (const VmString* string = vm->BString(value.value)) {
                text = string->Bytes();
                length = string->Length();
                if (text == nullptr) text = reinterpret_cast<const std::uint8_t*>("");
            }
            break;
        default:
            return false;
    }
    if (text == nullptr) {
        ShowAccessViolation();
        out[0] = '\0';
        return false;
    }
    return ExpandText(text, length, out, size);
}

}  // namespace kv
