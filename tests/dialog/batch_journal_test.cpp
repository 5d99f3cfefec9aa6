// Reading a batch journal back: torn lines, and what counts as done.
#include "batch_journal_read.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

std::string Left(const BatchJournalState& state) {
    std::string names;
    for (const JournalCamera& c : state.CamerasLeft()) {
        names += c.address + ":" + std::to_string(c.port) + " ";
    }
    return names;
}

std::string Record(const std::string& kind, const std::string& address, const std::string& more) {
    return R"({"record":")" + kind + R"(","address":")" + address + R"(","port":80)" + more + "}\n";
}

} // namespace

TEST(BatchJournalRead, TornLinesAndWhatCountsAsDone) {
    const std::string batch =
        R"({"record":"batch","batch":"20261210T131500Z-3f9a","options":{"workers":2},"cameras":[)"
        R"({"address":"a","port":80},{"address":"b","port":80},{"address":"c","port":80},)"
        R"({"address":"d","port":80},{"address":"e","port":80}]})"
        "\n";
    const std::string text = batch + Record("start", "a", "") +
                             Record("end", "a", R"(,"success":true,"verified":true)") +
                             // Already installed: a success without a version read.
                             Record("end", "b", R"(,"success":true,"sdk_error":7)") +
                             // A success that was not verified is not done.
                             Record("end", "c", R"(,"success":true,"verified":false)") +
                             R"({"record":"end","addr)"
                             "\n" + // torn; a line break put after it
                             Record("start", "d", "") +
                             Record("start", "e", "") +
                             R"({"record":"end","address":"e","port":80,"succ)"; // the crash
    std::istringstream crashed(text);
    const std::optional<BatchJournalState> state = ReadBatchJournal(crashed);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->id, "20261210T131500Z-3f9a");
    EXPECT_EQ(state->options["workers"], 2);
    EXPECT_EQ(state->skippedLines, 2u);
    EXPECT_TRUE(state->Unfinished());
    EXPECT_EQ(state->Counts().done * 100 + state->Counts().failed * 10 + state->Counts().inProgress,
              212);
    EXPECT_EQ(Left(*state), "c:80 d:80 e:80 ");
}
