#include "engine/upgrade_sequence.h"
#include "osa/osa_sleep.h"

#include <algorithm>

int32_t VersionNumberOf(int32_t first, int32_t second, int32_t third) {
    auto digit = [](int32_t part) { return part >= 0 && part <= 9; };
    if (!digit(first) || !digit(second) || !digit(third)) {
        return VERSION_NUMBER_UNMATCHED;
    }
    return first * 100 + second * 10 + third;
}

bool GetDeviceVersion(LprHandle handle, int tries, int32_t* versionNumber, int32_t* fourthField,
                      int32_t* parts) {
    const LprSdk& sdk = LprSdkActive();
    for (int i = 0; i < tries; ++i) {
        int32_t v[4] = {0, 0, 0, 0};
        if (sdk.LprGetVersion(handle, &v[0], &v[1], &v[2], &v[3]) == 0) {
            *versionNumber = VersionNumberOf(v[0], v[1], v[2]);
            *fourthField = v[3];
            if (parts != nullptr) {
                std::copy(v, v + 4, parts);
            }
            break;
        }
        OSA_sleep(WAIT_AFTER_FAILED_VERSION_READ);
    }
    // A read that succeeds with zeros counts as no read.
    return *versionNumber > 0 && *fourthField > 0;
}
