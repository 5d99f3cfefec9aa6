#include "sdk/native_file.h"

#include <string>
#include <windows.h>

namespace lpr {
namespace {

// FILETIME counts 100 ns steps since 1601; only differences matter here.
int64_t Nanoseconds(const LARGE_INTEGER& time) {
    return time.QuadPart * 100;
}

int64_t Nanoseconds(const FILETIME& time) {
    LARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = static_cast<LONG>(time.dwHighDateTime);
    return Nanoseconds(value);
}

// The image's path comes as UTF-8, as every path in the tool; a caller's
// path that is not UTF-8 is taken in the ANSI code page, as before.
HANDLE OpenForReading(const std::string& path) {
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const int size = static_cast<int>(path.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
    if (path.empty() || length <= 0) {
        return CreateFileA(path.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, wide.data(), length);
    return CreateFileW(wide.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::optional<NativeFile> OpenRegularFile(const std::string& path) {
    // Readers and writers of the image stay allowed, as with open(2); a file
    // that changes meanwhile is caught by its stamp and its length.
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt; // a folder needs FILE_FLAG_BACKUP_SEMANTICS: refused here too
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return std::nullopt;
    }
    return file;
}

void CloseNativeFile(NativeFile file) {
    CloseHandle(file);
}

long long ReadFileAt(NativeFile file, uint64_t offset, void* buffer, std::size_t count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xffffffffu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
    DWORD got = 0;
    if (!ReadFile(file, buffer, want, &got, &at)) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<long long>(got);
}

std::optional<FileStamp> StampOf(NativeFile file) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!GetFileInformationByHandle(file, &info) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times)) {
        return std::nullopt;
    }
    return FileStamp{info.dwVolumeSerialNumber,
                     (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                     (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     Nanoseconds(times.LastWriteTime), Nanoseconds(times.ChangeTime)};
}

int64_t WallClockNs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return Nanoseconds(now);
}

} // namespace lpr
