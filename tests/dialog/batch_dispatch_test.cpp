// The dispatcher's bookkeeping when one address is on two workers at once:
// whichever of the two answers first, both workers keep being topped up.
#include "dialog/batch_dispatch.h"
#include "engine/requests_notes.h"

#include <gtest/gtest.h>

TEST(BatchDispatch, SameAddressOnTwoWorkersDoesNotStallEither) {
    std::vector<std::pair<uint32_t, std::string>> sent;
    BatchDispatcher batch(2, [&sent](uint32_t worker, const BatchCamera& camera) {
        sent.emplace_back(worker, camera.address);
        return SEND_OK;
    });
    // Cameras 0 and 1 are the same; worker 1 serves 1, 3, 5, ...
    ASSERT_EQ(batch.Add({"10.0.0.1", 80, "admin", "ploma", 0}), SEND_OK);
    for (int k = 1; k < 100; ++k) {
        const std::string address = k == 1 ? "10.0.0.1" : "10.0.1." + std::to_string(k);
        ASSERT_EQ(batch.Add({address, 80, "admin", "ploma", size_t(k)}), SEND_OK);
    }
    EXPECT_EQ(batch.Add({std::string(32, '1'), 80, "admin", "ploma", 100}), SEND_TEXT_TOO_LONG);
    ASSERT_EQ(sent.size(), 2 * BatchDispatcher::kOutstandingPerWorker);

    // Worker 1 answers its first two; the first answer may be booked to worker 0.
    for (const char* address : {"10.0.0.1", "10.0.1.3"}) {
        sent.clear();
        EXPECT_TRUE(batch.OnResult(address).empty());
        ASSERT_EQ(sent.size(), 1u) << address;
    }
    EXPECT_EQ(sent.back().first, 1u);
    // Worker 0 answers its first (the same address): the count evens out.
    sent.clear();
    batch.OnResult("10.0.0.1");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(batch.Outstanding(), 2 * BatchDispatcher::kOutstandingPerWorker);
    EXPECT_EQ(batch.Waiting(), 100 - 3 - 2 * BatchDispatcher::kOutstandingPerWorker);
}
