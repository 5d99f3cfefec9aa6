// Image choice and the upgrade log, on a temporary program folder.
#include "engine/image_catalogue.h"
#include "engine/program_folder.h"
#include "engine/report_rows.h"
#include "engine/upgrade_log.h"
#include "netaddr/dotted_ipv4.h"
#include "osa/osa_path.h"
#include "temp_program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ImagesFor(int32_t version) {
    std::vector<std::string> images;
    GetUpdateImages(version, images);
    return images;
}

void SetFolderVariable(const char* value) {
#ifdef _WIN32
    _putenv_s("TOLVANE_PROGRAM_FOLDER", value != nullptr ? value : "");
#else
    value != nullptr ? ::setenv("TOLVANE_PROGRAM_FOLDER", value, 1)
                     : ::unsetenv("TOLVANE_PROGRAM_FOLDER");
#endif
}

std::string In(const TempProgramFolder& folder, const std::string& sub, const std::string& name) {
    return (folder.Path() / "UpdateFiles" / sub / name).make_preferred().string();
}

} // namespace

TEST(ImageCatalogue, EachVersionGetsItsImagesInSendingOrder) {
    TempProgramFolder folder;
    folder.AddFullTree();
    using T = TempProgramFolder;
    EXPECT_EQ(ImagesFor(506), (std::vector<std::string>{In(folder, "DM3730/from_50x", T::kFrom50x),
                                                        In(folder, "DM3730/517", T::k517)}));
    EXPECT_EQ(ImagesFor(516), (std::vector<std::string>{In(folder, "DM3730/517", T::k517)}));
    EXPECT_EQ(ImagesFor(517), (std::vector<std::string>{In(folder, "DM3730/517", T::k517)}));
    EXPECT_EQ(ImagesFor(536), (std::vector<std::string>{In(folder, "DM3730/536_To_7", T::k536To7),
                                                        In(folder, "DM3730/537", T::k537)}));
    EXPECT_EQ(ImagesFor(537), (std::vector<std::string>{In(folder, "DM3730/537", T::k537)}));
    EXPECT_EQ(ImagesFor(556), (std::vector<std::string>{In(folder, "DM8127/556", T::k556)}));
    EXPECT_EQ(ImagesFor(566), (std::vector<std::string>{In(folder, "DM8127/566", T::k566)}));
    EXPECT_EQ(ImagesFor(621), (std::vector<std::string>{In(folder, "HS3516/621", T::k621)}));
    for (int32_t other : {0, -506, 505, 520, 538, 600, 622, 5160}) {
        EXPECT_TRUE(ImagesFor(other).empty()) << other;
    }
    // The list is appended to, never cleared.
    std::vector<std::string> images{"kept"};
    GetUpdateImages(517, images);
    EXPECT_EQ(images.size(), 2u);
    EXPECT_EQ(images.front(), "kept");
}

TEST(ImageCatalogue, TwoStepVersionsNeedBothImagesAnd516TakesAnEmptyFolder) {
    TempProgramFolder folder;
    // No tree at all.
    EXPECT_TRUE(ImagesFor(506).empty());
    EXPECT_EQ(ImagesFor(516), (std::vector<std::string>{""}));

    folder.AddImage("DM3730/from_50x", "a.bin");
    folder.AddImage("DM3730/536_To_7", "b.bin");
    EXPECT_TRUE(ImagesFor(506).empty()) << "from_50x alone is not a usable two-step list";
    EXPECT_TRUE(ImagesFor(536).empty());
    EXPECT_TRUE(ImagesFor(517).empty());
    EXPECT_EQ(ImagesFor(516), (std::vector<std::string>{""}));

    fs::remove_all(folder.Path() / "UpdateFiles");
    folder.AddImage("DM3730/537", "c.bin");
    EXPECT_TRUE(ImagesFor(536).empty()) << "537 alone is not a usable two-step list";
    EXPECT_EQ(ImagesFor(537).size(), 1u);
}

TEST(ImageCatalogue, NameChecksPatternAndCaseDecideWhichFilesCount) {
    TempProgramFolder folder;
    folder.AddImage("DM8127/556", "DM8127_V5.5.6.bin"); // lacks "556"
    folder.AddImage("DM8127/566", "firmware_566_final.bin");
    folder.AddImage("HS3516/621", "HS3516_621.bin"); // lacks "6.2.1"
    folder.AddImage("DM3730/517", "IMAGE.BIN");      // case matters here
    folder.AddImage("DM3730/517", "notes.txt");
    folder.AddImage("DM3730/517", "image.bin.old");
    EXPECT_TRUE(ImagesFor(556).empty());
    EXPECT_EQ(ImagesFor(566).size(), 1u);
    EXPECT_TRUE(ImagesFor(621).empty());
    EXPECT_TRUE(ImagesFor(517).empty());

    // Entries are not tested for being files, as with the platform's listing.
    fs::create_directories(folder.Path() / "UpdateFiles/DM3730/537/folder.bin");
    EXPECT_EQ(ImagesFor(537), std::vector<std::string>{In(folder, "DM3730/537", "folder.bin")});

    // The check looks at the file name only, never at the folders above it.
    fs::remove_all(folder.Path() / "UpdateFiles/HS3516/621");
    folder.AddImage("HS3516/621", "x6.2.1.bin");
    EXPECT_EQ(ImagesFor(621).size(), 1u);
}

