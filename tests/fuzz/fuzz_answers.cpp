// Answer bodies as a camera (or anything listening on its port) may send them.
#include "sdk/camera_messages.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view body(reinterpret_cast<const char*>(data), size);
    (void)lpr::ParseDeviceInfo(body);
    auto status = lpr::ParseFirmwareStatus(body);
    auto code = lpr::ParseErrorCode(body);
    if (code && *code <= 0) {
        __builtin_trap();
    }
    (void)status;
    (void)lpr::ParseShellResult(body);
    (void)lpr::MakeShellRequest(body);
    return 0;
}
