// The device list's index against the list's own rule, applied by a scan of
// the rows: same row order, same rows found for an address, each camera once.
#include "dialog/device_rows.h"
#include "dialog/dialog_ids.h"
#include "dialog/found_notes.h"
#include "dialog/version_queue.h"
#include "engine/requests_notes.h"
#include "netaddr/address_order.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

struct Row {
    std::string cells[5];
    uintptr_t data = 0;
    bool checked = false;
};

class VectorRows final : public DeviceRows {
public:
    int GetItemCount() const override { return static_cast<int>(rows.size()); }
    std::string GetItemText(int row, int column) const override { return rows[row].cells[column]; }
    void SetItemText(int row, int column, const std::string& text) override {
        rows[row].cells[column] = text;
    }
    uintptr_t GetItemData(int row) const override { return rows[row].data; }
    void SetItemData(int row, uintptr_t data) override { rows[row].data = data; }
    bool GetCheck(int row) const override { return rows[row].checked; }
    void SetCheck(int row, bool checked) override { rows[row].checked = checked; }
    int InsertItem(int index) override {
        rows.insert(rows.begin() + index, Row{});
        return index;
    }
    void SelectRow(int row) override { selected = row; }
    void DeleteAllItems() override { rows.clear(); }

    std::vector<Row> rows;
    int selected = -1;
};

// The rule as a scan: in front of the first row the new address sorts before.
void ScanInsert(std::vector<std::string>& list, const std::string& address) {
    size_t at = 0;
    while (at < list.size() && !netaddr::AddressLess(address, list[at]))
        ++at;
    list.insert(list.begin() + static_cast<long>(at), address);
}

std::vector<std::string> Addresses(const VectorRows& rows) {
    std::vector<std::string> texts;
    for (const Row& row : rows.rows)
        texts.push_back(row.cells[COL_IP]);
    return texts;
}

} // namespace

