#include "engine/upgrade_sequence.h"

#include "engine/device_identity.h"
#include "engine/image_catalogue.h"
#include "engine/image_check.h"
#include "engine/note_texts.h"
#include "engine/report_rows.h"
#include "engine/result_detail.h"
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

// One run's camera and what it has learnt so far.
struct Run {
    const char* address;
    NoteOwner* owner;
    LprHandle handle;
    LoginIdentity login;
    UpgradeVersions versions;
    bool flashed = false;          // an image was written
    std::vector<std::string> sent; // file names of the transfers started
};

bool Replaced(Run& run) {
    return DeviceReplaced(run.handle, run.login, &run.versions.detail);
}

// The images chosen for a camera now running `version`, checked before any
// of them (or any preparation) reaches it. The last image's target becomes
// the version the camera must end on.
int32_t CheckChosenImages(const std::vector<std::string>& images, const int32_t version[4],
                          UpgradeVersions& versions) {
    // A folder that holds no image leaves an empty entry (5.1.6 cameras):
    // there is nothing to send.
    if (images.empty() || std::any_of(images.begin(), images.end(),
                                      [](const std::string& path) { return path.empty(); })) {
        return UPGRADE_ERR_NO_IMAGE;
    }
    const ImageVerdict verdict = CheckImages(images, version);
    std::copy(verdict.target, verdict.target + 4, versions.expected);
    if (verdict.fault != IMAGE_OK) {
        versions.imageFault = verdict.fault;
        versions.imageName = verdict.fileName;
        versions.detail = ImageFaultArgument(verdict);
        return UPGRADE_ERR_BAD_IMAGE;
    }
    return UPGRADE_OK;
}

// Version read, image choice and transfers; the result code of the run.
int32_t SendImages(Run& run) {
    int32_t versionNumber = 0;
    int32_t fourthField = 0;
    if (!GetDeviceVersion(run.handle, SECOND_VERSION_TRIES, &versionNumber, &fourthField,
                          run.versions.before)) {
        return UPGRADE_ERR_NO_VERSION;
    }
    const std::vector<std::string> images = ImagesFor(versionNumber);
    const int32_t checked = CheckChosenImages(images, run.versions.before, run.versions);
    if (checked != UPGRADE_OK) {
        return checked;
    }
    if (NeedsServiceStop(versionNumber)) {
        StopAvServer(run.address);
    }
    for (size_t i = 0; i < images.size(); ++i) {
        if (Replaced(run)) {
            return UPGRADE_ERR_DEVICE_REPLACED;
        }
        // The catalogue key decides the transfer rules for every image.
        bool written = false;
        run.sent.push_back(ImageFileName(images[i]));
        if (!UpdateOneImage(run.address, run.owner, run.handle, images[i], versionNumber, &written,
                            &run.versions.sdkError)) {
            run.versions.imageName = run.sent.back();
            return UPGRADE_ERR_SEND;
        }
        run.flashed = run.flashed || written;
        run.versions.accepted = true;
        if (i + 1 == images.size()) {
            break;
        }
        int32_t reread = 0;
        int32_t rereadFourth = 0;
        if (!GetDeviceVersion(run.handle, REREAD_VERSION_TRIES, &reread, &rereadFourth)) {
            return UPGRADE_ERR_REREAD_VERSION;
        }
        if (NeedsServiceStop(reread)) {
            StopAvServer(run.address);
        }
    }
    return UPGRADE_OK;
}

// A run that sent every image is only as good as the version the camera
// comes back with: success is the last image's target, all four parts. A
// camera flashed yet still on its old version, one on any other version, and
// one whose version cannot be read at all have not been shown upgraded.
int32_t VerifyOutcome(Run& run) {
    UpgradeVersions& versions = run.versions;
    if (Replaced(run)) {
        return UPGRADE_ERR_DEVICE_REPLACED;
    }
    int32_t number = 0;
    int32_t fourth = 0;
    if (!GetDeviceVersion(run.handle, REREAD_VERSION_TRIES, &number, &fourth, versions.after)) {
        versions.check = UPGRADE_CHECK_UNVERIFIED;
        std::fill(std::begin(versions.after), std::end(versions.after), 0);
        return UPGRADE_ERR_UNVERIFIED;
    }
    versions.check = UPGRADE_CHECK_VERIFIED;
    auto same = [](const int32_t* a, const int32_t* b) { return std::equal(a, a + 4, b); };
    if (run.flashed && same(versions.after, versions.before)) {
        return UPGRADE_ERR_VERSION_UNCHANGED;
    }
    return same(versions.after, versions.expected) ? UPGRADE_OK : UPGRADE_ERR_VERSION_MISMATCH;
}

