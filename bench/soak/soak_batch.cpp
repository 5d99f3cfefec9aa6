#include "soak_batch.h"

#include "engine/note_texts.h"
#include "engine/requests_notes.h"
#include "osa/osa_sleep.h"
#include "upgrade_command.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// Unscaled allowances for the SDK's network bounds (10 s per call, 1 s per
// connection poll): a camera that answers promptly or refuses at once needs
// little; one that may stop answering can spend them on every call of a run.
constexpr uint64_t kPromptCameraMs = 30'000;
constexpr uint64_t kStallingCameraMs = 600'000;
// One version visit: log-in and three reads of 10 s each, and the pauses.
constexpr uint64_t kPromptVisitMs = 5'000;
constexpr uint64_t kStallingVisitMs = 45'000;
// The window formats progress texts into this many bytes.
constexpr size_t kProgressTextBytes = 127;

bool MayStall(const SoakCamera& camera) {
    return camera.fault == FaultKind::Stall || camera.fault == FaultKind::StopAfter;
}

class BatchDriver {
public:
    BatchDriver(CliSession& session, const SoakFleet& fleet, unsigned short port)
        : session_(session), fleet_(fleet), port_(port), success_(ResultText(1, UPGRADE_OK)) {
        for (size_t i = 0; i < fleet.cameras.size(); ++i) {
            waitingUpgrades_[i % UPGRADE_TASK_COUNT].push_back(i);
            workerOf_[fleet.cameras[i].address] = i % UPGRADE_TASK_COUNT;
        }
    }

    BatchRun Run(Clock::time_point deadline) {
        const auto start = Clock::now();
        lastResult_.fill(start);
        // As after a search: one version request per camera, the batch
        // pressed while the versions still come in.
        for (const SoakCamera& camera : fleet_.cameras) {
            waitingVersions_.push_back(camera.address);
        }
        waitingVersions_.push_back(fleet_.reference.address);
        if (!Pump(deadline, [this] { return ResultCount() >= fleet_.cameras.size(); })) {
            run_.overran = "upgrade results";
        } else if (!Pump(deadline, [this] { return referenceSeen_ >= 1; })) {
            run_.overran = "version reads during the batch";
        } else {
            for (const auto& [address, upgraded] : run_.upgraded) {
                if (upgraded) {
                    waitingVersions_.push_back(address);
                }
            }
            waitingVersions_.push_back(fleet_.reference.address);
            if (!Pump(deadline, [this] { return referenceSeen_ >= 2; })) {
                run_.overran = "version reads after the batch";
            }
        }
        // A late duplicate result would show up now.
        PostedNote note;
        while (run_.overran.empty() && session_.NextNote(&note, Clock::now() + milliseconds(200))) {
            Handle(note);
        }
        run_.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return run_;
    }

private:
    size_t ResultCount() const {
        size_t count = 0;
        for (const auto& entry : run_.results) {
            count += static_cast<size_t>(entry.second);
        }
        return count;
    }

    // Handles notes and keeps the mailboxes fed until `done` or the deadline.
    template <typename Done> bool Pump(Clock::time_point deadline, Done done) {
        while (!done()) {
            if (Clock::now() >= deadline) {
                return false;
            }
            Feed();
            PostedNote note;
            if (session_.NextNote(&note, std::min(deadline, Clock::now() + milliseconds(20)))) {
                Handle(note);
            }
        }
        return true;
    }

    // A request refused for a full mailbox is sent again once there is room,
    // to the same worker, so every camera keeps its place in the k mod 5 order.
    void Feed() {
        for (uint32_t w = 0; w < UPGRADE_TASK_COUNT; ++w) {
            auto& queue = waitingUpgrades_[w];
            while (!queue.empty()) {
                const SoakCamera& camera = fleet_.cameras[queue.front()];
                if (SendUpgradeRequest(session_.UpgradeTasks(), w, camera.address.c_str(), port_,
                                       "admin", "ploma", &session_) != SEND_OK) {
                    break;
                }
                queue.pop_front();
            }
        }
        while (!waitingVersions_.empty() &&
               SendVersionRequest(session_.VersionTask(), waitingVersions_.front().c_str(), port_,
                                  &session_) == SEND_OK) {
            waitingVersions_.pop_front();
        }
    }

