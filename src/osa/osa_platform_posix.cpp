#include "osa/osa_localtime.h"
#include "osa/osa_path.h"
#include "osa/osa_process_text.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

std::vector<std::string> OSA_commandLineUtf8(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::optional<std::string> OSA_environmentUtf8(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::FILE* OSA_fileOpen(const std::string& utf8Path, const char* mode) {
    return std::fopen(utf8Path.c_str(), mode);
}

std::filesystem::path OSA_selfExecutable() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

namespace {

// Appenders through OSA_fileAppendLine in other processes hold the lock for
// one write only; two seconds is far beyond that.
bool LockForAppend(int fd) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        ::usleep(10'000);
    }
    errno = EBUSY;
    return false;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool OSA_fileAppendLine(const std::string& utf8Path, const std::string& bytes,
                        const char* lineBreak) {
    // O_APPEND keeps each write at the end against appenders that do not lock.
    const int fd = ::open(utf8Path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool ok = LockForAppend(fd) && ::fstat(fd, &st) == 0;
    std::string out;
    if (ok && S_ISREG(st.st_mode) && st.st_size > 0) {
        char last = '\n';
        ok = ::pread(fd, &last, 1, st.st_size - 1) == 1;
        if (last != '\n') {
            out = lineBreak;
        }
    }
    out += bytes;
    if (ok && !WriteAll(fd, out)) {
        const int failure = errno;
        if (S_ISREG(st.st_mode)) {
            // Nothing half written stays behind to be taken for a line.
            (void)::ftruncate(fd, st.st_size);
        }
        errno = failure;
        ok = false;
    }
    const int failure = errno;
    const bool closed = ::close(fd) == 0;
    errno = ok ? errno : failure;
    return ok && closed;
}

bool OSA_fileHoldLock(const std::string& utf8Path, intptr_t* held) {
    const int fd = ::open(utf8Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int failure = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        errno = failure;
        return false;
    }
    *held = fd;
    return true;
}

void OSA_fileReleaseLock(intptr_t held) {
    ::close(static_cast<int>(held));
}

bool OSA_localTime(std::time_t when, std::tm* out, long* utcOffsetSeconds) {
    if (::localtime_r(&when, out) == nullptr) {
        return false;
    }
    if (utcOffsetSeconds != nullptr) {
        *utcOffsetSeconds = out->tm_gmtoff;
    }
    return true;
}
