#include "sdk/camera_calls.h"

namespace lpr {

std::optional<DeviceInfo> FetchDeviceInfo(const CameraEndpoint& endpoint, long connectMs,
                                          long totalMs) {
    HttpCall call;
    call.method = "GET";
    call.path = "/api/v1/device";
    call.limits.connectMs = connectMs;
    call.limits.totalMs = totalMs;
    HttpResult result = PerformCameraCall(endpoint, call);
    if (result.failure != HttpFailure::None || result.status != 200) {
        return std::nullopt;
    }
    return ParseDeviceInfo(result.body);
}

bool RequestReboot(const CameraEndpoint& endpoint) {
    HttpCall call;
    call.method = "POST";
    call.path = "/api/v1/reboot";
    call.contentType = "application/json";
    call.body = "{}";
    call.limits.connectMs = kConnectMs;
    call.limits.totalMs = kRequestMs;
    HttpResult result = PerformCameraCall(endpoint, call);
    return result.failure == HttpFailure::None && result.status >= 200 && result.status < 300;
}

std::optional<ShellResult> RunShellCommand(const CameraEndpoint& endpoint,
                                           std::string_view command) {
    std::optional<std::string> body = MakeShellRequest(command);
    if (!body) {
        return std::nullopt;
    }
    HttpCall call;
    call.method = "POST";
    call.path = "/api/v1/shell";
    call.contentType = "application/json";
    call.body = std::move(*body);
    call.limits.connectMs = kConnectMs;
    call.limits.totalMs = kRequestMs;
    HttpResult result = PerformCameraCall(endpoint, call);
    if (result.failure != HttpFailure::None || result.status != 200) {
        return std::nullopt;
    }
    return ParseShellResult(result.body);
}

} // namespace lpr
