// A small in-process camera for SDK tests: checks Digest credentials the way
// the protocol asks and answers from a script, so that a test controls every
// answer (refusals, state sequences, cut uploads) and sees every request.
#pragma once

#include "scripted_peer.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sdktest {

struct MiniCameraScript {
    std::string user = "admin";
    std::string password = "ploma";
    bool md5ChallengeFirst = false; // order of the two challenges
    bool offerSha256 = true;
    std::array<int, 4> version{5, 1, 7, 2};
    int uploadStatus = 202;
    std::string uploadAnswer = R"({"state":"flashing"})";
    uint64_t cutUploadAfterBytes = UINT64_MAX; // vanish mid-upload
    bool stallInsteadOfCut = false;            // stop reading there instead
    // Answers to GET /api/v1/firmware in turn; the last one repeats. An
    // entry "close" drops the connection without an answer.
    std::vector<std::string> firmwareStates = {R"({"state":"done","error":0,"progress":100})"};
    int shellExit = 0;
};

class MiniCamera {
public:
    explicit MiniCamera(MiniCameraScript script, const std::string& address = "127.0.0.1");

    uint16_t Port() const { return peer_->Port(); }
    const std::string& Address() const { return peer_->Address(); }

    // What the camera saw, in order (authenticated requests only).
    std::vector<SeenRequest> Requests();
    std::vector<std::string> AlgorithmsUsed();
    int UnauthenticatedRequests();
    // Stops listening and drops every connection: later connections are refused.
    void Vanish();

private:
    void Serve(PeerConnection& connection);
    bool Authorised(const SeenRequest& request);
    std::string Route(const SeenRequest& request, PeerConnection& connection, bool& close);

    MiniCameraScript script_;
    std::mutex mutex_;
    std::vector<SeenRequest> requests_;
    std::vector<std::string> algorithms_;
    std::vector<std::string> nonces_;
    int unauthenticated_ = 0;
    std::size_t firmwareIndex_ = 0;
    std::unique_ptr<ScriptedPeer> peer_;
};

} // namespace sdktest
