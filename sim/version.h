#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace camsim {

// A firmware version as the camera reports it: four signed 32-bit numbers.
using Version = std::array<std::int32_t, 4>;

// Parses "a.b.c.d" (four decimal numbers, each may carry a minus sign).
std::optional<Version> parseVersion(std::string_view text);
std::string formatVersion(const Version& version);

// a*100 + b*10 + c, the number by which the upgrade tool picks its images.
std::int64_t versionNumber(const Version& version);

// The platform a camera of this version family runs on; empty when unknown.
std::string platformForVersion(const Version& version);

bool isKnownPlatform(std::string_view platform);

} // namespace camsim
