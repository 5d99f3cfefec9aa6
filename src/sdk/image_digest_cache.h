// SHA-256 of image files, remembered per file version. A batch sends the same
// image to many cameras; hashing 256 MiB once per camera would cost as much
// as a large part of each transfer.
#pragma once

#include "sdk/native_file.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace lpr {

// The hex SHA-256 of the open file and its size. Reuses an earlier result
// when volume, file identity, size, modification and change times all match; a file
// that changed while it was being hashed, or changed in the last seconds, is
// not remembered.
std::optional<std::string> ImageSha256(NativeFile file, uint64_t& size,
                                       const std::atomic<bool>* cancelled = nullptr);

} // namespace lpr