    void Handle(const PostedNote& note) {
        if (note.message == WM_UPGRADE_PROGRESS) {
            const auto* progress = reinterpret_cast<const UpgradeProgressNote*>(note.wParam);
            std::string image;
            if (progress->value == UPGRADE_STEP_SEND_IMAGE && note.lParam != 0) {
                const char* buffer = reinterpret_cast<const char*>(note.lParam);
                image.assign(buffer, strnlen(buffer, IMAGE_NAME_BUFFER_SIZE));
            }
            // What the row would show; nothing checks it, the window only displays it.
            (void)ProgressText(progress->value, image, kProgressTextBytes);
        } else if (note.message == WM_UPGRADE_RESULT) {
            const auto* result = reinterpret_cast<const UpgradeResultNote*>(note.wParam);
            Record(FieldText(result->address), ResultText(result->value, note.lParam), note.lParam);
        } else if (note.message == WM_DEVICE_VERSION) {
            const auto* version = reinterpret_cast<const DeviceVersionNote*>(note.wParam);
            const std::string address = FieldText(version->address);
            if (address == fleet_.reference.address) {
                ++referenceSeen_;
            } else if (referenceSeen_ >= 1) {
                run_.reread[address] = FieldText(version->version);
            }
        }
        FreeNoteMessage(note.message, note.wParam, note.lParam);
    }

    // The window tells success from failure by the text it shows.
    void Record(const std::string& address, const std::string& text, intptr_t code) {
        const auto worker = workerOf_.find(address);
        if (worker == workerOf_.end()) {
            ++run_.strayResults;
            return;
        }
        // A worker serves its cameras one after the other.
        const auto now = Clock::now();
        run_.cameraSeconds[address] =
            std::chrono::duration<double>(now - lastResult_[worker->second]).count();
        lastResult_[worker->second] = now;
        ++run_.results[address];
        run_.upgraded[address] = text == success_;
        if (text != success_) {
            run_.codes[address] = code;
        }
    }

    CliSession& session_;
    const SoakFleet& fleet_;
    const unsigned short port_;
    const std::string success_;
    std::array<std::deque<size_t>, UPGRADE_TASK_COUNT> waitingUpgrades_;
    std::deque<std::string> waitingVersions_;
    std::map<std::string, uint32_t> workerOf_;
    std::array<Clock::time_point, UPGRADE_TASK_COUNT> lastResult_{};
    int referenceSeen_ = 0;
    BatchRun run_;
};

} // namespace

milliseconds BatchTimeBound(const SoakFleet& fleet) {
    const double fixedMs = static_cast<double>(WorstCameraWaitMs()) * OSA_timeScale();
    std::array<double, UPGRADE_TASK_COUNT> workerMs{};
    double visitsMs = kPromptVisitMs; // the reference camera, twice
    for (size_t i = 0; i < fleet.cameras.size(); ++i) {
        const bool stall = MayStall(fleet.cameras[i]);
        workerMs[i % UPGRADE_TASK_COUNT] +=
            fixedMs + static_cast<double>(stall ? kStallingCameraMs : kPromptCameraMs);
        // Read during the batch and, when reported upgraded, after it.
        visitsMs += 2.0 * static_cast<double>(stall ? kStallingVisitMs : kPromptVisitMs);
    }
    const double slowest = *std::max_element(workerMs.begin(), workerMs.end());
    return milliseconds(static_cast<int64_t>(slowest + visitsMs) + 10'000);
}

BatchRun RunBatch(CliSession& session, const SoakFleet& fleet, unsigned short port,
                  milliseconds bound) {
    BatchDriver driver(session, fleet, port);
    return driver.Run(Clock::now() + bound);
}
