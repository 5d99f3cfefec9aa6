#include "records_fixture.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Five upgrade tasks and a version task whose mailboxes exist but whose
// threads do not, so that a test can look at what was queued.
class Requests : public testing::Test {
protected:
    void SetUp() override {
        for (uint32_t i = 0; i < UPGRADE_TASK_COUNT; ++i) {
            ASSERT_EQ(OSA_mbxCreate(&upgrade_[i].mailbox), 0);
            upgradeTasks_[i] = &upgrade_[i];
        }
        ASSERT_EQ(OSA_mbxCreate(&version_.mailbox), 0);
    }
    void TearDown() override {
        for (OsaTask& task : upgrade_) {
            OSA_mbxFlush(&task.mailbox);
            OSA_mbxDelete(&task.mailbox);
        }
        OSA_mbxFlush(&version_.mailbox);
        OSA_mbxDelete(&version_.mailbox);
    }
    uint32_t Queued(OsaTask& task) { return task.mailbox.recvQueue.count; }
    uint32_t QueuedInUpgradeTasks() {
        uint32_t total = 0;
        for (OsaTask& task : upgrade_) {
            total += Queued(task);
        }
        return total;
    }
    // Takes the oldest message; the test frees it with OSA_mbxAckOrFreeMsg.
    OsaMessage* Take(OsaTask& task) {
        OsaMessage* msg = nullptr;
        EXPECT_EQ(OSA_queGet(&task.mailbox.recvQueue, &msg, OSA_NO_WAIT), 0);
        return msg;
    }

    OsaTask upgrade_[UPGRADE_TASK_COUNT]{};
    OsaTask* upgradeTasks_[UPGRADE_TASK_COUNT]{};
    OsaTask version_{};
    RecordingWindow owner_;
};

bool ZeroFrom(const char (&field)[TEXT_FIELD_SIZE], size_t start) {
    for (size_t i = start; i < TEXT_FIELD_SIZE; ++i) {
        if (field[i] != '\0') {
            return false;
        }
    }
    return true;
}

TEST_F(Requests, UpgradeRequestCarriesEveryFieldZeroFilledBehind) {
    const std::string password31(31, 'p');
    ASSERT_EQ(SendUpgradeRequest(upgradeTasks_, 3, "192.168.1.20", 0x12345, "admin",
                                 password31.c_str(), &owner_),
              SEND_OK);
    ASSERT_EQ(Queued(upgrade_[3]), 1u);
    OsaMessage* msg = Take(upgrade_[3]);
    EXPECT_EQ(msg->command, CMD_UPDATE_DEVICE);
    EXPECT_EQ(msg->flags, OSA_MSG_MADE_BY_RUNTIME | OSA_MSG_OWNS_PAYLOAD);
    const auto* request = static_cast<const UpgradeRequest*>(msg->payload);
    EXPECT_STREQ(request->address, "192.168.1.20");
    EXPECT_TRUE(ZeroFrom(request->address, 12));
    EXPECT_EQ(request->port, 0x12345); // reduced to 16 bits only where the SDK is called
    EXPECT_STREQ(request->user, "admin");
    EXPECT_TRUE(ZeroFrom(request->user, 5));
    EXPECT_EQ(std::string(request->password), password31);
    EXPECT_EQ(request->owner, &owner_);
    OSA_mbxAckOrFreeMsg(msg);
}

TEST_F(Requests, BadIndexMissingTaskOrOverlongTextSendsNothing) {
    EXPECT_EQ(SendUpgradeRequest(upgradeTasks_, 5, "10.0.0.1", 80, "admin", "pw", &owner_),
              SEND_REFUSED);
    EXPECT_EQ(SendUpgradeRequest(nullptr, 0, "10.0.0.1", 80, "admin", "pw", &owner_), SEND_REFUSED);
    upgradeTasks_[2] = nullptr;
    EXPECT_EQ(SendUpgradeRequest(upgradeTasks_, 2, "10.0.0.1", 80, "admin", "pw", &owner_),
              SEND_REFUSED);

    const std::string text32(32, 'x');
    EXPECT_EQ(
        SendUpgradeRequest(upgradeTasks_, 1, "10.0.0.1", 80, "admin", text32.c_str(), &owner_),
        SEND_TEXT_TOO_LONG);
    EXPECT_EQ(SendUpgradeRequest(upgradeTasks_, 1, "10.0.0.1", 80, text32.c_str(), "pw", &owner_),
              SEND_TEXT_TOO_LONG);
    EXPECT_EQ(SendUpgradeRequest(upgradeTasks_, 1, text32.c_str(), 80, "admin", "pw", &owner_),
              SEND_TEXT_TOO_LONG);
    EXPECT_EQ(SendVersionRequest(&version_, text32.c_str(), 80, &owner_), SEND_TEXT_TOO_LONG);
    EXPECT_EQ(QueuedInUpgradeTasks(), 0u);
    EXPECT_EQ(Queued(version_), 0u);
}

TEST_F(Requests, AFullMailboxRefusesTheThirtyThirdAndFreesIt) {
    for (uint32_t i = 0; i < OSA_QUEUE_LEN; ++i) {
        ASSERT_EQ(SendUpgradeRequest(upgradeTasks_, 4, "10.0.0.4", 80, "admin", "pw", &owner_),
                  SEND_OK);
    }
    // The leak checker confirms the refused request was freed by the runtime.
    EXPECT_EQ(SendUpgradeRequest(upgradeTasks_, 4, "10.0.0.4", 80, "admin", "pw", &owner_),
              SEND_REFUSED);
    EXPECT_EQ(Queued(upgrade_[4]), OSA_QUEUE_LEN);
    OSA_mbxAckOrFreeMsg(Take(upgrade_[4]));
    EXPECT_EQ(SendUpgradeRequest(upgradeTasks_, 4, "10.0.0.4", 80, "admin", "pw", &owner_),
              SEND_OK);
}

TEST_F(Requests, VersionRequestLeavesTheCredentialsEmpty) {
    ASSERT_EQ(SendVersionRequest(&version_, "172.16.0.9", 8080, &owner_), SEND_OK);
    OsaMessage* msg = Take(version_);
    EXPECT_EQ(msg->command, CMD_GET_DEVICE_VERSION);
    const auto* request = static_cast<const VersionRequest*>(msg->payload);
    EXPECT_STREQ(request->address, "172.16.0.9");
    EXPECT_EQ(request->port, 8080);
    EXPECT_TRUE(ZeroFrom(request->user, 0));
    EXPECT_TRUE(ZeroFrom(request->password, 0));
    EXPECT_EQ(request->owner, &owner_);
    OSA_mbxAckOrFreeMsg(msg);

    // No version task: the runtime reports it and frees the request.
    testing::internal::CaptureStderr();
    EXPECT_EQ(SendVersionRequest(nullptr, "172.16.0.9", 80, &owner_), SEND_REFUSED);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("|OSA_tskSendNotifyMsgCb|"),
              std::string::npos);
}

} // namespace
