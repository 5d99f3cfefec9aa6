// Authorization headers as any client of a simulated camera may send them.
#include "digest_auth.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// A parsed header written back out, quoting every value.
std::string Rebuild(const std::map<std::string, std::string>& fields) {
    std::string out = "Digest ";
    bool first = true;
    for (const auto& [name, value] : fields) {
        out += first ? "" : ", ";
        first = false;
        out += name + "=\"";
        for (char c : value) {
            if (c == '"' || c == '\\') {
                out += '\\';
            }
            out += c;
        }
        out += '"';
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static camsim::DigestAuthenticator authenticator("camsim");
    static const bool issued = !authenticator.challenges(false).empty();
    std::string_view header(reinterpret_cast<const char*>(data), size);
    auto fields = camsim::parseDigestAuthorization(header);
    if (fields && !fields->empty()) {
        auto again = camsim::parseDigestAuthorization(Rebuild(*fields));
        if (!again || *again != *fields) {
            __builtin_trap(); // values must survive quoting
        }
    }
    auto verdict = authenticator.check(header, "GET", "/api/v1/device", "admin", "ploma");
    if (issued && verdict == camsim::AuthVerdict::Ok) {
        __builtin_trap(); // nobody can know the nonce
    }
    return 0;
}
