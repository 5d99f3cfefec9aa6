#include "dialog/batch_dispatch.h"

#include "engine/requests_notes.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

bool FitsField(const std::string& text) {
    return text.size() < TEXT_FIELD_SIZE;
}

} // namespace

BatchDispatcher::BatchDispatcher(uint32_t workerCount, SendFn send)
    : m_send(std::move(send)), m_workers(workerCount > 0 ? workerCount : 1) {}

void BatchDispatcher::Clear() {
    for (Worker& worker : m_workers) {
        worker.sent.clear();
        worker.waiting.clear();
    }
    m_next = 0;
}

int32_t BatchDispatcher::Add(BatchCamera camera) {
    const uint32_t index = m_next;
    m_next = (m_next + 1) % WorkerCount();
    // A text that cannot travel is refused now rather than when its turn comes.
    if (!FitsField(camera.address) || !FitsField(camera.user) || !FitsField(camera.password)) {
        return SEND_TEXT_TOO_LONG;
    }
    Worker& worker = m_workers[index];
    if (!worker.waiting.empty() || worker.sent.size() >= m_outstandingLimit) {
        worker.waiting.push_back(std::move(camera));
        return SEND_OK;
    }
    const int32_t result = m_send(index, camera);
    if (result == SEND_OK) {
        worker.sent.push_back(std::move(camera));
    }
    return result;
}

std::vector<RefusedCamera> BatchDispatcher::OnResult(const std::string& address) {
    std::vector<RefusedCamera> refused;
    const auto now = std::chrono::steady_clock::now();
    if (const std::optional<Served> served = Finish(address)) {
        TopUp(served->worker, &refused, now);
    }
    return refused;
}

std::optional<BatchDispatcher::Served> BatchDispatcher::Finish(const std::string& address) {
    // A worker serves in order, so its result is for the oldest address it
    // was sent. When the same address heads two workers, the first is taken;
    // if that was the wrong one, the other still holds the address and gives
    // it up at the next result for it, so a worker's later results, which no
    // longer match its head, are looked for further back.
    for (const bool headOnly : {true, false}) {
        for (uint32_t index = 0; index < WorkerCount(); ++index) {
            std::deque<BatchCamera>& sent = m_workers[index].sent;
            const auto end = headOnly && !sent.empty() ? sent.begin() + 1 : sent.end();
            const auto found = std::find_if(
                sent.begin(), end, [&](const BatchCamera& c) { return c.address == address; });
            if (found != end) {
                Served served{std::move(*found), index};
                sent.erase(found);
                return served;
            }
        }
    }
    return std::nullopt;
}

void BatchDispatcher::Requeue(uint32_t worker, BatchCamera camera) {
    m_workers[worker < WorkerCount() ? worker : 0].waiting.push_back(std::move(camera));
}

std::vector<RefusedCamera> BatchDispatcher::SendDue(std::chrono::steady_clock::time_point now) {
    std::vector<RefusedCamera> refused;
    for (uint32_t index = 0; index < WorkerCount(); ++index) {
        TopUp(index, &refused, now);
    }
    return refused;
}

std::optional<std::chrono::steady_clock::time_point> BatchDispatcher::NextDue() const {
    std::optional<std::chrono::steady_clock::time_point> next;
    for (const Worker& worker : m_workers) {
        // A worker sends in queue order, so only its head can be next.
        if (!worker.waiting.empty() && worker.sent.size() < m_outstandingLimit) {
            const auto due = worker.waiting.front().notBefore;
            next = next ? std::min(*next, due) : due;
        }
    }
    return next;
}

std::vector<BatchCamera> BatchDispatcher::TakeWaiting() {
    std::vector<BatchCamera> taken;
    for (Worker& worker : m_workers) {
        std::move(worker.waiting.begin(), worker.waiting.end(), std::back_inserter(taken));
        worker.waiting.clear();
    }
    return taken;
}

size_t BatchDispatcher::Queued(uint32_t worker) const {
    return worker < WorkerCount() ? m_workers[worker].sent.size() + m_workers[worker].waiting.size()
                                  : 0;
}

void BatchDispatcher::TopUp(uint32_t index, std::vector<RefusedCamera>* refused,
                            std::chrono::steady_clock::time_point now) {
    Worker& worker = m_workers[index];
    while (!worker.waiting.empty() && worker.sent.size() < m_outstandingLimit &&
           worker.waiting.front().notBefore <= now) {
        BatchCamera camera = std::move(worker.waiting.front());
        worker.waiting.pop_front();
        const int32_t result = m_send(index, camera);
        if (result == SEND_OK) {
            worker.sent.push_back(std::move(camera));
        } else {
            refused->push_back({std::move(camera), result});
        }
    }
}

void BatchDispatcher::SetOutstandingLimit(size_t limit) {
    m_outstandingLimit = std::clamp<size_t>(limit, 1, kOutstandingPerWorker);
}

size_t BatchDispatcher::Waiting() const {
    size_t count = 0;
    for (const Worker& worker : m_workers) {
        count += worker.waiting.size();
    }
    return count;
}

size_t BatchDispatcher::Outstanding() const {
    size_t count = 0;
    for (const Worker& worker : m_workers) {
        count += worker.sent.size();
    }
    return count;
}
