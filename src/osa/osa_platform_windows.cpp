#include "osa/osa_localtime.h"
#include "osa/osa_path.h"
#include "osa/osa_process_text.h"
#include "osa/osa_wide_text.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <vector>
#include <windows.h>
// After windows.h, whose declarations it builds on.
#include <shellapi.h>

std::wstring OSA_wideFromUtf8(const std::string& utf8) {
    if (utf8.empty() || utf8.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return std::wstring();
    }
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string OSA_utf8FromWide(const std::wstring& wide) {
    if (wide.empty() || wide.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return std::string();
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::vector<std::string> OSA_commandLineUtf8(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    // The system splits the same command line the runtime split for main;
    // should the two ever disagree, the runtime's split stands.
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) {
            ::LocalFree(wide);
        }
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(OSA_utf8FromWide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

std::optional<std::string> OSA_environmentUtf8(const char* name) {
    const wchar_t* value = ::_wgetenv(OSA_wideFromUtf8(name).c_str());
    return value != nullptr ? std::optional<std::string>(OSA_utf8FromWide(value)) : std::nullopt;
}

std::FILE* OSA_fileOpen(const std::string& utf8Path, const char* mode) {
    return ::_wfopen(OSA_pathFromUtf8(utf8Path).c_str(), OSA_wideFromUtf8(mode).c_str());
}

std::filesystem::path OSA_selfExecutable() {
    // Long paths can exceed MAX_PATH; grow until the name fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    while (buffer.size() <= 32768) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) {
            return {};
        }
        if (n < size) {
            return std::filesystem::path(std::wstring(buffer.data(), n));
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

namespace {

int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    default:
        return EIO;
    }
}

// Share mode 0 shuts out every other opener while the file is open; one who
// meets it open waits for that one write, up to two seconds.
HANDLE OpenForAppend(const std::filesystem::path& path) {
    for (int attempt = 0;; ++attempt) {
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION ||
            attempt >= 200) {
            return file;
        }
        ::Sleep(10);
    }
}

bool EndsWithLineBreak(HANDLE file, LONGLONG size) {
    LARGE_INTEGER at;
    at.QuadPart = size - 1;
    char last = '\n';
    DWORD read = 0;
    return size <= 0 || (::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                         ::ReadFile(file, &last, 1, &read, nullptr) && read == 1 && last == '\n');
}

} // namespace

bool OSA_fileAppendLine(const std::string& utf8Path, const std::string& bytes,
                        const char* lineBreak) {
    const HANDLE file = OpenForAppend(OSA_pathFromUtf8(utf8Path));
    if (file == INVALID_HANDLE_VALUE) {
        errno = ErrnoOf(::GetLastError());
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) != 0;
    const std::string out =
        ok && !EndsWithLineBreak(file, size.QuadPart) ? lineBreak + bytes : bytes;
    LARGE_INTEGER zero{};
    DWORD written = 0;
    ok = ok && out.size() <= std::numeric_limits<DWORD>::max() &&
         ::SetFilePointerEx(file, zero, nullptr, FILE_END) &&
         ::WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr) &&
         written == out.size();
    const int failure = ok ? 0 : ErrnoOf(::GetLastError());
    if (!ok) {
        // Nothing half written stays behind to be taken for a line.
        ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file);
    }
    const bool closed = ::CloseHandle(file) != 0;
    if (!ok) {
        errno = failure != 0 ? failure : ENOSPC;
    }
    return ok && closed;
}

bool OSA_fileHoldLock(const std::string& utf8Path, intptr_t* held) {
    // Share mode 0: nobody else opens it while it is held.
    const HANDLE file =
        ::CreateFileW(OSA_pathFromUtf8(utf8Path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = ErrnoOf(::GetLastError());
        return false;
    }
    *held = reinterpret_cast<intptr_t>(file);
    return true;
}

void OSA_fileReleaseLock(intptr_t held) {
    ::CloseHandle(reinterpret_cast<HANDLE>(held));
}

bool OSA_localTime(std::time_t when, std::tm* out, long* utcOffsetSeconds) {
    if (::localtime_s(out, &when) != 0) {
        return false;
    }
    if (utcOffsetSeconds != nullptr) {
        // The UTC fields read back as local time lie `offset` seconds early.
        std::tm utc{};
        if (::gmtime_s(&utc, &when) != 0) {
            return false;
        }
        utc.tm_isdst = out->tm_isdst;
        *utcOffsetSeconds = static_cast<long>(when - std::mktime(&utc));
    }
    return true;
}
