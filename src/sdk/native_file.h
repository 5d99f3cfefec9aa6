// The image file as the operating system hands it out: read at an offset
// (several uploads of one handle never share a file position) and stamped
// with what identifies one version of its content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lpr {

#ifdef _WIN32
using NativeFile = void*; // a HANDLE
#else
using NativeFile = int; // a file descriptor
#endif

// Opens a regular file for reading; nothing for a missing file, a folder,
// a pipe or a device.
std::optional<NativeFile> OpenRegularFile(const std::string& path);
void CloseNativeFile(NativeFile file);

// Bytes read at `offset` into `buffer`: 0 at the end, -1 on an error.
long long ReadFileAt(NativeFile file, uint64_t offset, void* buffer, std::size_t count);

// What changes whenever the file's content may have changed: the file's
// identity on its volume, its size, its modification and change times (in
// nanoseconds of the wall clock).
struct FileStamp {
    uint64_t volume = 0;
    uint64_t identity = 0;
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> StampOf(NativeFile file);

// The wall clock in the stamps' unit.
int64_t WallClockNs();

} // namespace lpr
