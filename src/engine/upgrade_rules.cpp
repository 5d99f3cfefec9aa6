#include "engine/upgrade_rules.h"

#include "engine/image_catalogue.h"

bool NeedsPreparation(int32_t versionNumber) {
    return versionNumber == 506 || versionNumber == 516 || versionNumber == 536;
}

bool NeedsServiceStop(int32_t versionNumber) {
    return versionNumber == 516;
}

std::vector<std::string> ImagesFor(int32_t versionNumber) {
    std::vector<std::string> images;
    GetUpdateImages(versionNumber, images);
    return images;
}
