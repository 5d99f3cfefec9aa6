#include "upgrade_command.h"

#include "cli_session.h"
#include "csv_report.h"
#include "dialog/batch_dispatch.h"
#include "dialog/batch_journal.h"
#include "engine/note_texts.h"
#include "engine/report_failures.h"
#include "engine/upgrade_sequence.h"
#include "netaddr/dotted_ipv4.h"
#include "osa/osa_sleep.h"
#include "result_rows_recorder.h"
#include "shown_texts.h"
#include "tool_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

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

using Camera = std::pair<std::string, int32_t>; // address and port

// The batch as it comes back: counts, and the results still owed by camera.
struct BatchTally {
    std::map<Camera, int> pending;
    int total = 0;
    int succeeded = 0;
    int failed = 0;
    int notDispatched = 0;
    ResultRowsRecorder recorder; // the rows of --csv
    uint64_t reportFailuresSeen = 0;
    BatchJournalWriter* journal = nullptr;

    int Done() const { return succeeded + failed; }
    void Settle(const Camera& camera) {
        if (--pending[camera] <= 0) {
            pending.erase(camera);
        }
    }
};

void CountRefused(const std::string& address, int32_t port, BatchTally& tally, CliOutput& output) {
    output.NotDispatched(address, port);
    tally.recorder.Unfinished(address, port, ShownNotDispatchedText());
    ++tally.notDispatched;
    JournalOutcome never;
    never.started = false;
    tally.journal->Ended({address, port}, never);
}

// Each camera once: a second worker upgrading the same camera at the same
// time would fight the first over it.
std::vector<UpgradeTarget> WithoutRepeats(const std::vector<UpgradeTarget>& targets) {
    std::vector<UpgradeTarget> once;
    std::set<Camera> seen;
    for (const UpgradeTarget& t : targets) {
        if (seen.insert({t.address, t.port}).second) {
            once.push_back(t);
        } else {
            std::fprintf(
                stderr, "tolvane-cli: %s\n",
                tool_text::Fill(tool_text::translate("tolvane-cli", "%1 is named more than once; "
                                                                    "it is upgraded once"),
                                {CameraText(t.address, t.port)})
                    .c_str());
        }
    }
    return once;
}

void Dispatch(const std::vector<UpgradeTarget>& targets, const std::string& user,
              const std::string& password, BatchDispatcher& dispatcher, BatchTally& tally,
              CliOutput& output) {
    for (size_t i = 0; i < targets.size(); ++i) {
        const int32_t sent =
            dispatcher.Add({targets[i].address, targets[i].port, user, password, i});
        if (sent == SEND_OK) {
            ++tally.pending[{targets[i].address, targets[i].port}];
            ++tally.total;
        } else {
            CountRefused(targets[i].address, targets[i].port, tally, output);
        }
    }
}

void OnResult(const PostedNote& note, BatchDispatcher& dispatcher, BatchTally& tally,
              CliOutput& output, CsvReport& csv) {
    const auto* result = reinterpret_cast<const UpgradeResultNote*>(note.wParam);
    const std::string address = FieldText(result->address);
    // Into the CSV first: a result printed is a result kept, should the run
    // end the next moment.
    tally.recorder.Result(*result, note.lParam);
    csv.Update(tally.recorder.Rows());
    tally.journal->Ended({address, result->port}, JournalOutcomeOf(*result, note.lParam));
    output.Result(*result, note.lParam);
    (result->value != 0 ? tally.succeeded : tally.failed) += 1;
    tally.Settle({address, result->port});
    // The worker has room again: it gets its next cameras, and any of them
    // that cannot be sent leave the batch.
    const std::vector<RefusedCamera> refusals = dispatcher.OnResult(address);
    for (const RefusedCamera& refused : refusals) {
        tally.Settle({refused.camera.address, refused.camera.port});
        --tally.total;
        CountRefused(refused.camera.address, refused.camera.port, tally, output);
    }
    if (!refusals.empty()) {
        csv.Update(tally.recorder.Rows());
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
    output.Progress(FieldText(progress->address), progress->port, progress->value, image);
    tally.journal->Started({FieldText(progress->address), progress->port});
    tally.recorder.Progress(FieldText(progress->address), progress->port);
}

// The history or a camera's log could not be written since the last look:
// said at once, and the run's exit status shows it.
void WarnOfReportFailures(BatchTally& tally) {
    const ReportWriteFailures failures = ReportWriteFailuresSoFar();
    if (failures.count == tally.reportFailuresSeen) {
        return;
    }
    std::fprintf(
        stderr, "tolvane-cli: %s\n",
        tool_text::Fill(tool_text::translate("tolvane-cli", "warning: could not write %1: %2 (%3 "
                                                            "record(s) lost so far)"),
                        {failures.path, failures.reason, std::to_string(failures.count)})
            .c_str());
    tally.reportFailuresSeen = failures.count;
}

// Every note until all results are in or the deadline passes; the CSV is
// kept up to date on the way.
void CollectResults(CliSession& session, BatchDispatcher& dispatcher, BatchTally& tally,
                    CliOutput& output, CsvReport& csv,
                    std::chrono::steady_clock::time_point deadline) {
    while (tally.Done() < tally.total) {
        PostedNote note;
        if (!session.NextNote(&note, std::min(deadline, csv.WriteDue()))) {
            if (std::chrono::steady_clock::now() >= deadline) {
                break;
            }
            csv.Update(tally.recorder.Rows());
            continue;
        }
        if (note.message == WM_UPGRADE_PROGRESS) {
            OnProgress(note, tally, output);
        } else if (note.message == WM_UPGRADE_RESULT) {
            OnResult(note, dispatcher, tally, output, csv);
        }
        FreeNoteMessage(note.message, note.wParam, note.lParam);
        WarnOfReportFailures(tally);
    }
}

} // namespace

