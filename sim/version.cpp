#include "version.h"

#include <charconv>

namespace camsim {

std::optional<Version> parseVersion(std::string_view text) {
    Version version{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < version.size(); ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        const char* first = text.data() + pos;
        const char* last = text.data() + text.size();
        auto [end, ec] = std::from_chars(first, last, version[i]);
        if (ec != std::errc{} || end == first) {
            return std::nullopt;
        }
        pos = static_cast<std::size_t>(end - text.data());
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return version;
}

std::string formatVersion(const Version& version) {
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
           std::to_string(version[2]) + "." + std::to_string(version[3]);
}

std::int64_t versionNumber(const Version& version) {
    return std::int64_t{version[0]} * 100 + std::int64_t{version[1]} * 10 + version[2];
}

std::string platformForVersion(const Version& version) {
    if (version[0] == 5 && (version[1] == 0 || version[1] == 1 || version[1] == 3)) {
        return "DM3730";
    }
    if (version[0] == 5 && (version[1] == 5 || version[1] == 6)) {
        return "DM8127";
    }
    if (version[0] == 6) {
        return "HS3516";
    }
    return {};
}

bool isKnownPlatform(std::string_view platform) {
    return platform == "DM3730" || platform == "DM8127" || platform == "HS3516";
}

} // namespace camsim
