#include "backend/posix/posix_file_service.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "backend/posix/path_resolver.h"
#include "backend/posix/posix_file.h"

namespace backend {

ProgramLocation RunningProgramLocation() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    const std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "./kvrebody";
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ProgramLocation{".", path};
    return ProgramLocation{path.substr(0, slash + 1), path.substr(slash + 1)};
}

PosixFileService::PosixFileService(CodePage page, ProgramLocation program, std::string lockSuffix)
    : page_(page), program_(std::move(program)), lockSuffix_(std::move(lockSuffix)) {}

std::string PosixFileService::NativePath(std::string_view path) { return ResolveEnginePath(page_, path); }

std::unique_ptr<FileHandle> PosixFileService::OpenFile(std::string_view path, FileMode mode) {
    return OpenPosixFile(NativePath(path), mode);
}

bool PosixFileService::IsRegularFile(std::string_view path) {
    const std::string native = NativePath(path);
    struct stat info;
    return !native.empty() && ::stat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PosixFileService::IsDirectory(std::string_view path) {
    const std::string native = NativePath(path);
    struct stat info;
    return !native.empty() && ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileService::MakeDirectory(std::string_view path) {
    const std::string native = NativePath(path);
    return !native.empty() && ::mkdir(native.c_str(), 0755) == 0;
}

bool PosixFileService::RenameFile(std::string_view from, std::string_view to) {
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    return !source.empty() && !target.empty() && std::rename(source.c_str(), target.c_str()) == 0;
}

bool PosixFileService::RemoveFile(std::string_view path) {
    const std::string native = NativePath(path);
    return !native.empty() && ::unlink(native.c_str()) == 0;
}

std::string PosixFileService::ModuleFolder() { return EngineFolderFromNative(page_, program_.nativeFolder); }

std::string PosixFileService::ModuleBaseName() {
    std::string name = program_.fileName;
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
    std::string converted;
    return FromUtf8(page_, name, converted) ? converted : name;
}

bool PosixFileService::AcquireInstanceLock(std::string_view name) {
    std::string full(name);
    if (!lockSuffix_.empty()) full += "." + lockSuffix_;
    return lock_.Acquire(full);
}

void PosixFileService::ReleaseInstanceLock() { lock_.Release(); }

}  // namespace backend
