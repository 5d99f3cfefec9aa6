#include "engine/engine_text.h"

#include <vector>

std::string EngineText(const char* text, TextTranslator translate) {
    return translate ? translate(kEngineTextContext, text) : std::string(text);
}

std::string FillPattern(std::string_view pattern, std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> values(args);
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            out += values[index];
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}
