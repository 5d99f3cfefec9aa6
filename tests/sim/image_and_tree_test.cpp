#include "firmware_image.h"
#include "sample_tree.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <unistd.h>
#include <vector>

namespace camsim {
namespace {

std::vector<unsigned char> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string sha256Hex(const std::vector<unsigned char>& bytes) {
    Hasher h;
    h.update(bytes.data(), bytes.size());
    return toHex(h.finish());
}

// Runs a whole body through the streaming check, in uneven pieces.
UploadVerdict check(const std::vector<unsigned char>& body, const std::string& platform,
                    const Version& running, std::uint64_t declared, const std::string& sha) {
    UploadCheck c;
    std::size_t pos = 0;
    std::size_t step = 1;
    while (pos < body.size()) {
        std::size_t n = std::min(step, body.size() - pos);
        c.feed(body.data() + pos, n);
        pos += n;
        step = step * 3 + 1;
    }
    return c.finish(declared, sha, platform, running);
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("camsim-image-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::vector<unsigned char> makeImage(const std::string& platform, Version v,
                                         std::uint64_t size) {
        std::string error;
        auto path = dir_ / "fw.bin";
        EXPECT_TRUE(writeImageFile(path.string(), platform, v, size, 7, &error)) << error;
        return readFile(path);
    }

    std::filesystem::path dir_;
};

TEST_F(ImageTest, WrittenImageHasTheDocumentedLayoutAndPassesTheCheck) {
    // 100000 is not a multiple of the writer's 8-byte or 64 KiB steps.
    auto image = makeImage("DM3730", {5, 1, 6, -2}, 100000);
    ASSERT_EQ(image.size(), kImageHeaderSize + 100000);
    EXPECT_EQ(0, std::memcmp(image.data(), "TLVFW001", 8));
    EXPECT_EQ(0, std::memcmp(image.data() + 8, "DM3730\0\0\0\0\0\0\0\0\0\0", 16));
    // Version fields are little-endian signed 32-bit: -2 is fe ff ff ff.
    const unsigned char fourth[] = {0xfe, 0xff, 0xff, 0xff};
    EXPECT_EQ(0, std::memcmp(image.data() + 36, fourth, 4));
    const unsigned char length[] = {0xa0, 0x86, 0x01, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(image.data() + 40, length, 8));
    std::vector<unsigned char> payload(image.begin() + kImageHeaderSize, image.end());
    Hasher h;
    h.update(payload.data(), payload.size());
    auto digest = h.finish();
    EXPECT_EQ(0, std::memcmp(image.data() + 48, digest.data(), 32));
    for (std::size_t i = 80; i < kImageHeaderSize; ++i) {
        ASSERT_EQ(image[i], 0) << "reserved byte " << i;
    }

    UploadVerdict v = check(image, "DM3730", {5, 0, 6, 3}, image.size(), sha256Hex(image));
    EXPECT_EQ(v.error, kUploadOk) << v.message;
    EXPECT_EQ(v.target, (Version{5, 1, 6, -2}));
}

TEST_F(ImageTest, UploadChecksFollowTheProtocolOrder) {
    auto image = makeImage("DM8127", {5, 5, 6, 9}, 4096);
    const std::string sha = sha256Hex(image);
    const Version running{5, 5, 6, 1};

    // Length first: a short body is error 5 even though it is also the wrong platform.
    EXPECT_EQ(check(image, "DM3730", running, image.size() + 1, sha).error,
              kUploadLengthOrChecksum);
    // Checksum header missing, upper-case or wrong: error 5.
    EXPECT_EQ(check(image, "DM8127", running, image.size(), "").error, kUploadLengthOrChecksum);
    std::string upper = sha;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(check(image, "DM8127", running, image.size(), upper).error, kUploadLengthOrChecksum);

    // A consistent body whose header is broken is error 4, before the platform check.
    auto badMagic = image;
    badMagic[0] = 'X';
    EXPECT_EQ(check(badMagic, "DM3730", running, badMagic.size(), sha256Hex(badMagic)).error,
              kUploadNotAnImage);
    auto reserved = image;
    reserved[100] = 1;
    EXPECT_EQ(check(reserved, "DM8127", running, reserved.size(), sha256Hex(reserved)).error,
              kUploadNotAnImage);
    auto payloadFlip = image;
    payloadFlip.back() ^= 0x01;
    EXPECT_EQ(
        check(payloadFlip, "DM8127", running, payloadFlip.size(), sha256Hex(payloadFlip)).error,
        kUploadNotAnImage);
    std::vector<unsigned char> truncated(image.begin(), image.end() - 1);
    EXPECT_EQ(check(truncated, "DM8127", running, truncated.size(), sha256Hex(truncated)).error,
              kUploadNotAnImage);
    std::vector<unsigned char> tiny(image.begin(), image.begin() + 50);
    EXPECT_EQ(check(tiny, "DM8127", running, tiny.size(), sha256Hex(tiny)).error,
              kUploadNotAnImage);

    EXPECT_EQ(check(image, "HS3516", running, image.size(), sha).error, kUploadWrongPlatform);
    EXPECT_EQ(check(image, "DM8127", {5, 5, 6, 9}, image.size(), sha).error,
              kUploadAlreadyInstalled);
    EXPECT_EQ(check(image, "DM8127", running, image.size(), sha).error, kUploadOk);
}

TEST_F(ImageTest, HeaderDecodingRejectsUnpaddedOrUnknownPlatforms) {
    ImageHeader h;
    h.platform = "HS3516";
    h.version = {6, 2, 1, 9};
    auto bytes = encodeImageHeader(h);
    std::string why;
    ASSERT_TRUE(decodeImageHeader(bytes.data(), &why)) << why;

    auto junkAfterNul = bytes;
    junkAfterNul[8 + 10] = 'Z';
    EXPECT_FALSE(decodeImageHeader(junkAfterNul.data(), &why));

    ImageHeader unknown = h;
    unknown.platform = "DM9999";
    auto unknownBytes = encodeImageHeader(unknown);
    EXPECT_FALSE(decodeImageHeader(unknownBytes.data(), &why));
    EXPECT_EQ(why, "unknown platform");

    std::string error;
    EXPECT_FALSE(writeImageFile((dir_ / "x.bin").string(), "DM9999", h.version, 1, 1, &error));
    EXPECT_FALSE(
        writeImageFile((dir_ / "no/such/dir/x.bin").string(), "DM3730", h.version, 1, 1, &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
}

TEST_F(ImageTest, SampleTreeServesEveryUpgradePath) {
    std::string error;
    ASSERT_TRUE(writeSampleTree(dir_.string(), 1000, &error)) << error;

    // Camera version -> folder of its image(s); each image must pass the
    // camera's check and move the camera along the path the catalogue expects.
    struct Path {
        Version camera;
        std::vector<std::string> folders;
        std::vector<std::int64_t> numbersAfter;
    };
    const std::vector<Path> paths = {
        {{5, 0, 6, 3}, {"DM3730/from_50x", "DM3730/517"}, {516, 517}},
        {{5, 1, 6, 1}, {"DM3730/517"}, {517}},
        {{5, 1, 7, 2}, {"DM3730/517"}, {517}},
        {{5, 3, 6, 1}, {"DM3730/536_To_7", "DM3730/537"}, {536, 537}},
        {{5, 3, 7, 3}, {"DM3730/537"}, {537}},
        {{5, 5, 6, 1}, {"DM8127/556"}, {556}},
        {{5, 6, 6, 2}, {"DM8127/566"}, {566}},
        {{6, 2, 1, 3}, {"HS3516/621"}, {621}},
    };
    const std::map<std::string, std::string> nameMustContain = {
        {"DM8127/556", "556"}, {"DM8127/566", "566"}, {"HS3516/621", "6.2.1"}};

    for (const Path& path : paths) {
        Version running = path.camera;
        const std::string platform = platformForVersion(running);
        for (std::size_t i = 0; i < path.folders.size(); ++i) {
            auto folder = dir_ / "UpdateFiles" / path.folders[i];
            std::vector<std::filesystem::path> bins;
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                if (entry.path().extension() == ".bin") {
                    bins.push_back(entry.path());
                }
            }
            ASSERT_EQ(bins.size(), 1u) << folder;
            auto it = nameMustContain.find(path.folders[i]);
            if (it != nameMustContain.end()) {
                EXPECT_NE(bins[0].filename().string().find(it->second), std::string::npos)
                    << bins[0];
            }
            auto image = readFile(bins[0]);
            UploadVerdict v = check(image, platform, running, image.size(), sha256Hex(image));
            ASSERT_EQ(v.error, kUploadOk) << formatVersion(path.camera) << " " << v.message;
            EXPECT_EQ(versionNumber(v.target), path.numbersAfter[i]) << bins[0];
            EXPECT_GT(v.target[3], 0);
            EXPECT_EQ(platformForVersion(v.target), platform);
            running = v.target;
        }
    }
}

} // namespace
} // namespace camsim