TEST(ImageCatalogue, FirstListedImageWinsAndChangesShowAtTheNextCall) {
    TempProgramFolder folder;
    const std::string first = folder.AddImage("DM3730/517", "one.bin");
    ASSERT_EQ(ImagesFor(517), (std::vector<std::string>{first}));

    folder.AddImage("DM3730/517", "two.bin");
    // The file system's own listing order decides; nothing is sorted.
    std::string listedFirst;
    const fs::path listed = (folder.Path() / "UpdateFiles/DM3730/517").make_preferred();
    for (const auto& entry : fs::directory_iterator(listed)) {
        listedFirst = entry.path().string();
        break;
    }
    EXPECT_EQ(ImagesFor(517), (std::vector<std::string>{listedFirst}));

    fs::remove_all(folder.Path() / "UpdateFiles/DM3730/517");
    const std::string replaced = folder.AddImage("DM3730/517", "three.bin");
    EXPECT_EQ(ImagesFor(517), (std::vector<std::string>{replaced}));
}

TEST(ImageCatalogue, FindFirstImageAndFileNames) {
    TempProgramFolder folder;
    std::string name = "untouched";
    EXPECT_EQ(FindFirstImage((folder.Path() / "missing").string(), &name), "");
    EXPECT_EQ(name, "untouched");
    const std::string path = folder.AddImage("DM3730/517", "x.bin");
    const fs::path listed = (folder.Path() / "UpdateFiles/DM3730/517").make_preferred();
    EXPECT_EQ(FindFirstImage(listed.string(), &name), path);
    EXPECT_EQ(name, "x.bin");

    EXPECT_EQ(ImageFileName("/a/b/c.bin"), "c.bin");
    // A backslash parts folders on Windows; on Linux it belongs to the name.
    const bool windows = fs::path("a\\b").has_parent_path();
    EXPECT_EQ(ImageFileName("C:\\tool\\UpdateFiles\\d.bin"),
              windows ? "d.bin" : "C:\\tool\\UpdateFiles\\d.bin");
    EXPECT_EQ(ImageFileName("/a/x\\y.bin"), windows ? "y.bin" : "x\\y.bin");
    EXPECT_EQ(ImageFileName("plain.bin"), "plain.bin");
    EXPECT_EQ(ImageFileName("dir/"), "");
    EXPECT_EQ(ImageFileName(""), "");
}

TEST(ProgramFolder, OverrideEnvironmentAndExecutableFolder) {
    SetProgramFolderOverride("");
    SetFolderVariable(nullptr);
#ifdef _WIN32
    EXPECT_TRUE(fs::exists(OSA_pathFromUtf8(GetProgramFolder()) / "engine_tests.exe"))
        << GetProgramFolder();
#else
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(GetProgramFolder(), exe.parent_path().string());
#endif

    SetFolderVariable("/tmp/from-env/");
    EXPECT_EQ(GetProgramFolder(), "/tmp/from-env");
    SetProgramFolderOverride("/tmp/override//");
    EXPECT_EQ(GetProgramFolder(), "/tmp/override");
    SetProgramFolderOverride("");
    EXPECT_EQ(GetProgramFolder(), "/tmp/from-env");
    SetFolderVariable(nullptr);
}

