#include "dialog/batch_dispatch.h"

#include "engine/requests_notes.h"

#include <algorithm>
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
    if (!worker.waiting.empty() || worker.sent.size() >= kOutstandingPerWorker) {
        worker.waiting.push_back(std::move(camera));
        return SEND_OK;
    }
    const int32_t result = m_send(index, camera);
    if (result == SEND_OK) {
        worker.sent.push_back(std::move(camera.address));
    }
    return result;
}

std::vector<RefusedCamera> BatchDispatcher::OnResult(const std::string& address) {
    std::vector<RefusedCamera> refused;
    // A worker serves in order, so its result is for the oldest address it
    // was sent. When the same address heads two workers, the first is taken;
    // if that was the wrong one, the other still holds the address and gives
    // it up at the next result for it, so a worker's later results, which no
    // longer match its head, are looked for further back.
    for (const bool headOnly : {true, false}) {
        for (uint32_t index = 0; index < WorkerCount(); ++index) {
            std::deque<std::string>& sent = m_workers[index].sent;
            const auto end = headOnly && !sent.empty() ? sent.begin() + 1 : sent.end();
            const auto found = std::find(sent.begin(), end, address);
            if (found != end) {
                sent.erase(found);
                TopUp(index, &refused);
                return refused;
            }
        }
    }
    return refused;
}

void BatchDispatcher::TopUp(uint32_t index, std::vector<RefusedCamera>* refused) {
    Worker& worker = m_workers[index];
    while (!worker.waiting.empty() && worker.sent.size() < kOutstandingPerWorker) {
        BatchCamera camera = std::move(worker.waiting.front());
        worker.waiting.pop_front();
        const int32_t result = m_send(index, camera);
        if (result == SEND_OK) {
            worker.sent.push_back(std::move(camera.address));
        } else {
            refused->push_back({std::move(camera), result});
        }
    }
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
