#include "upgrade_command.h"

#include "cli_session.h"
#include "csv_report.h"
#include "dialog/batch_control.h"
#include "dialog/batch_journal.h"
#include "engine/note_texts.h"
#include "engine/report_failures.h"
#include "engine/upgrade_history.h"
#include "engine/upgrade_sequence.h"
#include "netaddr/dotted_ipv4.h"
#include "osa/osa_sleep.h"
#include "progress_line.h"
#include "result_rows_recorder.h"
#include "shown_texts.h"
#include "stop_signal.h"
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
// The counts themselves are the batch control's.
struct BatchTally {
    std::map<Camera, int> pending;
    std::set<Camera> running; // a progress note came, the result not yet
    // The last failed try of a camera that is to be tried again: its result
    // should the batch stop before the next try.
    std::map<std::string, std::pair<UpgradeResultNote, int32_t>> lastTry; // note, code
    int notDispatched = 0;
    ResultRowsRecorder recorder; // the rows of --csv
    uint64_t reportFailuresSeen = 0;
    BatchJournalWriter* journal = nullptr;

    // The journal's end of a camera that never ran (refused, not started).
    void NeverStarted(const Camera& camera) {
        JournalOutcome never;
        never.started = false;
        journal->Ended({camera.first, camera.second}, never);
    }

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
    tally.NeverStarted({address, port});
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

std::vector<BatchCamera> BatchOf(const std::vector<UpgradeTarget>& targets, const std::string& user,
                                 const std::string& password, BatchTally& tally) {
    std::vector<BatchCamera> cameras;
    for (size_t i = 0; i < targets.size(); ++i) {
        cameras.push_back({targets[i].address, targets[i].port, user, password, i});
        ++tally.pending[{targets[i].address, targets[i].port}];
    }
    return cameras;
}

void CountRefusals(const std::vector<RefusedCamera>& refusals, BatchTally& tally, CliOutput& output,
                   CsvReport& csv) {
    for (const RefusedCamera& refused : refusals) {
        tally.Settle({refused.camera.address, refused.camera.port});
        CountRefused(refused.camera.address, refused.camera.port, tally, output);
    }
    if (!refusals.empty()) {
        csv.Update(tally.recorder.Rows());
    }
}

// Cameras a stop held back: reported as not started, and kept so in the
// history; one waiting for another try keeps its last try's failure.
void ReportHeldBack(const std::vector<BatchCamera>& cameras, BatchTally& tally, CliOutput& output,
                    CsvReport& csv) {
    for (const BatchCamera& camera : cameras) {
        tally.Settle({camera.address, camera.port});
        const auto last = tally.lastTry.find(camera.address);
        if (camera.attempt > 1 && last != tally.lastTry.end()) {
            const auto& [lastNote, lastCode] = last->second;
            tally.recorder.Result(lastNote, lastCode);
            tally.journal->Ended({camera.address, camera.port},
                                 JournalOutcomeOf(lastNote, lastCode));
            output.Result(lastNote, lastCode);
            tally.lastTry.erase(last);
            continue;
        }
        output.NotStarted(camera.address, camera.port);
        tally.recorder.Unfinished(camera.address, camera.port,
                                  ShownResultText(0, UPGRADE_NOT_STARTED));
        tally.NeverStarted({camera.address, camera.port});
        RecordNotStarted(camera.address, camera.port);
    }
    if (!cameras.empty()) {
        csv.Update(tally.recorder.Rows());
    }
}

void AnnounceStop(BatchStopReason reason) {
    const char* why = nullptr;
    switch (reason) {
    case BatchStopReason::Operator:
        why = QT_TRANSLATE_NOOP("tolvane-cli",
                                "stopping the batch: no further camera starts, those being "
                                "upgraded finish (stop again to quit at once)");
        break;
    case BatchStopReason::Canary:
        why = QT_TRANSLATE_NOOP("tolvane-cli",
                                "a canary camera did not succeed: the batch stops, those being "
                                "upgraded finish");
        break;
    case BatchStopReason::Threshold:
        why = QT_TRANSLATE_NOOP("tolvane-cli",
                                "the failure threshold was reached: the batch stops, those being "
                                "upgraded finish");
        break;
    case BatchStopReason::None:
        return;
    }
    std::fprintf(stderr, "tolvane-cli: %s\n", tool_text::translate("tolvane-cli", why).c_str());
}

void OnResult(const PostedNote& note, BatchControl& control, BatchTally& tally, CliOutput& output,
              CsvReport& csv) {
    const auto* result = reinterpret_cast<const UpgradeResultNote*>(note.wParam);
    const std::string address = FieldText(result->address);
    const int32_t code = static_cast<int32_t>(note.lParam);
    const Camera camera{address, result->port};
    tally.running.erase(camera);
    const bool wasStopped = control.Stopped();
    const BatchControl::Answer answer = control.OnResult(
        {address, result->value != 0, code, result->sdkError, result->accepted != 0},
        std::chrono::steady_clock::now());
    if (code == UPGRADE_NOT_STARTED) {
        output.NotStarted(address, result->port);
        tally.recorder.Unfinished(address, result->port, ShownResultText(0, code));
        tally.NeverStarted(camera);
    } else if (!answer.final) {
        output.Retrying(*result, code, answer.camera.attempt);
        tally.lastTry[address] = {*result, code};
    } else {
        // Into the CSV first: a result printed is a result kept, should the
        // run end the next moment.
        tally.recorder.Result(*result, code);
        csv.Update(tally.recorder.Rows());
        tally.journal->Ended({address, result->port}, JournalOutcomeOf(*result, code));
        output.Result(*result, code);
        tally.lastTry.erase(address);
    }
    if (answer.final) {
        tally.Settle(camera);
    }
    if (!wasStopped && control.Stopped()) {
        AnnounceStop(control.StopReason());
    }
    ReportHeldBack(answer.notStarted, tally, output, csv);
    CountRefusals(answer.refused, tally, output, csv);
    const BatchRunCounts& counts = control.Counts();
    // "Upgraded" counts the cameras that ran; the stopped ones are said apart.
    if (!control.Finished()) {
        output.RunningSummary(counts.total, counts.succeeded + counts.failed, counts.succeeded,
                              counts.failed);
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
    tally.recorder.Progress(FieldText(progress->address), progress->port);
    tally.running.insert({FieldText(progress->address), progress->port});
    tally.journal->Started({FieldText(progress->address), progress->port});
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

// The wait for the next note: the deadline, the CSV's next write, the next
// retry, and a look at the stop signal four times a second.
std::chrono::steady_clock::time_point NextWake(const BatchControl& control, const CsvReport& csv,
                                               std::chrono::steady_clock::time_point deadline) {
    auto wake = std::min({deadline, csv.WriteDue(),
                          std::chrono::steady_clock::now() + std::chrono::milliseconds(250)});
    if (const auto due = control.NextDue()) {
        wake = std::min(wake, *due);
    }
    return wake;
}

struct BatchLoop {
    CliSession& session;
    BatchControl& control;
    BatchTally& tally;
    CliOutput& output;
    CsvReport& csv;
    ProgressLine& progress;
};

void StopOnSignal(BatchLoop& loop) {
    if (!StopSignalSeen() || loop.control.Stopped()) {
        return;
    }
    const std::vector<BatchCamera> held = loop.control.Stop(BatchStopReason::Operator);
    AnnounceStop(BatchStopReason::Operator);
    ReportHeldBack(held, loop.tally, loop.output, loop.csv);
}

// Every note until all results are in or the deadline passes; the CSV is
// kept up to date on the way.
void CollectResults(BatchLoop& loop, std::chrono::steady_clock::time_point deadline) {
    while (!loop.control.Finished()) {
        StopOnSignal(loop);
        const auto now = std::chrono::steady_clock::now();
        CountRefusals(loop.control.SendDue(now), loop.tally, loop.output, loop.csv);
        PostedNote note;
        if (!loop.session.NextNote(&note, NextWake(loop.control, loop.csv, deadline))) {
            if (std::chrono::steady_clock::now() >= deadline) {
                break;
            }
            loop.csv.Update(loop.tally.recorder.Rows());
            loop.progress.Show(loop.control.Counts(), static_cast<int>(loop.tally.running.size()),
                               loop.control.TimeLeft(now), now, false);
            continue;
        }
        bool changed = false;
        if (note.message == WM_UPGRADE_PROGRESS) {
            OnProgress(note, loop.tally, loop.output);
        } else if (note.message == WM_UPGRADE_RESULT) {
            OnResult(note, loop.control, loop.tally, loop.output, loop.csv);
            changed = true;
        }
        FreeNoteMessage(note.message, note.wParam, note.lParam);
        WarnOfReportFailures(loop.tally);
        const auto after = std::chrono::steady_clock::now();
        loop.progress.Show(loop.control.Counts(), static_cast<int>(loop.tally.running.size()),
                           loop.control.TimeLeft(after), after, changed);
    }
}

// A worker is still busy with a camera past every bound: report what is
// missing and end without waiting for it.
[[noreturn]] void EndWithResultsMissing(BatchControl& control, BatchTally& tally, CliOutput& output,
                                        CsvReport& csv) {
    for (const auto& [camera, count] : tally.pending) {
        for (int i = 0; i < count; ++i) {
            output.NoResult(camera.first, camera.second);
            tally.recorder.Unfinished(camera.first, camera.second, NoResultText());
        }
    }
    const BatchRunCounts& counts = control.Counts();
    output.FinalSummary(counts.total, counts.succeeded,
                        counts.total - counts.succeeded - counts.notStarted, tally.notDispatched,
                        counts.notStarted);
    csv.Finish(tally.recorder.Rows());
    std::fflush(nullptr);
    std::_Exit(3);
}

} // namespace

int RunUpgrade(const std::vector<UpgradeTarget>& requested, const std::string& user,
               const std::string& password, std::optional<std::chrono::milliseconds> bound,
               CliOutput& output, uint32_t workers, const std::string& csvPath,
               const std::string& resumedBatch, const RolloutArguments& rollout) {
    const std::vector<UpgradeTarget> targets = WithoutRepeats(requested);
    const std::optional<BatchOptions> options = ResolveRollout(rollout, targets.size());
    if (!options) {
        return kExitBadInput;
    }
    std::vector<JournalCamera> cameras;
    for (const UpgradeTarget& t : targets) {
        cameras.push_back({t.address, t.port});
    }
    const nlohmann::json journalled = {{"workers", workers},
                                       {"canary", options->canary},
                                       {"max_failures", options->maxFailures},
                                       {"retries", options->retries}};
    BatchJournalWriter journal = resumedBatch.empty()
                                     ? BatchJournalWriter::Begin(cameras, journalled)
                                     : BatchJournalWriter::Continue(resumedBatch, cameras);
    output.BatchStarted(journal.Id(), cameras.size(), journal.Path(), !resumedBatch.empty());
    const StopSignalGuard signals;
    CliSession session(workers);
    session.SetBatchId(journal.Id());
    BatchControl control(
        session.UpgradeTaskCount(),
        [&session](uint32_t worker, const BatchCamera& camera) {
            return SendUpgradeRequestTo(session.UpgradeTasks()[worker], camera.address.c_str(),
                                        camera.port, camera.user.c_str(), camera.password.c_str(),
                                        &session, camera.attempt);
        },
        *options);
    session.FollowBatch(&control);
    BatchTally tally;
    tally.journal = &journal;
    tally.recorder.SetBatch(journal.Id());
    tally.reportFailuresSeen = ReportWriteFailuresSoFar().count;
    const uint64_t failuresBefore = tally.reportFailuresSeen;
    CsvReport csv(csvPath);
    const auto start = std::chrono::steady_clock::now();
    CountRefusals(control.Start(BatchOf(targets, user, password, tally), start), tally, output,
                  csv);
    ReportHeldBack(control.TakeStartNotStarted(), tally, output, csv);
    // The file exists from the start: a run cut short before any result
    // leaves the header, not the rows of an earlier batch.
    csv.Update(tally.recorder.Rows());

    // Each further try may come after the retry wait, and take as long again.
    const size_t runs = static_cast<size_t>(control.Counts().total) * (1 + options->retries);
    const auto deadline = start + bound.value_or(UpgradeTimeBound(runs, workers) +
                                                 options->retryWait * options->retries);
    ProgressLine progress(rollout.progress, start);
    BatchLoop loop{session, control, tally, output, csv, progress};
    CollectResults(loop, deadline);
    WarnOfReportFailures(tally);
    const bool reportsLost = ReportWriteFailuresSoFar().count != failuresBefore;
    if (!control.Finished()) {
        EndWithResultsMissing(control, tally, output, csv);
    }
    const BatchRunCounts& counts = control.Counts();
    output.FinalSummary(counts.total, counts.succeeded, counts.failed, tally.notDispatched,
                        counts.notStarted);
    const bool csvWritten = csv.Finish(tally.recorder.Rows());
    session.Shutdown();
    if (counts.notStarted != 0) {
        return kExitBatchStopped;
    }
    if (counts.failed != 0 || tally.notDispatched != 0) {
        return 1;
    }
    return csvWritten && !reportsLost ? 0 : kExitReportsLost;
}
