#include "engine/image_catalogue.h"
#include "engine/upgrade_sequence.h"
#include "osa/osa_sleep.h"

#include <algorithm>
#include <cstring>

namespace {

// The name travels in a 128-byte buffer; a longer name is cut to fit.
char* MakeImageNameBuffer(const std::string& imagePath) {
    const std::string name = ImageFileName(imagePath);
    char* buffer = new char[IMAGE_NAME_BUFFER_SIZE]();
    std::memcpy(buffer, name.data(), std::min(name.size(), IMAGE_NAME_BUFFER_SIZE - 1));
    return buffer;
}

bool FailureCountsAsTaken(int32_t state, int32_t error, int32_t versionNumber) {
    // "Already installed" means the camera has the image. A HiSilicon camera
    // restarts by itself once flashed, so its lost connection means done.
    return (state == LPR_UPDATE_STATE_FAILED && error == LPR_ERR_ALREADY_INSTALLED) ||
           (versionNumber == 621 && error == LPR_ERR_CONNECTION_LOST);
}

} // namespace

bool UpdateOneImage(const char* address, NoteOwner* owner, LprHandle handle,
                    const std::string& imagePath, int32_t versionNumber, bool* flashed,
                    int32_t* sdkError) {
    const LprSdk& sdk = LprSdkActive();
    if (sdkError != nullptr) {
        *sdkError = 0;
    }
    PostUpgradeNote(owner->GetNoteWindow(), WM_UPGRADE_PROGRESS, UPGRADE_STEP_SEND_IMAGE,
                    reinterpret_cast<intptr_t>(MakeImageNameBuffer(imagePath)), address);

    if (sdk.LprUpdateStart(handle, imagePath.c_str()) == -1) {
        return false;
    }
    OSA_sleep(WAIT_BEFORE_FIRST_STATE);
    int32_t state = sdk.LprUpdateGetState(handle);
    int polls = 0;
    bool written = true;
    while (state != LPR_UPDATE_STATE_DONE) {
        if (state == LPR_UPDATE_STATE_FAILED || state == LPR_UPDATE_STATE_TRANSPORT_FAILED) {
            const int32_t error = sdk.LprUpdateGetError();
            if (sdkError != nullptr) {
                *sdkError = error;
            }
            if (FailureCountsAsTaken(state, error, versionNumber)) {
                written = error != LPR_ERR_ALREADY_INSTALLED;
                break;
            }
            return false;
        }
        if (polls >= STATE_POLLS_AFTER_FIRST) {
            return false;
        }
        OSA_sleep(WAIT_BETWEEN_STATES);
        ++polls;
        state = sdk.LprUpdateGetState(handle);
    }

    if (flashed != nullptr) {
        *flashed = written;
    }
    PostUpgradeNote(owner->GetNoteWindow(), WM_UPGRADE_PROGRESS, UPGRADE_STEP_IMAGE_ACCEPTED, 0,
                    address);
    return RebootAndWait(handle);
}