TEST(UpgradeLog, LinesAreGbkBytesWithCrLfAppendedToTheAddressFile) {
    TempProgramFolder folder;
    WriteUpdateLog("192.168.1.100", LOG_CLEAN_BOA_FAILED);
    const std::string boa = "\xc7\xe5\xc0\xed"
                            "boa\xc8\xd5\xd6\xbe\xca\xa7\xb0\xdc.\r\n";
    EXPECT_EQ(folder.ReadFile("192.168.1.100_update.log"), boa);

    // A later upgrade appends; earlier lines stay.
    WriteUpdateLog("192.168.1.100", LOG_CLEAN_DATABASE_FAILED);
    WriteUpdateLog("192.168.1.100", LOG_FEED_DOG_FAILED);
    WriteUpdateLog("192.168.1.100", LOG_KILL_AV_SERVER_FAILED);
    EXPECT_EQ(folder.ReadFile("192.168.1.100_update.log"),
              boa + "\xc7\xe5\xc0\xed\xca\xfd\xbe\xdd\xbf\xe2\xbc\xc7\xc2\xbc\xca\xa7\xb0\xdc.\r\n"
                    "\xce\xb9\xb9\xb7\xca\xa7\xb0\xdc.\r\n"
                    "kill av_server\xca\xa7\xb0\xdc.\r\n");
    // Other cameras have their own file; nothing else is created.
    WriteUpdateLog("10.0.0.1", "a\nb\n");
    EXPECT_EQ(folder.ReadFile("10.0.0.1_update.log"), "a\r\nb\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2);
}

TEST(UpgradeLog, OnlyPlainDottedAddressesBecomeFileNames) {
    for (const char* good : {"0.0.0.0", "255.255.255.255", "127.0.0.2"}) {
        EXPECT_TRUE(netaddr::IsDottedIpv4(good)) << good;
    }
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1.2.3.4 ", " 1.2.3.4", "1..2.3", "1.2.3.",
          ".1.2.3", "a.b.c.d", "1.2.3.1000", "../../etc/x", "1.2.3.4/../../x", "1.2.3.4\\x",
          "-1.2.3.4", "+1.2.3.4", "0x1.2.3.4", "010.1.1.1"}) {
        EXPECT_FALSE(netaddr::IsDottedIpv4(bad)) << bad;
    }
    EXPECT_FALSE(netaddr::IsDottedIpv4(nullptr));

    TempProgramFolder folder;
    fs::create_directories(folder.Path() / "sub");
    WriteUpdateLog("../escape", LOG_FEED_DOG_FAILED);
    WriteUpdateLog("sub/1.2.3.4", LOG_FEED_DOG_FAILED);
    WriteUpdateLog(nullptr, LOG_FEED_DOG_FAILED);
    EXPECT_FALSE(fs::exists(folder.Path().parent_path() / "escape_update.log"));
    EXPECT_TRUE(fs::is_empty(folder.Path() / "sub"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(UpgradeLog, UnwritableFolderLosesTheLineQuietly) {
    TempProgramFolder folder;
    SetProgramFolderOverride((folder.Path() / "does-not-exist").string());
    WriteUpdateLog("10.0.0.1", LOG_FEED_DOG_FAILED); // must neither throw nor create
    EXPECT_FALSE(fs::exists(folder.Path() / "does-not-exist"));
    EXPECT_FALSE(AppendTextToFile((folder.Path() / "no/such/file").string(), "x\n"));
    EXPECT_FALSE(AppendTextToFile((folder.Path() / "empty.log").string(), ""));
    EXPECT_TRUE(AppendTextToFile((folder.Path() / "one.log").string(), "x"));
}

TEST(UpgradeLog, ConcurrentWritersOfOneAddressKeepEveryLine) {
    TempProgramFolder folder;
    constexpr int kLines = 300;
    auto writer = [](const char* text) {
        for (int i = 0; i < kLines; ++i) {
            WriteUpdateLog("10.1.1.1", text);
        }
    };
    std::thread a(writer, LOG_FEED_DOG_FAILED);
    std::thread b(writer, LOG_KILL_AV_SERVER_FAILED);
    a.join();
    b.join();
    const std::string content = folder.ReadFile("10.1.1.1_update.log");
    const std::string feed = "\xce\xb9\xb9\xb7\xca\xa7\xb0\xdc.\r\n";
    const std::string kill = "kill av_server\xca\xa7\xb0\xdc.\r\n";
    int feeds = 0;
    int kills = 0;
    for (size_t pos = 0; pos < content.size();) {
        if (content.compare(pos, feed.size(), feed) == 0) {
            ++feeds;
            pos += feed.size();
        } else if (content.compare(pos, kill.size(), kill) == 0) {
            ++kills;
            pos += kill.size();
        } else {
            FAIL() << "torn line at byte " << pos;
        }
    }
    EXPECT_EQ(feeds, kLines);
    EXPECT_EQ(kills, kLines);
}

TEST(ProgramFolder, NonAsciiFolderHoldsImagesAndLogs) {
    // Windows must open these as wide paths: the narrow calls would read the
    // UTF-8 bytes in the ANSI code page and miss the folder.
    TempProgramFolder folder;
    const std::string program = OSA_pathToUtf8(folder.Path()) + "/\xe5\x8d\x87\xe7\xba\xa7 tool";
    const fs::path native = OSA_pathFromUtf8(program);
    fs::create_directories(native / "UpdateFiles" / "DM3730" / "517");
    std::ofstream(native / "UpdateFiles" / "DM3730" / "517" / OSA_pathFromUtf8("\xe5\x9b\xba.bin"))
        << "image";
    SetProgramFolderOverride(program);

    const std::vector<std::string> images = ImagesFor(517);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_TRUE(fs::exists(OSA_pathFromUtf8(images[0]))) << images[0];
    EXPECT_EQ(ImageFileName(images[0]), "\xe5\x9b\xba.bin");

    WriteUpdateLog("10.2.2.2", LOG_FEED_DOG_FAILED);
    std::ifstream in(native / "10.2.2.2_update.log", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "\xce\xb9\xb9\xb7\xca\xa7\xb0\xdc.\r\n");
}

TEST(ReportRows, TimeTextCarriesANumericUtcOffset) {
    // strftime's %z gives the zone's name on Windows.
    const std::string text = TimeText(std::chrono::system_clock::now());
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d{4})")))
        << text;
}
