#include "http_client.h"

#include <curl/curl.h>
#include <memory>

namespace camsim_test {
namespace {

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
};

std::size_t collect(char* data, std::size_t size, std::size_t n, void* user) {
    static_cast<std::string*>(user)->append(data, size * n);
    return size * n;
}

std::size_t supply(char* buffer, std::size_t size, std::size_t n, void* user) {
    auto* call = static_cast<const HttpCall*>(user);
    return call->source(buffer, size * n);
}

int rewind(void*, curl_off_t, int) {
    // Streamed bodies cannot be rewound; the Digest handshake must not need it.
    return CURL_SEEKFUNC_CANTSEEK;
}

} // namespace

HttpResult perform(const HttpCall& call) {
    static CurlGlobal global;
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    HttpResult result;
    curl_slist* headers = nullptr;
    for (const auto& h : call.headers) {
        headers = curl_slist_append(headers, h.c_str());
    }
    curl_easy_setopt(curl.get(), CURLOPT_URL, call.url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, static_cast<long>(call.timeout.count()));
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, 3000L);
    curl_easy_setopt(curl.get(), CURLOPT_HTTPAUTH, call.digest ? CURLAUTH_DIGEST : CURLAUTH_BASIC);
    curl_easy_setopt(curl.get(), CURLOPT_USERNAME, call.user.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PASSWORD, call.password.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &result.body);
    if (call.method == "POST") {
        curl_easy_setopt(curl.get(), CURLOPT_POST, 1L);
        if (call.source) {
            curl_easy_setopt(curl.get(), CURLOPT_READFUNCTION, supply);
            curl_easy_setopt(curl.get(), CURLOPT_READDATA, &call);
            curl_easy_setopt(curl.get(), CURLOPT_SEEKFUNCTION, rewind);
            curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(call.sourceSize));
        } else {
            curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, call.body.data());
            curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(call.body.size()));
        }
    } else if (call.method != "GET") {
        curl_easy_setopt(curl.get(), CURLOPT_CUSTOMREQUEST, call.method.c_str());
    }
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    result.curlCode = curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.status);
    curl_slist_free_all(headers);
    return result;
}

std::string urlOf(const std::string& address, int port, const std::string& path) {
    return "http://" + address + ":" + std::to_string(port) + path;
}

HttpResult get(const std::string& address, int port, const std::string& path) {
    HttpCall call;
    call.url = urlOf(address, port, path);
    return perform(call);
}

HttpResult postJson(const std::string& address, int port, const std::string& path,
                    const std::string& json) {
    HttpCall call;
    call.method = "POST";
    call.url = urlOf(address, port, path);
    call.body = json;
    call.headers = {"Content-Type: application/json"};
    return perform(call);
}

HttpResult uploadImage(const std::string& address, int port,
                       const std::vector<unsigned char>& image, const std::string& sha256Hex) {
    HttpCall call;
    call.method = "POST";
    call.url = urlOf(address, port, "/api/v1/firmware");
    call.body.assign(image.begin(), image.end());
    call.headers = {"Content-Type: application/octet-stream", "X-Firmware-Sha256: " + sha256Hex};
    call.timeout = std::chrono::seconds(30);
    return perform(call);
}

} // namespace camsim_test
