#include "input_checks.h"

#include "engine/requests_notes.h"
#include "sdk/credential_text.h"

#include <QStringList>
#include <algorithm>
#include <limits>

int64_t LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{1} << 40);
    return negative ? -value : value;
}

int32_t AtoiLike(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const int64_t value =
        LeadingNumber(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool IsUsableAddress(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    int broadcastParts = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        const int value = part.toInt();
        if (value > 255)
            return false;
        if (value == 255)
            ++broadcastParts;
    }
    return broadcastParts != 4;
}

bool FitsTextField(const QString& text) {
    return static_cast<size_t>(text.toUtf8().size()) < TEXT_FIELD_SIZE;
}

bool IsCredentialText(const QString& text) {
    return !lpr::HasControlCharacter(text.toStdString());
}
