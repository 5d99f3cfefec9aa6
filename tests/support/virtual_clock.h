// A virtual clock for tests: replaces the system's sleep, records every
// requested wait and returns at once. Each thread has its own virtual time
// (the sum of its own waits), so that concurrent workers can be checked
// one by one.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

class VirtualClock {
public:
    VirtualClock();  // installs itself as the sleep hook
    ~VirtualClock(); // restores real sleeping

    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    struct Wait {
        std::thread::id thread;
        uint32_t ms;
    };

    // Virtual time of the calling thread, in ms.
    uint64_t Now() const;
    // Every wait, in the order requested (all threads).
    std::vector<Wait> Waits() const;
    // The waits of one thread, in order.
    std::vector<uint32_t> WaitsOf(std::thread::id thread) const;
    // Sum of the waits of one thread.
    uint64_t TotalOf(std::thread::id thread) const;
    void Clear();

private:
    void OnSleep(uint32_t ms);

    mutable std::mutex m_mutex;
    std::vector<Wait> m_waits;
    std::map<std::thread::id, uint64_t> m_now;
};
