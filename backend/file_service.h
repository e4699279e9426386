#pragma once
// Files and folders by engine path ('\'-separated, in the build's code page, names matched
// without regard to case as the games expect), the program's own place, and the
// single-instance lock.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace backend {

enum class FileMode : std::uint8_t {
    Read,       // existing file, reading
    Write,      // create or truncate, writing
    ReadWrite,  // existing file, reading and writing
};

class FileHandle {
public:
    virtual ~FileHandle() = default;
    // Returns the number of bytes read or written; fewer than asked means end of file or error.
    virtual std::size_t Read(void* buffer, std::size_t bytes) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t bytes) = 0;
    virtual bool Seek(std::int64_t offset) = 0;  // from the start
    virtual std::int64_t Tell() = 0;
    virtual std::int64_t Size() = 0;
    virtual bool Flush() = 0;  // pushes written data to the disk
};

class FileService {
public:
    virtual ~FileService() = default;

    virtual std::unique_ptr<FileHandle> OpenFile(std::string_view path, FileMode mode) = 0;
    virtual bool IsRegularFile(std::string_view path) = 0;
    virtual bool IsDirectory(std::string_view path) = 0;
    virtual bool MakeDirectory(std::string_view path) = 0;
    // Replaces the target when it exists.
    virtual bool RenameFile(std::string_view from, std::string_view to) = 0;
    virtual bool RemoveFile(std::string_view path) = 0;
    // The real path an engine path stands for ("" when it cannot be converted).
    virtual std::string NativePath(std::string_view path) = 0;

    // The program's own folder in the engine's form, with a trailing '\'.
    virtual std::string ModuleFolder() = 0;
    // The program's file name without a trailing ".exe".
    virtual std::string ModuleBaseName() = 0;
    // Single-instance guard: false when another running program holds the lock.
    virtual bool AcquireInstanceLock(std::string_view name) = 0;
    virtual void ReleaseInstanceLock() = 0;
};

// Reads exactly size bytes from the file's position into out; false when the file ends or fails
// first, or the size is negative.
bool ReadExactly(FileHandle& file, std::int64_t size, std::vector<std::uint8_t>& out);
// The same into a buffer of that many bytes.
bool ReadExactly(FileHandle& file, void* buffer, std::size_t bytes);

}  // namespace backend