int RunUpgrade(const std::vector<UpgradeTarget>& requested, const std::string& user,
               const std::string& password, std::optional<std::chrono::milliseconds> bound,
               CliOutput& output, uint32_t workers, const std::string& csvPath,
               const std::string& resumedBatch) {
    const std::vector<UpgradeTarget> targets = WithoutRepeats(requested);
    std::vector<JournalCamera> cameras;
    for (const UpgradeTarget& t : targets) {
        cameras.push_back({t.address, t.port});
    }
    BatchJournalWriter journal = resumedBatch.empty()
                                     ? BatchJournalWriter::Begin(cameras, {{"workers", workers}})
                                     : BatchJournalWriter::Continue(resumedBatch, cameras);
    output.BatchStarted(journal.Id(), cameras.size(), journal.Path(), !resumedBatch.empty());
    CliSession session(workers);
    session.SetBatchId(journal.Id());
    BatchDispatcher dispatcher(
        session.UpgradeTaskCount(), [&session](uint32_t worker, const BatchCamera& camera) {
            return SendUpgradeRequestTo(session.UpgradeTasks()[worker], camera.address.c_str(),
                                        camera.port, camera.user.c_str(), camera.password.c_str(),
                                        &session);
        });
    BatchTally tally;
    tally.journal = &journal;
    tally.recorder.SetBatch(journal.Id());
    tally.reportFailuresSeen = ReportWriteFailuresSoFar().count;
    const uint64_t failuresBefore = tally.reportFailuresSeen;
    CsvReport csv(csvPath);
    Dispatch(targets, user, password, dispatcher, tally, output);
    // The file exists from the start: a run cut short before any result
    // leaves the header, not the rows of an earlier batch.
    csv.Update(tally.recorder.Rows());

    const auto deadline =
        std::chrono::steady_clock::now() +
        bound.value_or(UpgradeTimeBound(static_cast<size_t>(tally.total), workers));
    CollectResults(session, dispatcher, tally, output, csv, deadline);
    WarnOfReportFailures(tally);
    const bool reportsLost = ReportWriteFailuresSoFar().count != failuresBefore;

    if (tally.Done() < tally.total) {
        // A worker is still busy with a camera past every bound: report what
        // is missing and end without waiting for it.
        for (const auto& [camera, count] : tally.pending) {
            for (int i = 0; i < count; ++i) {
                output.NoResult(camera.first, camera.second);
                tally.recorder.Unfinished(camera.first, camera.second, NoResultText());
            }
        }
        output.FinalSummary(tally.total, tally.succeeded, tally.total - tally.succeeded,
                            tally.notDispatched);
        csv.Finish(tally.recorder.Rows());
        std::fflush(nullptr);
        std::_Exit(3);
    }
    output.FinalSummary(tally.total, tally.succeeded, tally.failed, tally.notDispatched);
    const bool csvWritten = csv.Finish(tally.recorder.Rows());
    session.Shutdown();
    if (tally.failed != 0 || tally.notDispatched != 0) {
        return 1;
    }
    return csvWritten && !reportsLost ? 0 : kExitReportsLost;
}
