#include "sdk/http_client.h"

#include "sdk/http_transport.h"

#include <cstring>

namespace lpr {
namespace {

using Clock = std::chrono::steady_clock;

// What every transport's answer means, whichever library read it.
HttpAnswer Settle(HttpAnswer answer) {
    // A camera may refuse an upload before the whole body has gone and close
    // the connection: its answer is the outcome, not the broken pipe.
    if (answer.failure == HttpFailure::ConnectionLost && answer.status >= 400) {
        answer.failure = HttpFailure::None;
    }
    if (answer.failure == HttpFailure::None && (answer.status < 100 || answer.status > 599)) {
        answer.failure = HttpFailure::MalformedAnswer;
    }
    return answer;
}

std::optional<DigestChallenge> ChallengeOf(const HttpAnswer& answer) {
    std::vector<DigestChallenge> offered;
    for (const std::string& header : answer.authenticate) {
        std::vector<DigestChallenge> more = ParseDigestChallenges(header);
        offered.insert(offered.end(), more.begin(), more.end());
    }
    return PickDigestChallenge(offered);
}

HttpResult Finish(HttpAnswer& answer) {
    HttpResult result;
    result.failure = answer.failure;
    result.status = answer.status;
    if (answer.failure == HttpFailure::None) {
        result.body = std::move(answer.body);
    }
    return result;
}

} // namespace

HttpResult PerformCameraCall(const CameraEndpoint& endpoint, const HttpCall& call) {
    EnsureHttpInitialised();
    Clock::time_point deadline = call.limits.totalMs > 0
                                     ? Clock::now() + std::chrono::milliseconds(call.limits.totalMs)
                                     : Clock::time_point::max() - std::chrono::hours(24);
    std::unique_ptr<HttpConnection> connection = OpenHttpConnection(endpoint);
    if (!connection) {
        return HttpResult{HttpFailure::CannotConnect, 0, {}};
    }
    bool isGet = std::strcmp(call.method, "GET") == 0;
    // First without credentials: a POST goes with an empty body, since a
    // camera checks credentials before it acts.
    HttpAnswer answer = Settle(connection->Send(call, /*probe=*/!isGet, nullptr, deadline));
    if (answer.failure != HttpFailure::None || answer.status != 401) {
        return Finish(answer);
    }
    std::optional<DigestChallenge> challenge = ChallengeOf(answer);
    // One more round only when the camera says our nonce went stale.
    for (int round = 0; round < 2 && challenge; ++round) {
        std::string authorization = MakeDigestAuthorization(
            *challenge, endpoint.credentials, call.method, call.path, MakeClientNonce());
        if (authorization.empty()) {
            break; // nothing we may send: the 401 stands
        }
        answer = Settle(connection->Send(call, /*probe=*/false, &authorization, deadline));
        if (answer.failure != HttpFailure::None || answer.status != 401 || call.file) {
            break;
        }
        challenge = ChallengeOf(answer);
        if (!challenge || !challenge->stale) {
            break;
        }
    }
    return Finish(answer);
}

} // namespace lpr
