#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace camsim_test {

struct HttpResult {
    int curlCode = 0; // CURLE_OK = 0
    long status = 0;
    std::string body;
    bool ok() const { return curlCode == 0; }
};

// The answer's body as JSON (discarded when it is not JSON).
inline nlohmann::json bodyOf(const HttpResult& r) {
    return nlohmann::json::parse(r.body, nullptr, false);
}

struct HttpCall {
    std::string method = "GET";
    std::string url;
    std::string user = "admin";
    std::string password = "ploma";
    bool digest = true; // false: Basic
    std::string body;
    std::vector<std::string> headers;
    std::chrono::milliseconds timeout{5000};
    // When set, the body is streamed from it (size bytes) instead of `body`.
    std::function<std::size_t(char*, std::size_t)> source;
    std::uint64_t sourceSize = 0;
};

HttpResult perform(const HttpCall& call);

std::string urlOf(const std::string& address, int port, const std::string& path);

// Convenience calls with the default credentials.
HttpResult get(const std::string& address, int port, const std::string& path);
HttpResult postJson(const std::string& address, int port, const std::string& path,
                    const std::string& json);
HttpResult uploadImage(const std::string& address, int port,
                       const std::vector<unsigned char>& image, const std::string& sha256Hex);

} // namespace camsim_test
