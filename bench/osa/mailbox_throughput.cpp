// Messages per second from several senders into one receiver: through a task
// mailbox (senders retry when it refuses), next to a plain bounded queue on a
// std::mutex and two condition variables (senders block when it is full).
// Both carry a malloc'd payload per message that the receiver frees. Prints
// figures; never fails on a time.
#include "osa/osa_tsk.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint16_t kCommand = 1;

struct Counter {
    std::mutex mutex;
    std::condition_variable done;
    std::atomic<long> received{0};
    long expected = 0;
};

// The receiver task of the mailbox run; `task` first so the main finds the rest.
struct CountingTask {
    OsaTask task{};
    Counter* counter = nullptr;
};

int32_t CountingMain(OsaTask* task) {
    Counter* counter = reinterpret_cast<CountingTask*>(task)->counter;
    while (OSA_tskIsRunning(task)) {
        OsaMessage* msg = nullptr;
        if (OSA_mbxWaitMsg(&task->mailbox, &msg) != 0) {
            break;
        }
        const bool counted = msg->command == kCommand;
        OSA_mbxAckOrFreeMsg(msg);
        if (counted && counter->received.fetch_add(1) + 1 == counter->expected) {
            std::lock_guard<std::mutex> guard(counter->mutex);
            counter->done.notify_all();
        }
    }
    return 0;
}

struct RunResult {
    double perSecond;
    long refusals;
};

RunResult RunMailbox(int senders, long perSender) {
    Counter counter;
    counter.expected = senders * perSender;
    CountingTask receiver;
    receiver.counter = &counter;
    if (OSA_tskCreate(&receiver.task, CountingMain) != 0) {
        std::fprintf(stderr, "task creation failed\n");
        std::exit(1);
    }
    std::atomic<long> refusals{0};
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> threads;
    for (int s = 0; s < senders; ++s) {
        threads.emplace_back([&] {
            for (long i = 0; i < perSender; ++i) {
                while (OSA_tskSendNotifyMsgCb(&receiver.task, kCommand, std::malloc(64)) != 0) {
                    refusals.fetch_add(1, std::memory_order_relaxed);
                    std::this_thread::yield();
                }
            }
        });
    }
    {
        std::unique_lock<std::mutex> lock(counter.mutex);
        counter.done.wait(lock, [&] { return counter.received == counter.expected; });
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (auto& t : threads) {
        t.join();
    }
    OSA_tskDelete(&receiver.task);
    return {counter.expected / seconds, refusals.load()};
}

// The plain reference: 32 slots, blocking on both sides.
class PlainQueue {
public:
    void Put(void* item) {
        std::unique_lock<std::mutex> lock(mutex_);
        notFull_.wait(lock, [&] { return items_.size() < OSA_QUEUE_LEN; });
        items_.push_back(item);
        notEmpty_.notify_one();
    }
    void* Get() {
        std::unique_lock<std::mutex> lock(mutex_);
        notEmpty_.wait(lock, [&] { return !items_.empty(); });
        void* item = items_.front();
        items_.pop_front();
        notFull_.notify_one();
        return item;
    }

private:
    std::mutex mutex_;
    std::condition_variable notEmpty_;
    std::condition_variable notFull_;
    std::deque<void*> items_;
};

RunResult RunPlain(int senders, long perSender) {
    PlainQueue queue;
    const long total = senders * perSender;
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> threads;
    for (int s = 0; s < senders; ++s) {
        threads.emplace_back([&] {
            for (long i = 0; i < perSender; ++i) {
                queue.Put(std::malloc(64));
            }
        });
    }
    for (long i = 0; i < total; ++i) {
        std::free(queue.Get());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (auto& t : threads) {
        t.join();
    }
    return {total / seconds, 0};
}

template <typename Run> RunResult Median(Run run, int senders, long perSender) {
    std::vector<RunResult> results;
    for (int i = 0; i < 3; ++i) {
        results.push_back(run(senders, perSender));
    }
    std::sort(results.begin(), results.end(),
              [](const RunResult& a, const RunResult& b) { return a.perSecond < b.perSecond; });
    return results[1];
}

} // namespace

int main(int argc, char** argv) {
    const long total = argc > 1 ? std::max(1000L, std::atol(argv[1])) : 400000L;
    std::printf("messages per run: %ld (median of 3 runs), %u hardware threads\n", total,
                std::thread::hardware_concurrency());
    std::printf("%-8s %18s %18s %8s %16s\n", "senders", "mailbox msg/s", "mutex+cv msg/s", "ratio",
                "mailbox retries");
    const char* only = argc > 2 ? argv[2] : "";
    for (int senders : {1, 2, 4}) {
        const long perSender = total / senders;
        const RunResult none{1, 0};
        const RunResult mailbox =
            std::string(only) == "plain" ? none : Median(RunMailbox, senders, perSender);
        const RunResult plain =
            std::string(only) == "mailbox" ? none : Median(RunPlain, senders, perSender);
        std::printf("%-8d %18.0f %18.0f %8.2f %16ld\n", senders, mailbox.perSecond, plain.perSecond,
                    mailbox.perSecond / plain.perSecond, mailbox.refusals);
    }
    return 0;
}
