#pragma once
// The file service on a POSIX file system, shared by both backends and the command-line tools:
// engine paths resolved without regard to case, files over file descriptors, and a lock file as
// the single-instance guard.

#include <string>

#include "backend/code_page.h"
#include "backend/file_service.h"
#include "backend/posix/instance_lock.h"

namespace backend {

struct ProgramLocation {
    std::string nativeFolder;  // the folder the program lies in
    std::string fileName;      // the program's file name
};

// Where the running program lies (from /proc/self/exe; "./kvrebody" when that cannot be read).
ProgramLocation RunningProgramLocation();

class PosixFileService final : public FileService {
public:
    // lockSuffix is added to every lock name, so that test runs do not lock each other out.
    PosixFileService(CodePage page, ProgramLocation program, std::string lockSuffix = {});

    std::unique_ptr<FileHandle> OpenFile(std::string_view path, FileMode mode) override;
    bool IsRegularFile(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool MakeDirectory(std::string_view path) override;
    bool RenameFile(std::string_view from, std::string_view to) override;
    bool RemoveFile(std::string_view path) override;
    std::string NativePath(std::string_view path) override;
    std::string ModuleFolder() override;
    std::string ModuleBaseName() override;
    bool AcquireInstanceLock(std::string_view name) override;
    void ReleaseInstanceLock() override;

private:
    CodePage page_;
    ProgramLocation program_;
    std::string lockSuffix_;
    InstanceLock lock_;
};

}  // namespace backend
