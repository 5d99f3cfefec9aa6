#include "dialog/single_checks.h"

#include "dialog/ui_texts.h"
#include "engine/requests_notes.h"
#include "netaddr/dotted_ipv4.h"
#include "netaddr/leading_number.h"
#include "sdk/credential_text.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// A dotted IPv4 address as every part of the project reads it, but not the
// broadcast address (also the error value of the classic converter).
bool IsUsableAddress(const std::string& text) {
    const std::optional<netaddr::Ipv4Address> address = netaddr::ParseIpv4(text);
    return address && address->value != 0xffffffffu;
}

bool FitsTextField(const std::string& text) {
    return text.size() < TEXT_FIELD_SIZE;
}

} // namespace

int32_t PortNumber(const std::string& text) {
    const int64_t value = netaddr::LeadingNumber(text);
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

const char* CheckSingleInput(const SingleInput& input, int32_t* port) {
    if (input.address == "0.0.0.0")
        return ui_text::kEnterAddress;
    if (!IsUsableAddress(input.address))
        return ui_text::kBadAddress;
    if (input.port.empty())
        return ui_text::kEnterPort;
    *port = PortNumber(input.port);
    // Only 16 bits of the port reach the camera: 65616 would quietly become 80.
    if (*port <= 0 || *port > 65535)
        return ui_text::kBadPort;
    if (input.user.empty())
        return ui_text::kEnterUser;
    if (input.password.empty())
        return ui_text::kEnterPassword;
    // A request holds 31 bytes of each text; a longer one is refused here,
    // before anything is locked or sent.
    if (!FitsTextField(input.user))
        return ui_text::kUserTooLong;
    if (!FitsTextField(input.password))
        return ui_text::kPasswordTooLong;
    if (lpr::HasControlCharacter(input.user) || lpr::HasControlCharacter(input.password))
        return ui_text::kBadCredentialChars;
    return nullptr;
}
