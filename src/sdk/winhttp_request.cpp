#include "sdk/winhttp_request.h"

#include "sdk/http_transport.h"

#include <algorithm>
#include <utility>

namespace lpr {
namespace {

// Header texts are bytes; WinHTTP takes them as UTF-16 and sends each
// character below 256 as that byte.
std::wstring Widen(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string Narrow(const wchar_t* text, std::size_t length) {
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(text[i] < 256 ? static_cast<char>(text[i]) : '?');
    }
    return out;
}

} // namespace

long MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return std::max<long>(1, static_cast<long>(std::min<long long>(left.count(), 0x7fffffff)));
}

WinHttpSession::WinHttpSession(const std::string& address, uint16_t port) {
    // Cameras are reached directly, never through a proxy.
    session_ = WinHttpOpen(L"tolvane", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                           WINHTTP_NO_PROXY_BYPASS, 0);
    if (session_ != nullptr) {
        connect_ = WinHttpConnect(session_, Widen(address).c_str(), port, 0);
    }
}

WinHttpSession::WinHttpSession(WinHttpSession&& other) noexcept
    : session_(std::exchange(other.session_, nullptr)),
      connect_(std::exchange(other.connect_, nullptr)) {}

WinHttpSession::~WinHttpSession() {
    if (connect_ != nullptr) {
        WinHttpCloseHandle(connect_);
    }
    if (session_ != nullptr) {
        WinHttpCloseHandle(session_);
    }
}

WinHttpRequest::WinHttpRequest(const WinHttpSession& session, const char* method,
                               const std::string& path, bool keepAlive)
    : session_(session), method_(method), path_(path), keepAlive_(keepAlive) {}

WinHttpRequest::~WinHttpRequest() {
    Abort();
}

void WinHttpRequest::Abort() {
    if (HINTERNET request = request_.exchange(nullptr); request != nullptr) {
        WinHttpCloseHandle(request);
    }
}

bool WinHttpRequest::Open(long connectMs, long leftMs) {
    HINTERNET request =
        WinHttpOpenRequest(session_.Connection(), Widen(method_).c_str(), Widen(path_).c_str(),
                           nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    if (request == nullptr) {
        return false;
    }
    request_.store(request);
    // No redirects, no cookies, and no answer to a 401 but our own Digest.
    DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES |
                     WINHTTP_DISABLE_AUTHENTICATION | (keepAlive_ ? 0 : WINHTTP_DISABLE_KEEP_ALIVE);
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
    DWORD headerCap = static_cast<DWORD>(kMaxHeaderBytes);
    WinHttpSetOption(request, WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE, &headerCap,
                     sizeof headerCap);
    const int left = static_cast<int>(leftMs);
    return WinHttpSetTimeouts(request, left, static_cast<int>(connectMs), left, left) != FALSE;
}

bool WinHttpRequest::SetTimeout(DWORD option, long ms) {
    HINTERNET request = request_.load();
    DWORD value = static_cast<DWORD>(ms);
    return request != nullptr && WinHttpSetOption(request, option, &value, sizeof value) != FALSE;
}

bool WinHttpRequest::SetSendTimeout(long ms) {
    return SetTimeout(WINHTTP_OPTION_SEND_TIMEOUT, ms);
}

bool WinHttpRequest::SetReceiveTimeout(long ms) {
    return SetTimeout(WINHTTP_OPTION_RECEIVE_TIMEOUT, ms);
}

bool WinHttpRequest::SendHead(const std::vector<std::string>& headers, const std::string& body,
                              uint64_t total) {
    HINTERNET request = request_.load();
    std::string lines;
    for (const std::string& header : headers) {
        lines += header + "\r\n";
    }
    DWORD announced = static_cast<DWORD>(total);
    if (total > 0xffffffffu) {
        // Beyond a DWORD the length goes as a header of our own.
        lines += "Content-Length: " + std::to_string(total) + "\r\n";
        announced = WINHTTP_IGNORE_REQUEST_TOTAL_LENGTH;
    }
    if (!lines.empty() &&
        !WinHttpAddRequestHeaders(request, Widen(lines).c_str(), static_cast<DWORD>(-1),
                                  WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
        return false;
    }
    void* data = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
    return WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, data,
                              static_cast<DWORD>(body.size()), announced, 0) != FALSE;
}

bool WinHttpRequest::Write(const char* data, std::size_t size) {
    DWORD written = 0;
    return WinHttpWriteData(request_.load(), data, static_cast<DWORD>(size), &written) != FALSE &&
           written == size;
}

bool WinHttpRequest::ReceiveHead() {
    return WinHttpReceiveResponse(request_.load(), nullptr) != FALSE;
}

long WinHttpRequest::Status() {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request_.load(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return 0;
    }
    return static_cast<long>(status);
}

std::vector<std::string> WinHttpRequest::AuthenticateHeaders() {
    std::vector<std::string> values;
    std::vector<wchar_t> buffer(kMaxHeaderBytes / sizeof(wchar_t) + 1);
    for (DWORD index = 0;;) {
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        DWORD asked = index;
        if (!WinHttpQueryHeaders(request_.load(), WINHTTP_QUERY_WWW_AUTHENTICATE,
                                 WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &bytes, &index) ||
            index == asked) {
            break; // ERROR_WINHTTP_HEADER_NOT_FOUND: no more of them
        }
        values.push_back(Narrow(buffer.data(), bytes / sizeof(wchar_t)));
    }
    return values;
}

bool WinHttpRequest::Read(char* buffer, std::size_t size, std::size_t& got) {
    DWORD read = 0;
    if (!WinHttpReadData(request_.load(), buffer, static_cast<DWORD>(size), &read)) {
        return false;
    }
    got = read;
    return true;
}

CancelWatch::CancelWatch(WinHttpRequest& request, const std::atomic<bool>* cancel) {
    if (cancel == nullptr) {
        return;
    }
    thread_ = std::thread([this, &request, cancel] {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!done_) {
            if (cancel->load()) {
                request.Abort();
                return;
            }
            wake_.wait_for(lock, std::chrono::milliseconds(200));
        }
    });
}

CancelWatch::~CancelWatch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace lpr
