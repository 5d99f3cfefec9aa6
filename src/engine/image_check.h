// What the tool knows of an image before it sends it: the file's header
// (magic, platform, target version, payload length and SHA-256) read and
// checked against the folder it lies in and the camera it is meant for. A
// camera is never sent a file that is no image, an image for another
// platform or folder, or one that would take it to an older version.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum ImageFault : int32_t {
    IMAGE_OK = 0,
    IMAGE_MISSING = 1,         // no file at the path
    IMAGE_NOT_REGULAR = 2,     // a folder, a pipe, a device
    IMAGE_UNREADABLE = 3,      // cannot be opened or read to its end
    IMAGE_EMPTY = 4,           // 0 bytes
    IMAGE_BAD_HEADER = 5,      // too short, or not the image magic
    IMAGE_WRONG_PLATFORM = 6,  // the header's platform is not its folder's
    IMAGE_WRONG_TARGET = 7,    // the target is not the version its folder promises
    IMAGE_OLDER_TARGET = 8,    // the target is older than the camera's version
    IMAGE_LENGTH_MISMATCH = 9, // payload length differs from the header's
    IMAGE_HASH_MISMATCH = 10,  // payload SHA-256 differs from the header's
    IMAGE_SEVERAL = 11,        // its folder holds more than one ".bin"
    IMAGE_UNKNOWN_FOLDER = 12, // not in a folder of the image tree
};

struct ImageVerdict {
    int32_t fault = IMAGE_OK;
    std::string fileName;             // the image's file name
    std::string platform;             // the header's platform ("" when not read)
    int32_t target[4] = {0, 0, 0, 0}; // the header's target version
    int32_t binCount = 0;             // ".bin" entries of the folder
};

// Checks the image at `path` for a camera now running `cameraVersion` (its
// four parts). Never blocks on a pipe or device and never reads a file
// whose identity (size, modification time, inode) it has already hashed.
ImageVerdict CheckImage(const std::string& path, const int32_t cameraVersion[4]);

// Every image of a camera's list, in sending order; the first that fails,
// else the verdict of the last one (whose target the camera must end on).
ImageVerdict CheckImages(const std::vector<std::string>& paths, const int32_t cameraVersion[4]);

// a < b, part by part (signed).
bool VersionOlder(const int32_t a[4], const int32_t b[4]);
