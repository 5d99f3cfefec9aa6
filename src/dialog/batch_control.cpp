#include "dialog/batch_control.h"

#include "engine/requests_notes.h"
#include "engine/upgrade_codes.h"
#include "sdk/lpr_sdk.h"

#include <algorithm>
#include <iterator>
#include <utility>

bool FailureMayBeRetried(const BatchOutcome& outcome) {
    if (outcome.success || outcome.accepted) {
        return false;
    }
    switch (outcome.code) {
    case UPGRADE_ERR_OPEN:
    case UPGRADE_ERR_NO_VERSION:
        return true;
    case UPGRADE_ERR_SEND:
        // Only transfers that ended, by the SDK's own account, before the
        // camera took the image. A transfer that timed out, or a camera that
        // did not come back, may have flashed.
        return outcome.sdkError == LPR_ERR_BUSY || outcome.sdkError == LPR_ERR_NOT_CONNECTED ||
               outcome.sdkError == LPR_ERR_LOST_WHILE_SENDING;
    default:
        return false;
    }
}

BatchControl::BatchControl(uint32_t workers, BatchDispatcher::SendFn send, BatchOptions options)
    : m_dispatcher(workers, std::move(send)), m_options(options) {
    m_options.retries = std::min(m_options.retries, kMaxBatchRetries);
    // A worker that finds its next request already waiting starts it before
    // the result that should have stopped the batch has been looked at.
    if (m_options.canary > 0 || m_options.maxFailures > 0) {
        m_dispatcher.SetOutstandingLimit(1);
    }
}

std::vector<RefusedCamera> BatchControl::Start(std::vector<BatchCamera> cameras,
                                               Clock::time_point now) {
    m_dispatcher.Clear();
    m_timeLeft.Begin(m_dispatcher.WorkerCount(), now);
    m_counts = {};
    m_counts.total = static_cast<int>(cameras.size());
    const size_t canary =
        m_options.canary > 0 ? std::min<size_t>(m_options.canary, cameras.size()) : cameras.size();
    m_held.assign(std::make_move_iterator(cameras.begin() + static_cast<ptrdiff_t>(canary)),
                  std::make_move_iterator(cameras.end()));
    std::vector<RefusedCamera> refused;
    for (size_t i = 0; i < canary; ++i) {
        const int32_t sent = m_dispatcher.Add(cameras[i]);
        if (sent != SEND_OK) {
            refused.push_back({std::move(cameras[i]), sent});
        }
    }
    m_counts.total -= static_cast<int>(refused.size());
    m_canaryLeft = m_options.canary > 0 ? static_cast<uint32_t>(canary - refused.size()) : 0;
    // A canary that could not be sent has not succeeded.
    m_canaryFailed = m_options.canary > 0 && !refused.empty();
    if (m_canaryFailed && !m_held.empty() && m_canaryLeft == 0) {
        m_startNotStarted = Stop(BatchStopReason::Canary);
    }
    return refused;
}

void BatchControl::Release(Clock::time_point now, std::vector<RefusedCamera>* refused) {
    std::vector<BatchCamera> held = std::move(m_held);
    m_held.clear();
    for (BatchCamera& camera : held) {
        camera.notBefore = now;
        const int32_t sent = m_dispatcher.Add(camera);
        if (sent != SEND_OK) {
            --m_counts.total;
            refused->push_back({std::move(camera), sent});
        }
    }
}

BatchControl::Answer BatchControl::OnResult(const BatchOutcome& outcome, Clock::time_point now) {
    Answer answer;
    std::optional<BatchDispatcher::Served> served = m_dispatcher.Finish(outcome.address);
    if (!served) {
        return answer;
    }
    answer.known = true;
    answer.camera = std::move(served->camera);
    if (outcome.code == UPGRADE_NOT_STARTED) {
        ++m_counts.notStarted;
        return answer;
    }
    Judge(outcome, *served, answer, now);
    // Only now, once the rules have had their say, does the worker get more.
    if (!Stopped()) {
        std::vector<RefusedCamera> refused = SendDue(now);
        std::move(refused.begin(), refused.end(), std::back_inserter(answer.refused));
    }
    return answer;
}

void BatchControl::Judge(const BatchOutcome& outcome, const BatchDispatcher::Served& served,
                         Answer& answer, Clock::time_point now) {
    m_timeLeft.RunEnded(served.worker, now);
    if (!Stopped() && answer.camera.attempt <= static_cast<int32_t>(m_options.retries) &&
        FailureMayBeRetried(outcome)) {
        answer.final = false;
        BatchCamera again = answer.camera;
        again.attempt += 1;
        again.notBefore = now + m_options.retryWait;
        answer.retryAt = again.notBefore;
        m_dispatcher.Requeue(served.worker, std::move(again));
        return;
    }
    Count(outcome);
    ApplyRules(answer, now);
}

void BatchControl::Count(const BatchOutcome& outcome) {
    (outcome.success ? m_counts.succeeded : m_counts.failed) += 1;
    // Until the canary group is through, nothing else has been sent: every
    // final result is one of its cameras'.
    if (m_canaryLeft > 0) {
        --m_canaryLeft;
        m_canaryFailed = m_canaryFailed || !outcome.success;
    }
}

void BatchControl::ApplyRules(Answer& answer, Clock::time_point now) {
    if (Stopped()) {
        return;
    }
    if (m_options.maxFailures > 0 && m_counts.failed >= static_cast<int>(m_options.maxFailures)) {
        answer.notStarted = Stop(BatchStopReason::Threshold);
        return;
    }
    if (m_options.canary == 0 || m_held.empty()) {
        return;
    }
    // One failed canary is enough: the rest of its group, still queued, is
    // not started either.
    if (m_canaryFailed) {
        answer.notStarted = Stop(BatchStopReason::Canary);
    } else if (m_canaryLeft == 0) {
        Release(now, &answer.refused);
    }
}

std::vector<RefusedCamera> BatchControl::SendDue(Clock::time_point now) {
    std::vector<RefusedCamera> refused = m_dispatcher.SendDue(now);
    m_counts.total -= static_cast<int>(refused.size());
    return refused;
}

std::vector<BatchCamera> BatchControl::Stop(BatchStopReason reason) {
    if (m_stopped.exchange(true)) {
        return {};
    }
    m_reason = reason;
    std::vector<BatchCamera> taken = m_dispatcher.TakeWaiting();
    std::move(m_held.begin(), m_held.end(), std::back_inserter(taken));
    m_held.clear();
    for (const BatchCamera& camera : taken) {
        // A camera waiting for its next try has been tried: its last try's
        // failure is its result.
        (camera.attempt > 1 ? m_counts.failed : m_counts.notStarted) += 1;
    }
    return taken;
}

std::optional<std::chrono::milliseconds> BatchControl::TimeLeft(Clock::time_point now) const {
    std::vector<size_t> queued(m_dispatcher.WorkerCount(), 0);
    for (uint32_t w = 0; w < queued.size(); ++w) {
        queued[w] = m_dispatcher.Queued(w);
    }
    // Held cameras go out in batch order, continuing the workers' turn.
    const size_t first = static_cast<size_t>(m_options.canary);
    for (size_t i = 0; i < m_held.size(); ++i) {
        queued[(first + i) % queued.size()] += 1;
    }
    return m_timeLeft.Estimate(queued, now);
}
