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

// The text after the last '/' or '\\' of a path (the whole path without one).
std::string ImageFileName(const std::string& path);
