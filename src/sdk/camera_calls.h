// The camera's control operations as plain calls with the SDK's bounds, and
// the mapping of transport failures onto the protocol's error codes.
#pragma once

#include "sdk/camera_messages.h"
#include "sdk/http_client.h"

#include <optional>
#include <string_view>

namespace lpr {

// Bounds of the log-in and device calls.
constexpr long kConnectMs = 3000;
constexpr long kRequestMs = 10000;
// LprIsConnected answers within this, whatever the camera does.
constexpr long kConnectedCheckMs = 1000;

// GET /api/v1/device; nothing on any failure (401 included).
std::optional<DeviceInfo> FetchDeviceInfo(const CameraEndpoint& endpoint, long connectMs,
                                          long totalMs);

// POST /api/v1/reboot; true on a 2xx answer.
bool RequestReboot(const CameraEndpoint& endpoint);

// POST /api/v1/shell; the camera's answer, or nothing on any failure. A
// command the protocol cannot carry is never sent.
std::optional<ShellResult> RunShellCommand(const CameraEndpoint& endpoint,
                                           std::string_view command);

} // namespace lpr
