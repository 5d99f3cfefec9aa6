#include "upgrade_command.h"

#include "cli_session.h"
#include "engine/note_texts.h"
#include "engine/upgrade_sequence.h"
#include "netaddr/dotted_ipv4.h"
#include "osa/osa_sleep.h"
#include "result_rows_recorder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

// The fixed waits of the longest possible run of one camera: two failed
// first reads, preparation with a restart that never returns, ten failed
// second reads, two images that time out in every stage they can, the
// re-read and both service stops.
constexpr uint64_t kWorstImageMs =
    WAIT_BEFORE_FIRST_STATE + uint64_t{STATE_POLLS_AFTER_FIRST} * WAIT_BETWEEN_STATES +
    WAIT_AFTER_REBOOT + uint64_t{CONNECTION_POLLS_AFTER_FIRST} * WAIT_BETWEEN_CONNECTION_POLLS +
    WAIT_AFTER_RECONNECT;
constexpr uint64_t kWorstCameraMs =
    uint64_t{FIRST_VERSION_TRIES + SECOND_VERSION_TRIES + REREAD_VERSION_TRIES} *
        WAIT_AFTER_FAILED_VERSION_READ +
    2 * WAIT_AFTER_SHELL_COMMAND + WAIT_AFTER_REBOOT +
    uint64_t{CONNECTION_POLLS_AFTER_FIRST} * WAIT_BETWEEN_CONNECTION_POLLS + WAIT_AFTER_RECONNECT +
    4 * WAIT_AFTER_SHELL_COMMAND + 2 * kWorstImageMs;
// Unscaled allowance per camera for the SDK's own network timeouts.
constexpr uint64_t kSdkAllowanceMs = 600'000;

void WriteCsv(const std::string& path, const ResultRowsRecorder& recorder) {
    if (!path.empty() && !WriteWholeFile(path, ResultRowsCsv(recorder.Rows()))) {
        std::fprintf(stderr, "tolvane-cli: could not write %s\n", path.c_str());
    }
}

} // namespace

std::optional<UpgradeTarget> ParseUpgradeTarget(const std::string& text, std::string* error) {
    std::string fault;
    const std::optional<netaddr::Ipv4Address> parsed = netaddr::ParseIpv4WithPort(text, &fault);
    if (!parsed) {
        *error = "'" + text + "': " + fault + " (expected a.b.c.d or a.b.c.d:port)";
        return std::nullopt;
    }
    if (parsed->value == 0 || parsed->value == 0xffffffffu) {
        *error = "'" + text + "': not a camera address (0.0.0.0 and 255.255.255.255 are not)";
        return std::nullopt;
    }
    UpgradeTarget target;
    target.address = netaddr::FormatIpv4(parsed->value);
    if (parsed->port != 0) {
        target.port = parsed->port;
    }
    return target;
}

uint64_t WorstCameraWaitMs() {
    return kWorstCameraMs;
}

std::chrono::milliseconds UpgradeTimeBound(size_t cameras) {
    const size_t perWorker = (cameras + UPGRADE_TASK_COUNT - 1) / UPGRADE_TASK_COUNT;
    const double perCamera = static_cast<double>(kWorstCameraMs) * OSA_timeScale() +
                             static_cast<double>(kSdkAllowanceMs);
    return std::chrono::milliseconds(
        static_cast<int64_t>(perCamera * static_cast<double>(perWorker)) + 5000);
}

int RunUpgrade(const std::vector<UpgradeTarget>& targets, const std::string& user,
               const std::string& password, std::optional<std::chrono::milliseconds> bound,
               CliOutput& output, const std::string& csvPath) {
    CliSession session;
    ResultRowsRecorder recorder;
    // Results still owed, by address (one address may be asked for twice).
    std::map<std::string, int> pending;
    int total = 0;
    int notDispatched = 0;
    uint32_t worker = 0;
    for (const UpgradeTarget& target : targets) {
        recorder.AddTarget(target.address, target.port);
        const int32_t sent =
            SendUpgradeRequest(session.UpgradeTasks(), worker, target.address.c_str(), target.port,
                               user.c_str(), password.c_str(), &session);
        worker = (worker + 1) % UPGRADE_TASK_COUNT;
        if (sent == SEND_OK) {
            ++pending[target.address];
            ++total;
        } else {
            output.NotDispatched(target.address);
            recorder.NotDispatched(target.address, NotDispatchedText());
            ++notDispatched;
        }
    }

    const auto deadline = std::chrono::steady_clock::now() +
                          bound.value_or(UpgradeTimeBound(static_cast<size_t>(total)));
    int succeeded = 0;
    int failed = 0;
    while (succeeded + failed < total) {
        PostedNote note;
        if (!session.NextNote(&note, deadline)) {
            break;
        }
        if (note.message == WM_UPGRADE_PROGRESS) {
            const auto* progress = reinterpret_cast<const UpgradeProgressNote*>(note.wParam);
            std::string image;
            if (progress->value == UPGRADE_STEP_SEND_IMAGE && note.lParam != 0) {
                const char* buffer = reinterpret_cast<const char*>(note.lParam);
                image.assign(buffer, strnlen(buffer, IMAGE_NAME_BUFFER_SIZE));
            }
            output.Progress(FieldText(progress->address), progress->value, image);
            recorder.Progress(FieldText(progress->address));
        } else if (note.message == WM_UPGRADE_RESULT) {
            const auto* result = reinterpret_cast<const UpgradeResultNote*>(note.wParam);
            const std::string address = FieldText(result->address);
            output.Result(*result, note.lParam);
            recorder.Result(*result, note.lParam);
            (result->value != 0 ? succeeded : failed) += 1;
            if (--pending[address] <= 0) {
                pending.erase(address);
            }
            if (succeeded + failed < total) {
                output.RunningSummary(total, succeeded + failed, succeeded, failed);
            }
        }
        FreeNoteMessage(note.message, note.wParam, note.lParam);
    }

    if (succeeded + failed < total) {
        // A worker is still busy with a camera past every bound: report what
        // is missing and end without waiting for it.
        for (const auto& [address, count] : pending) {
            for (int i = 0; i < count; ++i) {
                output.NoResult(address);
            }
        }
        output.FinalSummary(total, succeeded, total - succeeded, notDispatched);
        WriteCsv(csvPath, recorder);
        std::fflush(nullptr);
        std::_Exit(3);
    }
    output.FinalSummary(total, succeeded, failed, notDispatched);
    WriteCsv(csvPath, recorder);
    session.Shutdown();
    return failed == 0 && notDispatched == 0 ? 0 : 1;
}
