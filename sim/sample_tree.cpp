#include "sample_tree.h"

#include "firmware_image.h"

#include <filesystem>
#include <system_error>

namespace camsim {

std::vector<SampleImage> sampleImages() {
    // Simulated fleets run builds 1 to 3; the images install build 9 so that
    // no sample camera already runs an image's target.
    return {
        {"UpdateFiles/DM3730/from_50x", "DM3730_V5.1.6.9_from_50x.bin", "DM3730", {5, 1, 6, 9}},
        {"UpdateFiles/DM3730/517", "DM3730_V5.1.7.9.bin", "DM3730", {5, 1, 7, 9}},
        {"UpdateFiles/DM3730/536_To_7", "DM3730_V5.3.6.9_to_537.bin", "DM3730", {5, 3, 6, 9}},
        {"UpdateFiles/DM3730/537", "DM3730_V5.3.7.9.bin", "DM3730", {5, 3, 7, 9}},
        {"UpdateFiles/DM8127/556", "DM8127_556_V5.5.6.9.bin", "DM8127", {5, 5, 6, 9}},
        {"UpdateFiles/DM8127/566", "DM8127_566_V5.6.6.9.bin", "DM8127", {5, 6, 6, 9}},
        {"UpdateFiles/HS3516/621", "HS3516_V6.2.1.9.bin", "HS3516", {6, 2, 1, 9}},
    };
}

bool writeSampleTree(const std::string& dir, std::uint64_t payloadSize, std::string* error) {
    std::uint64_t seed = 1;
    for (const SampleImage& image : sampleImages()) {
        std::filesystem::path folder = std::filesystem::path(dir) / image.folder;
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            if (error != nullptr) {
                *error = "cannot create " + folder.string() + ": " + ec.message();
            }
            return false;
        }
        if (!writeImageFile((folder / image.fileName).string(), image.platform, image.target,
                            payloadSize, seed++, error)) {
            return false;
        }
    }
    return true;
}

} // namespace camsim
