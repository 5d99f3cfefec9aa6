#include "mini_camera.h"

#include "sdk/hashing.h"

#include <algorithm>
#include <map>

namespace sdktest {
namespace {

// key=value and key="value" pairs of an Authorization header after "Digest".
std::map<std::string, std::string> AuthParams(const std::string& header) {
    std::map<std::string, std::string> params;
    std::size_t pos = header.find(' ');
    while (pos != std::string::npos && pos < header.size()) {
        while (pos < header.size() && (header[pos] == ' ' || header[pos] == ',')) {
            ++pos;
        }
        std::size_t eq = header.find('=', pos);
        if (eq == std::string::npos) {
            break;
        }
        std::string key = header.substr(pos, eq - pos);
        std::string value;
        pos = eq + 1;
        if (pos < header.size() && header[pos] == '"') {
            ++pos;
            while (pos < header.size() && header[pos] != '"') {
                if (header[pos] == '\\') {
                    ++pos;
                }
                value.push_back(header[pos++]);
            }
            ++pos;
        } else {
            std::size_t end = header.find(',', pos);
            value = header.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end;
        }
        params[key] = value;
    }
    return params;
}

} // namespace

MiniCamera::MiniCamera(MiniCameraScript script, const std::string& address)
    : script_(std::move(script)),
      peer_(std::make_unique<ScriptedPeer>([this](PeerConnection& c) { Serve(c); }, address)) {}

std::vector<SeenRequest> MiniCamera::Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<std::string> MiniCamera::AlgorithmsUsed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return algorithms_;
}

int MiniCamera::UnauthenticatedRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return unauthenticated_;
}

void MiniCamera::Vanish() {
    peer_.reset();
}

bool MiniCamera::Authorised(const SeenRequest& request) {
    std::string header = request.Header("authorization");
    if (header.rfind("Digest ", 0) != 0) {
        return false;
    }
    auto p = AuthParams(header);
    bool sha = p["algorithm"] == "SHA-256";
    if (!sha && p["algorithm"] != "MD5") {
        return false;
    }
    auto hash = [sha](const std::string& text) {
        return sha ? lpr::Sha256Hex(text) : lpr::Md5Hex(text);
    };
    std::string ha1 = hash(script_.user + ":camera:" + script_.password);
    std::string ha2 = hash(request.method + ":" + request.target);
    std::string expected =
        hash(ha1 + ":" + p["nonce"] + ":" + p["nc"] + ":" + p["cnonce"] + ":auth:" + ha2);
    std::lock_guard<std::mutex> lock(mutex_);
    bool knownNonce = std::find(nonces_.begin(), nonces_.end(), p["nonce"]) != nonces_.end();
    bool ok = knownNonce && p["username"] == script_.user && p["realm"] == "camera" &&
              p["uri"] == request.target && p["qop"] == "auth" && p["response"] == expected;
    if (ok) {
        algorithms_.push_back(p["algorithm"]);
    }
    return ok;
}

void MiniCamera::Serve(PeerConnection& connection) {
    for (;;) {
        SeenRequest request;
        // Only uploads carry bodies this large; the empty probe before one is never cut.
        if (!connection.ReadRequest(request, script_.cutUploadAfterBytes)) {
            if (script_.stallInsteadOfCut && request.bodyBytes > 0) {
                connection.Stall();
            }
            return;
        }
        if (!Authorised(request)) {
            std::string nonce;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++unauthenticated_;
                nonce = "n" + std::to_string(nonces_.size()) + "x" + std::to_string(Port());
                nonces_.push_back(nonce);
            }
            std::string sha = "WWW-Authenticate: Digest realm=\"camera\", qop=\"auth\", "
                              "algorithm=SHA-256, nonce=\"" +
                              nonce + "\"";
            std::string md5 = "WWW-Authenticate: Digest realm=\"camera\", qop=\"auth\", "
                              "algorithm=MD5, nonce=\"" +
                              nonce + "\"";
            std::vector<std::string> challenges;
            if (script_.md5ChallengeFirst) {
                challenges.push_back(md5);
            }
            if (script_.offerSha256) {
                challenges.push_back(sha);
            }
            if (!script_.md5ChallengeFirst) {
                challenges.push_back(md5);
            }
            if (!connection.Send(
                    HttpAnswer(401, R"({"error":2,"message":"log in"})", challenges))) {
                return;
            }
            continue;
        }
        bool close = false;
        std::string answer = Route(request, connection, close);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        if (answer.empty() || !connection.Send(answer) || close) {
            return;
        }
    }
}

std::string MiniCamera::Route(const SeenRequest& request, PeerConnection&, bool& close) {
    if (request.method == "GET" && request.target == "/api/v1/device") {
        const auto& v = script_.version;
        return HttpAnswer(200, R"({"model":"mini","serial":"S1","platform":"DM3730","version":[)" +
                                   std::to_string(v[0]) + "," + std::to_string(v[1]) + "," +
                                   std::to_string(v[2]) + "," + std::to_string(v[3]) + "]}");
    }
    if (request.method == "POST" && request.target == "/api/v1/firmware") {
        return HttpAnswer(script_.uploadStatus, script_.uploadAnswer);
    }
    if (request.method == "GET" && request.target == "/api/v1/firmware") {
        std::string state;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            state =
                script_.firmwareStates[std::min(firmwareIndex_, script_.firmwareStates.size() - 1)];
            ++firmwareIndex_;
        }
        if (state == "close") {
            close = true;
            return std::string();
        }
        return HttpAnswer(200, state);
    }
    if (request.method == "POST" && request.target == "/api/v1/reboot") {
        close = true;
        return HttpAnswer(202, "{}");
    }
    if (request.method == "POST" && request.target == "/api/v1/shell") {
        return HttpAnswer(200,
                          R"({"exit":)" + std::to_string(script_.shellExit) + R"(,"output":""})");
    }
    return HttpAnswer(404, R"({"error":4,"message":"no such thing"})");
}

} // namespace sdktest
