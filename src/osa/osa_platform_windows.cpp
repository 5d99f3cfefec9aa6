#include "osa/osa_localtime.h"
#include "osa/osa_path.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <ctime>
#include <limits>
#include <vector>
#include <windows.h>

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

bool OSA_fileAppend(const std::string& utf8Path, const std::string& bytes) {
    if (bytes.size() > std::numeric_limits<DWORD>::max()) {
        return false;
    }
    const std::filesystem::path path = OSA_pathFromUtf8(utf8Path);
    // FILE_APPEND_DATA alone makes every write land at the end of the file;
    // share mode 0 shuts out every other opener while the file is open.
    const HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const BOOL closed = ::CloseHandle(file);
    return ok && closed && written == bytes.size();
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
