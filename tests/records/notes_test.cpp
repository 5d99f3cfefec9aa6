#include "records_fixture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

char* ImageNameBuffer(const char* name) {
    char* buffer = new char[IMAGE_NAME_BUFFER_SIZE]();
    std::strncpy(buffer, name, IMAGE_NAME_BUFFER_SIZE - 1);
    return buffer;
}

TEST(UpgradeNotes, ProgressAndResultArriveWithTheirParameters) {
    RecordingWindow window;
    char* image = ImageNameBuffer("dm8127_app.bin");
    PostUpgradeNote(window.GetNoteWindow(), WM_UPGRADE_PROGRESS, UPGRADE_STEP_SEND_IMAGE,
                    reinterpret_cast<intptr_t>(image), "10.1.1.7");
    PostUpgradeNote(window.GetNoteWindow(), WM_UPGRADE_RESULT, 0, UPGRADE_ERR_SEND, "10.1.1.7");
    const std::string longAddress(40, '9');
    PostUpgradeNote(window.GetNoteWindow(), WM_UPGRADE_RESULT, 1, UPGRADE_OK, longAddress.c_str());

    const auto posted = window.Posted();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].message, WM_UPGRADE_PROGRESS);
    const auto* progress = reinterpret_cast<const UpgradeProgressNote*>(posted[0].wParam);
    EXPECT_STREQ(progress->address, "10.1.1.7");
    EXPECT_EQ(progress->value, UPGRADE_STEP_SEND_IMAGE);
    EXPECT_EQ(posted[0].lParam, reinterpret_cast<intptr_t>(image));

    EXPECT_EQ(posted[1].message, WM_UPGRADE_RESULT);
    const auto* failed = reinterpret_cast<const UpgradeResultNote*>(posted[1].wParam);
    EXPECT_EQ(failed->value, 0);
    EXPECT_EQ(posted[1].lParam, UPGRADE_ERR_SEND);

    // A text longer than its field is cut to 31 characters and stays terminated.
    const auto* cut = reinterpret_cast<const UpgradeResultNote*>(posted[2].wParam);
    EXPECT_EQ(std::string(cut->address), longAddress.substr(0, 31));
    // The window frees all three notes and the image buffer when it closes.
}

TEST(UpgradeNotes, APostToAWindowThatIsGoneFreesTheNoteAndTheImageBuffer) {
    RecordingWindow window;
    window.Close();
    PostUpgradeNote(window.GetNoteWindow(), WM_UPGRADE_PROGRESS, UPGRADE_STEP_SEND_IMAGE,
                    reinterpret_cast<intptr_t>(ImageNameBuffer("a.bin")), "10.1.1.7");
    PostUpgradeNote(window.GetNoteWindow(), WM_UPGRADE_PROGRESS, UPGRADE_STEP_CLEAN_LOG, 0,
                    "10.1.1.7");
    PostUpgradeNote(0, WM_UPGRADE_RESULT, 1, UPGRADE_OK, "10.1.1.7");
    EXPECT_TRUE(window.Posted().empty());
    // Nothing leaks (leak checker); nothing is freed twice (address checker).
}

TEST(VersionNotes, OnlyAPositiveFirstNumberIsPostedAndTheTextIsBounded) {
    RecordingWindow window;
    const int32_t zero[4] = {0, 5, 1, 6};
    const int32_t negative[4] = {-1, 5, 1, 6};
    const int32_t one[4] = {1, 0, 0, 0};
    const int32_t huge[4] = {-2147483647 - 1, 0, 0, 0};
    const int32_t wide[4] = {2147483647, -2147483647 - 1, 2147483647, 2147483647};
    PostDeviceVersionNote(window.GetNoteWindow(), "10.0.0.2", zero);
    PostDeviceVersionNote(window.GetNoteWindow(), "10.0.0.2", negative);
    PostDeviceVersionNote(window.GetNoteWindow(), "10.0.0.2", huge);
    PostDeviceVersionNote(window.GetNoteWindow(), "10.0.0.2", nullptr);
    EXPECT_TRUE(window.Posted().empty());

    PostDeviceVersionNote(window.GetNoteWindow(), "10.0.0.2", one);
    PostDeviceVersionNote(window.GetNoteWindow(), "10.0.0.3", wide);
    const auto posted = window.Posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, WM_DEVICE_VERSION);
    EXPECT_EQ(posted[0].lParam, 0);
    const auto* note = reinterpret_cast<const DeviceVersionNote*>(posted[0].wParam);
    EXPECT_STREQ(note->address, "10.0.0.2");
    EXPECT_STREQ(note->version, "1.0.0.0");
    const auto* wideNote = reinterpret_cast<const DeviceVersionNote*>(posted[1].wParam);
    EXPECT_EQ(std::string(wideNote->version),
              std::string("2147483647.-2147483648.2147483647.2147483647").substr(0, 31));

    window.Close();
    PostDeviceVersionNote(window.GetNoteWindow(), "10.0.0.2", one); // freed, not lost
}

void* UserDataOf(RecordingWindow& window) {
    return static_cast<NoteOwner*>(&window);
}

TEST(FoundDevices, CallbackPostsTheWholeAddressAndTheLowSixteenBitsOfThePort) {
    RecordingWindow window;
    FindDeviceCallback(0, "192.168.3.40", 0x12345, 0, 0, 0, nullptr); // no dialog
    FindDeviceCallback(0, nullptr, 80, 0, 0, 0, UserDataOf(window));
    EXPECT_TRUE(window.Posted().empty());

    const std::string longReport(60, '7'); // no bound: kept whole
    FindDeviceCallback(0, "192.168.3.40", 0x12345, 0, 0, 0, UserDataOf(window));
    FindDeviceCallback(0, longReport.c_str(), 80, 0, 0, 0, UserDataOf(window));
    const auto posted = window.Posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, WM_DEVICE_FOUND);
    EXPECT_EQ(posted[0].wParam, 0x2345u);
    EXPECT_EQ(*reinterpret_cast<const FoundDeviceNote*>(posted[0].lParam), "192.168.3.40");
    EXPECT_EQ(*reinterpret_cast<const FoundDeviceNote*>(posted[1].lParam), longReport);

    window.Close();
    FindDeviceCallback(0, "192.168.3.41", 80, 0, 0, 0, UserDataOf(window)); // freed
    EXPECT_EQ(window.Posted().size(), 2u);
}

} // namespace