UpgradeResultNote ResultNoteOf(const char* address, int32_t code, const UpgradeVersions& versions) {
    UpgradeResultNote note{};
    FillResultNote(note, code == UPGRADE_OK ? 1 : 0, address, versions);
    return note;
}

void RecordHistory(const NoteOwner& owner, const char* address, uint32_t port, int32_t attempt,
                   const UpgradeVersions& versions, std::vector<std::string> images, int32_t code,
                   std::chrono::steady_clock::time_point start) {
    HistoryEntry entry;
    entry.batch = owner.BatchId();
    entry.attempt = attempt > 1 ? attempt : 1;
    entry.time = TimeText(std::chrono::system_clock::now());
    entry.address = address;
    entry.port = static_cast<int32_t>(port);
    entry.versionBefore = VersionText(versions.before);
    entry.versionAfter = VersionText(versions.after);
    entry.versionExpected = VersionText(versions.expected);
    entry.verified = versions.check == UPGRADE_CHECK_VERIFIED;
    entry.images = std::move(images);
    entry.code = code;
    entry.text = ResultText(code == UPGRADE_OK ? 1 : 0, code);
    entry.detail = ResultDetailText(ResultNoteOf(address, code, versions), code);
    entry.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    AppendUpgradeHistory(entry);
}

// Everything between log-in and log-out.
int32_t RunOnCamera(Run& run) {
    // Only the preparation decision rests on this read; its outcome is not
    // checked beyond the number it yields.
    int32_t firstVersion = 0;
    int32_t firstFourth = 0;
    int32_t firstParts[4] = {0, 0, 0, 0};
    GetDeviceVersion(run.handle, FIRST_VERSION_TRIES, &firstVersion, &firstFourth, firstParts);
    if (NeedsPreparation(firstVersion)) {
        // The images are checked before the preparation's first command: a
        // camera with no image, or a bad one, keeps its logs and record
        // database and is not restarted for nothing.
        const int32_t checked =
            CheckChosenImages(ImagesFor(firstVersion), firstParts, run.versions);
        if (checked != UPGRADE_OK) {
            std::copy(firstParts, firstParts + 4, run.versions.before);
            return checked;
        }
        PrepareCamera(run.address, run.owner, run.handle);
        if (Replaced(run)) {
            return UPGRADE_ERR_DEVICE_REPLACED;
        }
    }
    int32_t code = SendImages(run);
    if (code == UPGRADE_OK) {
        code = VerifyOutcome(run);
    }
    return code;
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

    // Checked once, before the first call to the camera: a run that has
    // begun always finishes, so no camera is left mid-flash by a stop.
    if (owner->BatchStopped()) {
        RecordNotStarted(addressText, static_cast<int32_t>(port));
        PostUpgradeNote(owner->GetNoteWindow(), WM_UPGRADE_RESULT, 0, UPGRADE_NOT_STARTED, address);
        return 0;
    }
    LprHandle handle = sdk.LprOpen(address, port, user.c_str(), password.c_str());
    if (handle == nullptr) {
        RecordHistory(*owner, address, port, request->attempt, UpgradeVersions{}, {},
                      UPGRADE_ERR_OPEN, start);
        PostUpgradeNote(owner->GetNoteWindow(), WM_UPGRADE_RESULT, 0, UPGRADE_ERR_OPEN, address);
        return 0;
    }
    Run run{address, owner, handle, ReadLoginIdentity(handle), {}, false, {}};
    const int32_t code = RunOnCamera(run);
    sdk.LprClose(handle);
    RecordHistory(*owner, address, port, request->attempt, run.versions, std::move(run.sent), code,
                  start);
    PostUpgradeResult(owner->GetNoteWindow(), code == UPGRADE_OK ? 1 : 0, code, address,
                      run.versions);
    return 0;
}
