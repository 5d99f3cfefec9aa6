#include "input_checks.h"

#include "engine/requests_notes.h"
#include "netaddr/dotted_ipv4.h"
#include "netaddr/leading_number.h"
#include "sdk/credential_text.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>

int32_t AtoiLike(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const int64_t value = netaddr::LeadingNumber(
        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool IsUsableAddress(const QString& text) {
    const std::optional<netaddr::Ipv4Address> address =
        netaddr::ParseIpv4(text.toUtf8().toStdString());
    return address && address->value != 0xffffffffu;
}

bool FitsTextField(const QString& text) {
    return static_cast<size_t>(text.toUtf8().size()) < TEXT_FIELD_SIZE;
}

bool IsCredentialText(const QString& text) {
    return !lpr::HasControlCharacter(text.toStdString());
}
