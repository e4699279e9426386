#include "backend/posix/path_resolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>


namespace backend {
namespace {

// Splits at '\' and '/', leaving the second byte of a double-byte character alone (0x5C can be
// a trail byte).
std::vector<std::string> SplitComponents(CodePage page, std::string_view path, bool& absolute) {
    std::vector<std::string> parts;
    std::string current;
    const auto* bytes = reinterpret_cast<const unsigned char*>(path.data());
    absolute = !path.empty() && (path[0] == '\\' || path[0] == '/');
    for (std::size_t i = 0; i < path.size();) {
        if (IsLeadPair(page, bytes + i, path.size() - i)) {
            current.append(path.substr(i, 2));
            i += 2;
            continue;
        }
        char c = path[i++];
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// The entry of folder whose name equals name but for case; name itself when none does.
std::string MatchEntry(const std::string& folder, const std::string& name) {
    if (name == "." || name == ".." || Exists(folder + name)) return name;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return name;
    std::string found = name;
    while (const dirent* entry = ::readdir(dir)) {
        if (SameIgnoringAsciiCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

std::string ResolveEnginePath(CodePage page, std::string_view enginePath) {
    bool absolute = false;
    std::vector<std::string> parts = SplitComponents(page, enginePath, absolute);
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string native;
        if (!ToUtf8(page, parts[i], native)) return "";
        result += MatchEntry(result, native);
        if (i + 1 < parts.size()) result += '/';
    }
    if (result.empty()) result = ".";
    return result;
}

std::string EngineFolderFromNative(CodePage page, std::string_view nativeFolder) {
    std::string converted;
    if (!FromUtf8(page, nativeFolder, converted)) converted.assign(nativeFolder);
    for (char& c : converted)
        if (c == '/') c = '\\';
    if (converted.empty() || converted.back() != '\\') converted += '\\';
    return converted;
}

}  // namespace backend
