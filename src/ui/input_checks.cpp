#include "input_checks.h"

#include "engine/requests_notes.h"

#include <QStringList>
#include <limits>

int32_t AtoiLike(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || (bytes[i] >= '\t' && bytes[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) {
        negative = bytes[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
        value = value * 10 + (bytes[i] - '0');
        if (value > std::numeric_limits<int32_t>::max())
            return negative ? std::numeric_limits<int32_t>::min()
                            : std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(negative ? -value : value);
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
