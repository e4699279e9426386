#include "backend/desktop_service.h"

#include <cstdlib>
#include <memory>

#include "backend/file_service.h"

namespace backend {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// "scheme:..." with a scheme of two characters or more: one letter and a colon is a drive.
bool IsAddress(std::string_view target) {
    if (target.empty() || !IsAsciiLetter(target[0])) return false;
    std::size_t i = 1;
    while (i < target.size() &&
           (IsAsciiLetter(target[i]) || IsAsciiDigit(target[i]) || target[i] == '+' || target[i] == '-' || target[i] == '.'))
        ++i;
    return i >= 2 && i < target.size() && target[i] == ':';
}

}  // namespace

std::string DesktopOpenerArgument(FileService& files, CodePage page, std::string_view target) {
    if (target.empty()) return {};
    if (IsAddress(target)) {
        std::string address;
        return ToUtf8(page, target, address) ? address : std::string();
    }
    if (!files.IsRegularFile(target) && !files.IsDirectory(target)) return {};
    const std::string native = files.NativePath(target);
    // Absolute, so that the opener never takes a name beginning with '-' for an option.
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(native.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

}  // namespace backend
