#include "sdk/camera_messages.h"

#include <limits>
#include <nlohmann/json.hpp>

namespace lpr {
namespace {

using nlohmann::json;

// Parses an object without exceptions; anything else is no answer.
std::optional<json> ParseObject(std::string_view text, std::size_t limit) {
    if (text.size() > limit) {
        return std::nullopt;
    }
    json value = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (!value.is_object()) {
        return std::nullopt;
    }
    return value;
}

// Integers only: 80.0, "80" and true are not ports or codes.
std::optional<int64_t> IntegerOf(const json& value) {
    if (!value.is_number_integer()) {
        return std::nullopt;
    }
    if (value.is_number_unsigned()) {
        uint64_t number = value.get<uint64_t>();
        if (number > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<int64_t>(number);
    }
    return value.get<int64_t>();
}

std::optional<int32_t> Int32Of(const json& value) {
    auto number = IntegerOf(value);
    if (!number || *number < std::numeric_limits<int32_t>::min() ||
        *number > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*number);
}

std::optional<int64_t> IntegerField(const json& object, const char* key) {
    auto it = object.find(key);
    return it == object.end() ? std::nullopt : IntegerOf(*it);
}

std::optional<int32_t> Int32Field(const json& object, const char* key) {
    auto it = object.find(key);
    return it == object.end() ? std::nullopt : Int32Of(*it);
}

std::optional<std::string> StringField(const json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        return std::nullopt;
    }
    return it->get<std::string>();
}

// Optional descriptive fields: a missing or wrongly typed one becomes empty
// rather than rejecting an otherwise usable answer.
std::string TextOrEmpty(const json& object, const char* key) {
    return StringField(object, key).value_or(std::string());
}

} // namespace

std::string MakeProbe(std::string_view nonce) {
    // In the protocol's own key order, for cameras that read it less kindly than JSON allows.
    nlohmann::ordered_json probe = {{"op", "probe"}, {"v", 1}, {"nonce", std::string(nonce)}};
    return probe.dump();
}

std::optional<Hello> ParseHello(std::string_view datagram, std::string_view nonce) {
    auto object = ParseObject(datagram, kMaxHelloBytes);
    if (!object) {
        return std::nullopt;
    }
    auto op = StringField(*object, "op");
    auto theirNonce = StringField(*object, "nonce");
    auto port = IntegerField(*object, "port");
    if (!op || *op != "hello" || !theirNonce || *theirNonce != nonce || !port || *port < 1 ||
        *port > 65535) {
        return std::nullopt;
    }
    Hello hello;
    hello.port = static_cast<uint16_t>(*port);
    hello.model = TextOrEmpty(*object, "model");
    hello.serial = TextOrEmpty(*object, "serial");
    hello.version = TextOrEmpty(*object, "version");
    return hello;
}

std::optional<DeviceInfo> ParseDeviceInfo(std::string_view body) {
    auto object = ParseObject(body, kMaxAnswerBytes);
    if (!object) {
        return std::nullopt;
    }
    auto it = object->find("version");
    if (it == object->end() || !it->is_array() || it->size() != 4) {
        return std::nullopt;
    }
    DeviceInfo info;
    for (std::size_t i = 0; i < 4; ++i) {
        auto part = Int32Of((*it)[i]);
        if (!part) {
            return std::nullopt;
        }
        info.version[i] = *part;
    }
    info.model = TextOrEmpty(*object, "model");
    info.serial = TextOrEmpty(*object, "serial");
    info.platform = TextOrEmpty(*object, "platform");
    return info;
}

std::optional<FirmwareStatus> ParseFirmwareStatus(std::string_view body) {
    auto object = ParseObject(body, kMaxAnswerBytes);
    if (!object) {
        return std::nullopt;
    }
    auto state = StringField(*object, "state");
    if (!state) {
        return std::nullopt;
    }
    FirmwareStatus status;
    if (*state == "idle") {
        status.state = FirmwareState::Idle;
    } else if (*state == "flashing") {
        status.state = FirmwareState::Flashing;
    } else if (*state == "done") {
        status.state = FirmwareState::Done;
    } else if (*state == "failed") {
        status.state = FirmwareState::Failed;
    } else {
        return std::nullopt;
    }
    status.error = Int32Field(*object, "error").value_or(0);
    status.progress = Int32Field(*object, "progress").value_or(0);
    return status;
}

std::optional<int32_t> ParseErrorCode(std::string_view body) {
    auto object = ParseObject(body, kMaxAnswerBytes);
    if (!object) {
        return std::nullopt;
    }
    auto code = Int32Field(*object, "error");
    if (!code || *code <= 0) {
        return std::nullopt;
    }
    return code;
}

std::optional<ShellResult> ParseShellResult(std::string_view body) {
    auto object = ParseObject(body, kMaxAnswerBytes);
    if (!object) {
        return std::nullopt;
    }
    auto exitCode = Int32Field(*object, "exit");
    if (!exitCode) {
        return std::nullopt;
    }
    return ShellResult{*exitCode, TextOrEmpty(*object, "output")};
}

std::optional<std::string> MakeShellRequest(std::string_view command) {
    if (command.size() > kMaxShellCommandBytes) {
        return std::nullopt;
    }
    json request = {{"command", std::string(command)}};
    try {
        return request.dump();
    } catch (const json::exception&) {
        return std::nullopt; // not valid UTF-8
    }
}

} // namespace lpr
