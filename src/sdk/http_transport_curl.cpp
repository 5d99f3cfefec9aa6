// The transport over libcurl.
#include "sdk/camera_messages.h"
#include "sdk/http_transport.h"

#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace lpr {
namespace {

using Clock = std::chrono::steady_clock;

// Large enough that loopback uploads are not limited by callback overhead.
constexpr long kUploadBufferBytes = 1L << 20;

struct CurlFree {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Everything the callbacks of one request touch.
struct Exchange {
    const HttpCall* call = nullptr;
    std::string body;
    bool bodyTooLarge = false;
    std::size_t headerBytes = 0;
    bool headersTooLarge = false;
    std::vector<std::string> authenticate;
    uint64_t offset = 0; // next file byte to send
    bool readFailed = false;
    bool connected = false; // a connection was made or reused for this request
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* ex = static_cast<Exchange*>(user);
    size_t bytes = size * count;
    if (ex->body.size() + bytes > kMaxAnswerBytes) {
        ex->bodyTooLarge = true;
        return 0; // makes curl stop with CURLE_WRITE_ERROR
    }
    ex->body.append(data, bytes);
    return bytes;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* ex = static_cast<Exchange*>(user);
    size_t bytes = size * count;
    ex->headerBytes += bytes;
    if (ex->headerBytes > kMaxHeaderBytes) {
        ex->headersTooLarge = true;
        return 0;
    }
    std::string_view line(data, bytes);
    if (StartsWithNoCase(line, "HTTP/")) {
        ex->authenticate.clear(); // a new answer (after a 100 Continue, say)
    } else if (StartsWithNoCase(line, "WWW-Authenticate:")) {
        std::string_view value = line.substr(std::strlen("WWW-Authenticate:"));
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) {
            value.remove_suffix(1);
        }
        ex->authenticate.emplace_back(value);
    }
    return bytes;
}

size_t OnReadFile(char* buffer, size_t size, size_t count, void* user) {
    auto* ex = static_cast<Exchange*>(user);
    const FileBody& file = *ex->call->file;
    uint64_t left = file.size - std::min(ex->offset, file.size);
    size_t want = static_cast<size_t>(std::min<uint64_t>(left, size * count));
    if (want == 0) {
        return 0;
    }
    long long got = ReadFileAt(file.file, ex->offset, buffer, want);
    if (got <= 0) {
        // Shorter than when it was hashed, or unreadable: never send a body
        // that does not match its Content-Length.
        ex->readFailed = true;
        return CURL_READFUNC_ABORT;
    }
    ex->offset += static_cast<uint64_t>(got);
    return static_cast<size_t>(got);
}

int OnSeekFile(void* user, curl_off_t offset, int origin) {
    auto* ex = static_cast<Exchange*>(user);
    if (origin != SEEK_SET || offset < 0) {
        return CURL_SEEKFUNC_CANTSEEK;
    }
    ex->offset = static_cast<uint64_t>(offset);
    return CURL_SEEKFUNC_OK;
}

int OnConnected(void* user, char*, char*, int, int) {
    static_cast<Exchange*>(user)->connected = true;
    return CURL_PREREQFUNC_OK;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* ex = static_cast<Exchange*>(user);
    const std::atomic<bool>* cancel = ex->call->cancel;
    return (cancel != nullptr && cancel->load(std::memory_order_relaxed)) ? 1 : 0;
}

HttpFailure Classify(CURLcode code, const Exchange& ex, bool connected) {
    switch (code) {
    case CURLE_OK:
        return HttpFailure::None;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
        return HttpFailure::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return connected ? HttpFailure::TimedOut : HttpFailure::CannotConnect;
    case CURLE_WRITE_ERROR:
        return (ex.bodyTooLarge || ex.headersTooLarge) ? HttpFailure::AnswerTooLarge
                                                       : HttpFailure::ConnectionLost;
    case CURLE_ABORTED_BY_CALLBACK:
        return HttpFailure::Cancelled;
    case CURLE_READ_ERROR:
        return ex.readFailed ? HttpFailure::FileUnreadable : HttpFailure::ConnectionLost;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_HTTP2:
        return HttpFailure::MalformedAnswer;
    default:
        // Send and receive errors, an empty or cut answer.
        return HttpFailure::ConnectionLost;
    }
}

long MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return std::max<long>(1, static_cast<long>(left.count()));
}

