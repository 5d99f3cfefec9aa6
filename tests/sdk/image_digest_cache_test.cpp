// A remembered checksum must never outlive the file content it describes:
// a wrong X-Firmware-Sha256 makes every camera refuse the image.
#include "sdk/hashing.h"
#include "sdk/image_digest_cache.h"
#include "temp_image.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Hash(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY);
    uint64_t size = 0;
    std::string sha = lpr::ImageSha256(fd, size).value_or("none");
    close(fd);
    return sha;
}

void Overwrite(const std::string& path, char fill) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(100);
    file.put(fill); // same size, other content
}

void SetOldTimes(const std::string& path) {
    timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST(ImageDigestCache, ChangedContentIsHashedAfreshEvenWithTheSameSizeAndTimes) {
    sdktest::TempImage image(300000, 7);
    SetOldTimes(image.Path());
    std::string first = Hash(image.Path());
    EXPECT_EQ(Hash(image.Path()), first);

    // Same size, modification time put back: the change time still moves.
    Overwrite(image.Path(), 'A');
    SetOldTimes(image.Path());
    std::string second = Hash(image.Path());
    EXPECT_NE(second, first);

    // A file written just now is never taken from memory.
    Overwrite(image.Path(), 'B');
    std::string third = Hash(image.Path());
    Overwrite(image.Path(), 'C');
    std::string fourth = Hash(image.Path());
    EXPECT_NE(third, second);
    EXPECT_NE(fourth, third);

    int fd = open(image.Path().c_str(), O_RDONLY);
    uint64_t size = 0;
    EXPECT_EQ(lpr::Sha256OfFile(fd, size).value_or(""), fourth);
    EXPECT_EQ(size, 300000u);
    close(fd);
}

} // namespace