TEST(DeviceIndex, RowsMatchTheScanningRuleAndEachCameraIsListedOnce) {
    // Few distinct values, so that equal addresses, an address on two ports,
    // equal numbers in other texts ("10.0.1.07") and texts that are not
    // addresses all meet often.
    std::mt19937 random(17);
    const std::vector<std::string> odd = {"camera-7", "10.0.1", "10.0.1.07", "", "1.2.3.4.5"};
    VectorRows rows;
    std::vector<std::string> expected;
    std::set<std::pair<std::string, int32_t>> listed;
    for (int i = 0; i < 3000; ++i) {
        const std::string address = random() % 20 == 0 ? odd[random() % odd.size()]
                                                       : "10.0." + std::to_string(random() % 8) +
                                                             "." + std::to_string(random() % 40);
        const int32_t port = random() % 4 == 0 ? 8080 : 80;
        const int row = AddFoundRow(rows, address, port);
        if (!listed.emplace(address, port).second) {
            ASSERT_EQ(row, -1) << address << ":" << port;
            continue;
        }
        ScanInsert(expected, address);
        ASSERT_GE(row, 0);
        ASSERT_EQ(rows.selected, row);
        ASSERT_EQ(rows.rows[row].cells[COL_PORT], std::to_string(port));
    }
    ASSERT_EQ(Addresses(rows), expected);

    // Every row of an address, and only those, byte for byte.
    for (const std::string address : {"10.0.1.7", "10.0.1.07", "camera-7", "10.0.9.9"}) {
        EXPECT_EQ(UpdateRows(rows, address, "text", ROW_FAILED),
                  std::count(expected.begin(), expected.end(), address) > 0);
        SetRowsVersion(rows, address, "5.1.7.9");
    }
    for (size_t row = 0; row < expected.size(); ++row) {
        const bool hit = expected[row] == "10.0.1.7" || expected[row] == "10.0.1.07" ||
                         expected[row] == "camera-7";
        EXPECT_EQ(rows.rows[row].data, hit ? ROW_FAILED : ROW_STATE_NONE) << row;
        EXPECT_EQ(rows.rows[row].cells[COL_VERSION], hit ? "5.1.7.9" : "") << row;
    }
    const auto first = std::find(expected.begin(), expected.end(), "10.0.1.7");
    EXPECT_EQ(FindRow(rows, "10.0.1.7"), first == expected.end() ? -1 : first - expected.begin());
    EXPECT_EQ(FindRow(rows, "10.0.9.9"), -1);

    // Emptied, the list takes the same cameras again.
    ClearRows(rows);
    EXPECT_EQ(rows.GetItemCount(), 0);
    EXPECT_EQ(FindRow(rows, "10.0.1.7"), -1);
    EXPECT_EQ(AddFoundRow(rows, "10.0.0.2", 80), 0);
    EXPECT_EQ(AddFoundRow(rows, "10.0.0.1", 80), 0);
    EXPECT_EQ(AddFoundRow(rows, "10.0.0.1", 80), -1);
    EXPECT_EQ(Addresses(rows), (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
}

TEST(VersionQueue, WaitsForRoomInFoundOrder) {
    std::vector<std::string> sent;
    size_t room = 2;
    VersionQueue queue([&](const std::string& address, int32_t port) {
        if (address.size() > 31)
            return SEND_TEXT_TOO_LONG;
        if (room == 0)
            return SEND_REFUSED;
        --room;
        sent.push_back(address + ":" + std::to_string(port));
        return SEND_OK;
    });
    queue.Request("10.2.0.1", 80);
    queue.Request("10.2.0.2", 80);
    queue.Request("10.2.0.3", 8080);
    queue.Request(std::string(40, '1'), 80); // never fits: dropped when its turn comes
    queue.Request("10.2.0.4", 80);
    EXPECT_EQ(queue.Waiting(), 3u);
    EXPECT_EQ(queue.Pump(), 3u); // still no room: nothing lost
    room = 1;
    EXPECT_EQ(queue.Pump(), 1u);
    room = 5;
    EXPECT_EQ(queue.Pump(), 0u);
    EXPECT_EQ(sent, (std::vector<std::string>{"10.2.0.1:80", "10.2.0.2:80", "10.2.0.3:8080",
                                              "10.2.0.4:80"}));
}

namespace {

class RunningOwner final : public NoteOwner {
public:
    NoteWindow GetNoteWindow() const override { return 0; }
    bool IsRunning() const override { return true; }
};

} // namespace

TEST(FoundNotes, ReportsOfAnEarlierSearchAreNoLongerCurrent) {
    RunningOwner dialog;
    std::vector<uintptr_t> arrived;
    FoundNotes notes(dialog, [&](uint32_t, uintptr_t wParam, intptr_t lParam) {
        arrived.push_back(wParam);
        delete reinterpret_cast<FoundDeviceNote*>(lParam);
    });
    // Before the first search nothing is listening.
    EXPECT_EQ(notes.GetNoteWindow(), 0u);
    notes.Renew();
    const NoteWindow first = notes.GetNoteWindow();
    FindDeviceCallback(0, "10.3.0.1", 8000, 0, 0, 0, static_cast<NoteOwner*>(&notes));
    notes.Renew();
    FindDeviceCallback(0, "10.3.0.2", 80, 0, 0, 0, static_cast<NoteOwner*>(&notes));
    // A late post into the stopped search's window fails; its poster frees it.
    EXPECT_FALSE(PostNoteMessage(first, WM_DEVICE_FOUND, 80, 0));

    ASSERT_EQ(arrived.size(), 2u);
    EXPECT_FALSE(notes.IsCurrent(arrived[0]));
    EXPECT_TRUE(notes.IsCurrent(arrived[1]));
    EXPECT_EQ(FoundPort(arrived[0]), 8000);
    EXPECT_EQ(FoundPort(arrived[1]), 80);
}