// One request on `curl`. `probe` sends a POST with an empty body, only to
// learn the challenge; a camera checks credentials before it acts.
HttpAnswer RunStep(CURL* curl, const CameraEndpoint& endpoint, const HttpCall& call, bool probe,
                   const std::string* authorization, Clock::time_point deadline) {
    Exchange ex;
    curl_easy_reset(curl); // options only: the open connection stays for reuse
    ex.call = &call;

    std::string url =
        "http://" + endpoint.address + ":" + std::to_string(endpoint.port) + call.path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, ""); // cameras are reached directly, never via a proxy
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     std::min(call.limits.connectMs, MillisecondsLeft(deadline)));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, MillisecondsLeft(deadline));
    if (call.limits.lowSpeedSeconds > 0) {
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, call.limits.lowSpeedBytesPerSecond);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, call.limits.lowSpeedSeconds);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &ex);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &ex);
    curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, OnConnected);
    curl_easy_setopt(curl, CURLOPT_PREREQDATA, &ex);
    if (call.cancel != nullptr) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &ex);
    }

    curl_slist* raw = nullptr;
    // Cameras need not speak 100-continue; waiting for it only adds a second.
    raw = curl_slist_append(raw, "Expect:");
    if (!call.contentType.empty()) {
        raw = curl_slist_append(raw, ("Content-Type: " + call.contentType).c_str());
    }
    for (const std::string& header : call.headers) {
        raw = curl_slist_append(raw, header.c_str());
    }
    if (authorization != nullptr) {
        raw = curl_slist_append(raw, ("Authorization: " + *authorization).c_str());
    }
    std::unique_ptr<curl_slist, SlistFree> headers(raw);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());

    if (std::strcmp(call.method, "GET") == 0) {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else if (probe) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, 0L);
    } else if (call.file) {
        // On a reused connection that breaks, libcurl sends the request again
        // with the same Authorization, which a camera rightly refuses as a
        // replay; on a fresh one the break itself is the outcome.
        curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnReadFile);
        curl_easy_setopt(curl, CURLOPT_READDATA, &ex);
        curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, OnSeekFile);
        curl_easy_setopt(curl, CURLOPT_SEEKDATA, &ex);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(call.file->size));
        curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
    } else {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, call.body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(call.body.size()));
    }

    CURLcode code = curl_easy_perform(curl);
    HttpAnswer answer;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    // A connection reused from the challenge request counts as connected too.
    answer.failure = Classify(code, ex, ex.connected || answer.status != 0);
    answer.body = std::move(ex.body);
    answer.authenticate = std::move(ex.authenticate);
    return answer;
}

class CurlConnection : public HttpConnection {
public:
    CurlConnection(CURL* curl, const CameraEndpoint& endpoint) : curl_(curl), endpoint_(endpoint) {}

    HttpAnswer Send(const HttpCall& call, bool probe, const std::string* authorization,
                    Clock::time_point deadline) override {
        return RunStep(curl_.get(), endpoint_, call, probe, authorization, deadline);
    }

private:
    std::unique_ptr<CURL, CurlFree> curl_;
    const CameraEndpoint& endpoint_;
};

} // namespace

void EnsureHttpInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::unique_ptr<HttpConnection> OpenHttpConnection(const CameraEndpoint& endpoint) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return nullptr;
    }
    return std::make_unique<CurlConnection>(curl, endpoint);
}

} // namespace lpr
