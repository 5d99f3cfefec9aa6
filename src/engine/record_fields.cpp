#include "engine/record_fields.h"

#include <cstdio>
#include <cstring>

namespace record_fields {

size_t FieldLength(const char* text) {
    return text != nullptr ? strnlen(text, TEXT_FIELD_SIZE) : 0;
}

bool FitsField(const char* text) {
    return FieldLength(text) < TEXT_FIELD_SIZE;
}

void CopyField(char (&field)[TEXT_FIELD_SIZE], const char* text) {
    const size_t length = FieldLength(text);
    const size_t copied = length < TEXT_FIELD_SIZE ? length : TEXT_FIELD_SIZE - 1;
    if (copied > 0) {
        std::memcpy(field, text, copied);
    }
    field[copied] = '\0';
}

} // namespace record_fields

std::string FieldText(const char (&field)[TEXT_FIELD_SIZE]) {
    return std::string(field, strnlen(field, TEXT_FIELD_SIZE - 1));
}

std::string VersionText(const int32_t version[4]) {
    // Only a version never read is all zeros; any other, however odd, is shown.
    if (version == nullptr ||
        (version[0] == 0 && version[1] == 0 && version[2] == 0 && version[3] == 0)) {
        return "";
    }
    char text[TEXT_FIELD_SIZE] = {};
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    return text;
}
