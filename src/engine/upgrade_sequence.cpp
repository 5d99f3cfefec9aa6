#include "engine/upgrade_sequence.h"

#include "engine/image_catalogue.h"
#include "engine/note_texts.h"
#include "engine/report_rows.h"
#include "engine/upgrade_history.h"
#include "engine/upgrade_log.h"
#include "engine/upgrade_rules.h"
#include "osa/osa_assert.h"
#include "osa/osa_sleep.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace {

void PostProgress(NoteOwner* owner, const char* address, int32_t step) {
    PostUpgradeNote(owner->GetNoteWindow(), WM_UPGRADE_PROGRESS, step, 0, address);
}

// Oldest firmware: clear the boa logs and the record database, then restart.
// Nothing here stops the upgrade.
void PrepareCamera(const char* address, NoteOwner* owner, LprHandle handle) {
    const LprSdk& sdk = LprSdkActive();
    PostProgress(owner, address, UPGRADE_STEP_CLEAN_LOG);
    if (sdk.RemoteShellExec(address, SHELL_CLEAN_BOA_LOG) != 0) {
        WriteUpdateLog(address, LOG_CLEAN_BOA_FAILED);
    }
    OSA_sleep(WAIT_AFTER_SHELL_COMMAND);
    PostProgress(owner, address, UPGRADE_STEP_CLEAN_DATABASE);
    if (sdk.RemoteShellExec(address, SHELL_CLEAN_DATABASE) != 0) {
        WriteUpdateLog(address, LOG_CLEAN_DATABASE_FAILED);
    }
    OSA_sleep(WAIT_AFTER_SHELL_COMMAND);
    PostProgress(owner, address, UPGRADE_STEP_REBOOT_AFTER_CLEAN);
    RebootAndWait(handle);
}

// Version read, image choice and transfers; the result code of the run.
// `before` gets the version that chose the images, `flashed` whether any
// image was written, `sent` the file names of the transfers started.
int32_t SendImages(const char* address, NoteOwner* owner, LprHandle handle, int32_t* before,
                   bool* flashed, std::vector<std::string>* sent) {
    int32_t versionNumber = 0;
    int32_t fourthField = 0;
    if (!GetDeviceVersion(handle, SECOND_VERSION_TRIES, &versionNumber, &fourthField, before)) {
        return UPGRADE_ERR_NO_VERSION;
    }
    const std::vector<std::string> images = ImagesFor(versionNumber);
    if (images.empty()) {
        return UPGRADE_ERR_NO_IMAGE;
    }
    if (NeedsServiceStop(versionNumber)) {
        StopAvServer(address);
    }
    for (size_t i = 0; i < images.size(); ++i) {
        // The catalogue key decides the transfer rules for every image.
        bool written = false;
        sent->push_back(ImageFileName(images[i]));
        if (!UpdateOneImage(address, owner, handle, images[i], versionNumber, &written)) {
            return UPGRADE_ERR_SEND;
        }
        *flashed = *flashed || written;
        if (i + 1 == images.size()) {
            break;
        }
        int32_t reread = 0;
        int32_t rereadFourth = 0;
        if (!GetDeviceVersion(handle, REREAD_VERSION_TRIES, &reread, &rereadFourth)) {
            return UPGRADE_ERR_REREAD_VERSION;
        }
        if (NeedsServiceStop(reread)) {
            StopAvServer(address);
        }
    }
    return UPGRADE_OK;
}

