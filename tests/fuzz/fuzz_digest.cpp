// WWW-Authenticate values as a camera may send them, then our answer to the
// challenge picked from them.
#include "sdk/digest_auth.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view header(reinterpret_cast<const char*>(data), size);
    auto offered = lpr::ParseDigestChallenges(header);
    for (const auto& challenge : offered) {
        if (challenge.nonce.empty()) {
            __builtin_trap(); // no answer can be made without a nonce
        }
    }
    if (auto picked = lpr::PickDigestChallenge(offered)) {
        auto answer = lpr::MakeDigestAuthorization(*picked, {"admin", "ploma"}, "GET",
                                                   "/api/v1/device", "0123456789abcdef");
        if (answer.rfind("Digest ", 0) != 0) {
            __builtin_trap();
        }
        for (char c : answer) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                __builtin_trap(); // a header split by the camera's text
            }
        }
    }
    return 0;
}
