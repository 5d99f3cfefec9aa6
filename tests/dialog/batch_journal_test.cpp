// Reading a batch journal back: torn lines, resumes, and what counts as done.
#include "batch_journal_read.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

std::string Names(const std::vector<JournalCamera>& cameras) {
    std::string names;
    for (const JournalCamera& c : cameras) {
        names += c.address + ":" + std::to_string(c.port) + " ";
    }
    return names;
}

const std::string kBatch =
    R"({"record":"batch","batch":"20261210T131500Z-3f9a","time":"t","time_ms":5,)"
    R"("options":{"workers":2},"cameras":[{"address":"a","port":80},{"address":"b","port":80},)"
    R"({"address":"c","port":80},{"address":"d","port":80},{"address":"e","port":81}]})"
    "\n";

std::string End(const std::string& address, const std::string& fields) {
    return R"({"record":"end","address":")" + address + R"(","port":80,)" + fields + "}\n";
}

} // namespace

TEST(BatchJournalRead, CountsWhatIsDoneAndReadsPastTornLines) {
    std::istringstream in(kBatch +
                          R"({"record":"start","address":"a","port":80})"
                          "\n" +
                          End("a", R"("success":true,"verified":true,"code":0)") +
                          // Already installed: a success without a version read.
                          End("b", R"("success":true,"verified":false,"code":0,"sdk_error":7)") +
                          // A success that was not verified is not done.
                          End("c", R"("success":true,"verified":false,"code":0,"sdk_error":0)") +
                          R"({"record":"end","addr)"
                          "\n" + // torn, then a line break before the next record
                          R"({"record":"start","address":"d","port":80})"
                          "\n" +
                          R"({"record":"start","address":"e","port":81})"
                          "\n" + // the crash came here
                          R"({"record":"end","address":"e","port":81,"success":tr)");
    const std::optional<BatchJournalState> state = ReadBatchJournal(in);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->id, "20261210T131500Z-3f9a");
    EXPECT_EQ(state->options["workers"], 2);
    EXPECT_EQ(state->skippedLines, 2u);
    EXPECT_TRUE(state->Unfinished());
    const BatchCounts counts = state->Counts();
    EXPECT_EQ(counts.done, 2);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(counts.inProgress, 2);
    EXPECT_EQ(Names(state->CamerasLeft()), "c:80 d:80 e:81 ");
}

TEST(BatchJournalRead, AResumeReopensItsCamerasAndAFirstRecordIsNeeded) {
    std::istringstream resumed(
        kBatch + End("a", R"("success":true,"verified":true)") + End("b", R"("success":false)") +
        End("c", R"("success":false,"started":false)") +
        End("d", R"("success":true,"verified":true)") +
        R"({"record":"end","address":"e","port":81,"success":true,"verified":true})"
        "\n" +
        R"({"record":"resume","cameras":[{"address":"b","port":80},{"address":"c","port":80}]})"
        "\n" +
        End("b", R"("success":true,"verified":true)"));
    const std::optional<BatchJournalState> state = ReadBatchJournal(resumed);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->resumes, 1);
    // c's earlier "not started" no longer counts as an end.
    EXPECT_TRUE(state->Unfinished());
    EXPECT_EQ(Names(state->CamerasLeft()), "c:80 ");
    EXPECT_EQ(state->Counts().notStarted, 1);

    std::istringstream headless(R"({"record":"start","address":"a","port":80})"
                                "\n" +
                                kBatch);
    EXPECT_FALSE(ReadBatchJournal(headless));
    EXPECT_TRUE(IsBatchId("20261210T131500Z-3f9a"));
    EXPECT_FALSE(IsBatchId("20261210T131500Z-3f9a/../x"));
    EXPECT_FALSE(IsBatchId("20261210T131500Z-3F9A"));
}