// A run that sent every image is only as good as the version the camera
// comes back with: a flashed camera still on its old version has failed,
// whatever the transfers said. A version that cannot be read leaves the
// outcome standing, marked unverified.
int32_t VerifyOutcome(LprHandle handle, bool flashed, UpgradeVersions& versions) {
    int32_t number = 0;
    int32_t fourth = 0;
    if (!GetDeviceVersion(handle, REREAD_VERSION_TRIES, &number, &fourth, versions.after)) {
        versions.check = UPGRADE_CHECK_UNVERIFIED;
        std::fill(std::begin(versions.after), std::end(versions.after), 0);
        return UPGRADE_OK;
    }
    versions.check = UPGRADE_CHECK_VERIFIED;
    const bool unchanged = std::equal(std::begin(versions.after), std::end(versions.after),
                                      std::begin(versions.before));
    return flashed && unchanged ? UPGRADE_ERR_VERSION_UNCHANGED : UPGRADE_OK;
}

void RecordHistory(const char* address, uint32_t port, const UpgradeVersions& versions,
                   std::vector<std::string> images, int32_t code,
                   std::chrono::steady_clock::time_point start) {
    HistoryEntry entry;
    entry.time = TimeText(std::chrono::system_clock::now());
    entry.address = address;
    entry.port = static_cast<int32_t>(port);
    entry.versionBefore = VersionText(versions.before);
    entry.versionAfter = VersionText(versions.after);
    entry.images = std::move(images);
    entry.code = code;
    entry.text = ResultText(code == UPGRADE_OK ? 1 : 0, code);
    entry.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    AppendUpgradeHistory(entry);
}

} // namespace

int32_t UpdateTaskMain(OsaTask* task) {
    if (task == nullptr) {
        OSA_ASSERT_REPORT("UpdateTaskMain");
        return 0;
    }
    while (OSA_tskIsRunning(task)) {
        OsaMessage* msg = nullptr;
        if (OSA_mbxWaitMsg(&task->mailbox, &msg) != 0 || msg == nullptr) {
            // The runtime has reported the failed wait; a worker that cannot
            // receive has nothing left to do.
            break;
        }
        if (msg->command == CMD_UPDATE_DEVICE) {
            UpdateDevice(static_cast<const UpgradeRequest*>(msg->payload));
        }
        OSA_mbxAckOrFreeMsg(msg);
    }
    return 0;
}

int32_t UpdateDevice(const UpgradeRequest* request) {
    if (request == nullptr || request->owner == nullptr) {
        return -1;
    }
    NoteOwner* owner = request->owner;
    const std::string addressText = FieldText(request->address);
    const std::string user = FieldText(request->user);
    const std::string password = FieldText(request->password);
    const char* address = addressText.c_str();
    const uint32_t port = static_cast<uint32_t>(request->port) & 0xFFFFu;
    const ServingCamera serving(static_cast<int32_t>(port));
    const LprSdk& sdk = LprSdkActive();
    const auto start = std::chrono::steady_clock::now();

    LprHandle handle = sdk.LprOpen(address, port, user.c_str(), password.c_str());
    if (handle == nullptr) {
        RecordHistory(address, port, UpgradeVersions{}, {}, UPGRADE_ERR_OPEN, start);
        PostUpgradeNote(owner->GetNoteWindow(), WM_UPGRADE_RESULT, 0, UPGRADE_ERR_OPEN, address);
        return 0;
    }

    // Only the preparation decision rests on this read; its outcome is not
    // checked beyond the number it yields.
    int32_t firstVersion = 0;
    int32_t firstFourth = 0;
    GetDeviceVersion(handle, FIRST_VERSION_TRIES, &firstVersion, &firstFourth);
    if (NeedsPreparation(firstVersion)) {
        PrepareCamera(address, owner, handle);
    }

    UpgradeVersions versions;
    bool flashed = false;
    std::vector<std::string> sent;
    int32_t code = SendImages(address, owner, handle, versions.before, &flashed, &sent);
    if (code == UPGRADE_OK) {
        code = VerifyOutcome(handle, flashed, versions);
    }
    sdk.LprClose(handle);
    RecordHistory(address, port, versions, std::move(sent), code, start);
    PostUpgradeResult(owner->GetNoteWindow(), code == UPGRADE_OK ? 1 : 0, code, address, versions);
    return 0;
}
