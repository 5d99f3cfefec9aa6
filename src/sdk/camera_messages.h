// Pure parsers and builders for the JSON the SDK exchanges with a camera.
// They take untrusted bytes and never throw: a malformed input yields an
// empty optional. Kept free of I/O so that fuzz targets can drive them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lpr {

// Longest hello datagram accepted; longer ones are dropped.
constexpr std::size_t kMaxHelloBytes = 1024;
// Longest JSON answer body accepted from a camera.
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;
// Longest shell command sent to a camera.
constexpr std::size_t kMaxShellCommandBytes = 256;

struct Hello {
    uint16_t port = 0;
    std::string model;
    std::string serial;
    std::string version;
};

// The probe datagram of one search. `nonce` is 16 hex digits.
std::string MakeProbe(std::string_view nonce);

// A hello answering the probe with `nonce`, or nothing when the datagram is
// too long, not JSON, of another op, for another nonce or names no usable port.
std::optional<Hello> ParseHello(std::string_view datagram, std::string_view nonce);

struct DeviceInfo {
    std::string model;
    std::string serial;
    std::string platform;
    std::array<int32_t, 4> version{};
};

// The answer of GET /api/v1/device.
std::optional<DeviceInfo> ParseDeviceInfo(std::string_view body);

enum class FirmwareState { Idle, Flashing, Done, Failed };

struct FirmwareStatus {
    FirmwareState state = FirmwareState::Idle;
    int32_t error = 0;
    int32_t progress = 0;
};

// The answer of GET /api/v1/firmware.
std::optional<FirmwareStatus> ParseFirmwareStatus(std::string_view body);

// The code of an error answer {"error":n,"message":"..."}; only positive
// codes that fit 32 bits count.
std::optional<int32_t> ParseErrorCode(std::string_view body);

struct ShellResult {
    int32_t exitCode = 0;
    std::string output;
};

// The answer of POST /api/v1/shell.
std::optional<ShellResult> ParseShellResult(std::string_view body);

// The body of POST /api/v1/shell, or nothing when the command is longer than
// kMaxShellCommandBytes or not valid UTF-8 (JSON cannot carry it).
std::optional<std::string> MakeShellRequest(std::string_view command);

} // namespace lpr
