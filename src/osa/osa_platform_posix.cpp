#include "osa/osa_localtime.h"
#include "osa/osa_path.h"
#include "osa/osa_process_text.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
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

bool OSA_fileAppend(const std::string& utf8Path, const std::string& bytes) {
    // O_APPEND keeps each write whole against other processes appending too.
    const int fd = ::open(utf8Path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    return ::close(fd) == 0 && ok;
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
