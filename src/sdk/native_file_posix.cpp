#include "sdk/native_file.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lpr {
namespace {

int64_t Nanoseconds(const timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

std::optional<NativeFile> OpenRegularFile(const std::string& path) {
    // Non-blocking: opening a pipe for reading would otherwise wait for a
    // writer, and a device may wait for its hardware.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        close(fd);
        return std::nullopt;
    }
    return fd;
}

void CloseNativeFile(NativeFile file) {
    close(file);
}

long long ReadFileAt(NativeFile file, uint64_t offset, void* buffer, std::size_t count) {
    for (;;) {
        ssize_t got = pread(file, buffer, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got;
    }
}

std::optional<FileStamp> StampOf(NativeFile file) {
    struct stat info {};
    if (fstat(file, &info) != 0) {
        return std::nullopt;
    }
    return FileStamp{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                     static_cast<uint64_t>(info.st_size), Nanoseconds(info.st_mtim),
                     Nanoseconds(info.st_ctim)};
}

int64_t WallClockNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

} // namespace lpr
