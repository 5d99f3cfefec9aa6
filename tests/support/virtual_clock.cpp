#include "virtual_clock.h"

#include "osa/osa_sleep.h"

VirtualClock::VirtualClock() {
    OSA_setSleepHook([this](uint32_t ms) { OnSleep(ms); });
}

VirtualClock::~VirtualClock() {
    OSA_setSleepHook({});
}

void VirtualClock::OnSleep(uint32_t ms) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_waits.push_back({std::this_thread::get_id(), ms});
    m_now[std::this_thread::get_id()] += ms;
}

uint64_t VirtualClock::Now() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_now.find(std::this_thread::get_id());
    return it == m_now.end() ? 0 : it->second;
}

std::vector<VirtualClock::Wait> VirtualClock::Waits() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_waits;
}

std::vector<uint32_t> VirtualClock::WaitsOf(std::thread::id thread) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<uint32_t> out;
    for (const Wait& w : m_waits) {
        if (w.thread == thread) {
            out.push_back(w.ms);
        }
    }
    return out;
}

uint64_t VirtualClock::TotalOf(std::thread::id thread) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_now.find(thread);
    return it == m_now.end() ? 0 : it->second;
}

void VirtualClock::Clear() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_waits.clear();
    m_now.clear();
}
