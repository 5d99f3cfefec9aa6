// Which firmware images a camera gets, and in which order, chosen from its
// version number and the UpdateFiles tree beside the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The first "*.bin" entry of the folder's listing, in the file system's own
// order: its full path, and its bare name in *fileName. Empty path (and
// *fileName untouched) when the folder is missing or holds no such entry.
std::string FindFirstImage(const std::string& folder, std::string* fileName);

// Appends the full paths of the images to send, in sending order. Nothing is
// cached: the tree is listed afresh on every call.
void GetUpdateImages(int32_t versionNumber, std::vector<std::string>& images);

// What a folder of the tree promises of its image: the platform in the
// header, and the first three parts of its target version.
struct ImageFolderPromise {
    const char* platformFolder; // "DM3730"
    const char* folder;         // "517"
    const char* platform;       // the header's platform
    int32_t target[3];
};

// The promise of the folder an image path lies in (its last two folders);
// null for a path outside the tree's seven folders.
const ImageFolderPromise* FolderPromiseOf(const std::string& imagePath);

// How many entries of the folder match "*.bin", as FindFirstImage matches.
int CountImages(const std::string& folder);

// The text after the last '/' or '\\' of a path (the whole path without one).
std::string ImageFileName(const std::string& path);
