#include "dialog/version_queue.h"

#include "engine/request_send.h"

void VersionQueue::Request(const std::string& address, int32_t port) {
    m_waiting.push_back({address, port});
    Pump();
}

size_t VersionQueue::Pump() {
    while (!m_waiting.empty()) {
        const Camera& camera = m_waiting.front();
        if (m_send(camera.address, camera.port) == SEND_REFUSED) {
            break; // full: again once the worker has taken one
        }
        m_waiting.pop_front();
    }
    return m_waiting.size();
}
