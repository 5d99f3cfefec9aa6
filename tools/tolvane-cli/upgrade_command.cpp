#include "upgrade_command.h"

#include "cli_session.h"
#include "dialog/batch_dispatch.h"
#include "engine/note_texts.h"
#include "engine/upgrade_sequence.h"
#include "netaddr/dotted_ipv4.h"
#include "osa/osa_sleep.h"
#include "result_rows_recorder.h"
#include "shown_texts.h"
#include "tool_text.h"

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
        std::fprintf(
            stderr, "tolvane-cli: %s\n",
            tool_text::Fill(tool_text::translate("tolvane-cli", "could not write %1"), {path})
                .c_str());
    }
}

} // namespace

std::optional<UpgradeTarget> ParseUpgradeTarget(const std::string& text, std::string* error) {
    std::string fault;
    const std::optional<netaddr::Ipv4Address> parsed = netaddr::ParseIpv4WithPort(text, &fault);
    if (!parsed) {
        *error = tool_text::Fill(
            tool_text::translate("tolvane-cli", "'%1': %2 (expected a.b.c.d or a.b.c.d:port)"),
            {text, fault});
        return std::nullopt;
    }
    if (parsed->value == 0 || parsed->value == 0xffffffffu) {
        *error = tool_text::Fill(
            tool_text::translate(
                "tolvane-cli", "'%1': not a camera address (0.0.0.0 and 255.255.255.255 are not)"),
            {text});
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

std::chrono::milliseconds UpgradeTimeBound(size_t cameras, uint32_t workers) {
    const size_t share = workers > 0 ? workers : 1;
    const size_t perWorker = (cameras + share - 1) / share;
    const double perCamera = static_cast<double>(kWorstCameraMs) * OSA_timeScale() +
                             static_cast<double>(kSdkAllowanceMs);
    return std::chrono::milliseconds(
        static_cast<int64_t>(perCamera * static_cast<double>(perWorker)) + 5000);
}

namespace {

// The batch as it comes back: counts, and the results still owed by address
// (one address may be asked for twice).
struct BatchTally {
    std::map<std::string, int> pending;
    int total = 0;
    int succeeded = 0;
    int failed = 0;
    int notDispatched = 0;
    ResultRowsRecorder recorder; // the rows of --csv

    int Done() const { return succeeded + failed; }
};

void CountRefused(const std::string& address, BatchTally& tally, CliOutput& output) {
    output.NotDispatched(address);
    tally.recorder.NotDispatched(address, ShownNotDispatchedText());
    ++tally.notDispatched;
}

void Dispatch(const std::vector<UpgradeTarget>& targets, const std::string& user,
              const std::string& password, BatchDispatcher& dispatcher, BatchTally& tally,
              CliOutput& output) {
    for (size_t i = 0; i < targets.size(); ++i) {
        tally.recorder.AddTarget(targets[i].address, targets[i].port);
        const int32_t sent =
            dispatcher.Add({targets[i].address, targets[i].port, user, password, i});
        if (sent == SEND_OK) {
            ++tally.pending[targets[i].address];
            ++tally.total;
        } else {
            CountRefused(targets[i].address, tally, output);
        }
    }
}

void OnResult(const PostedNote& note, BatchDispatcher& dispatcher, BatchTally& tally,
              CliOutput& output) {
    const auto* result = reinterpret_cast<const UpgradeResultNote*>(note.wParam);
    const std::string address = FieldText(result->address);
    output.Result(*result, note.lParam);
    tally.recorder.Result(*result, note.lParam);
    (result->value != 0 ? tally.succeeded : tally.failed) += 1;
    if (--tally.pending[address] <= 0) {
        tally.pending.erase(address);
    }
    // The worker has room again: it gets its next cameras, and any of them
    // that cannot be sent leave the batch.
    for (const RefusedCamera& refused : dispatcher.OnResult(address)) {
        const std::string& lost = refused.camera.address;
        if (--tally.pending[lost] <= 0) {
            tally.pending.erase(lost);
        }
        --tally.total;
        CountRefused(lost, tally, output);
    }
    if (tally.Done() < tally.total) {
        output.RunningSummary(tally.total, tally.Done(), tally.succeeded, tally.failed);
    }
}

void OnProgress(const PostedNote& note, BatchTally& tally, CliOutput& output) {
    const auto* progress = reinterpret_cast<const UpgradeProgressNote*>(note.wParam);
    std::string image;
    if (progress->value == UPGRADE_STEP_SEND_IMAGE && note.lParam != 0) {
        const char* buffer = reinterpret_cast<const char*>(note.lParam);
        image.assign(buffer, strnlen(buffer, IMAGE_NAME_BUFFER_SIZE));
    }
    output.Progress(FieldText(progress->address), progress->value, image);
    tally.recorder.Progress(FieldText(progress->address));
}

} // namespace

int RunUpgrade(const std::vector<UpgradeTarget>& targets, const std::string& user,
               const std::string& password, std::optional<std::chrono::milliseconds> bound,
               CliOutput& output, uint32_t workers, const std::string& csvPath) {
    CliSession session(workers);
    BatchDispatcher dispatcher(
        session.UpgradeTaskCount(), [&session](uint32_t worker, const BatchCamera& camera) {
            return SendUpgradeRequestTo(session.UpgradeTasks()[worker], camera.address.c_str(),
                                        camera.port, camera.user.c_str(), camera.password.c_str(),
                                        &session);
        });
    BatchTally tally;
    Dispatch(targets, user, password, dispatcher, tally, output);

    const auto deadline =
        std::chrono::steady_clock::now() +
        bound.value_or(UpgradeTimeBound(static_cast<size_t>(tally.total), workers));
    while (tally.Done() < tally.total) {
        PostedNote note;
        if (!session.NextNote(&note, deadline)) {
            break;
        }
        if (note.message == WM_UPGRADE_PROGRESS) {
            OnProgress(note, tally, output);
        } else if (note.message == WM_UPGRADE_RESULT) {
            OnResult(note, dispatcher, tally, output);
        }
        FreeNoteMessage(note.message, note.wParam, note.lParam);
    }

    if (tally.Done() < tally.total) {
        // A worker is still busy with a camera past every bound: report what
        // is missing and end without waiting for it.
        for (const auto& [address, count] : tally.pending) {
            for (int i = 0; i < count; ++i) {
                output.NoResult(address);
            }
        }
        output.FinalSummary(tally.total, tally.succeeded, tally.total - tally.succeeded,
                            tally.notDispatched);
        WriteCsv(csvPath, tally.recorder);
        std::fflush(nullptr);
        std::_Exit(3);
    }
    output.FinalSummary(tally.total, tally.succeeded, tally.failed, tally.notDispatched);
    WriteCsv(csvPath, tally.recorder);
    session.Shutdown();
    return tally.failed == 0 && tally.notDispatched == 0 ? 0 : 1;
}
