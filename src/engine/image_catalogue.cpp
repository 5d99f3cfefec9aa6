#include "engine/image_catalogue.h"

#include "engine/program_folder.h"
#include "osa/osa_path.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr char kSep = std::filesystem::path::preferred_separator;

std::string Join(const std::string& folder, const std::string& name) {
    return folder + kSep + name;
}

bool MatchesImagePattern(const std::string& name) {
    static const std::string kSuffix = ".bin";
    return name.size() >= kSuffix.size() &&
           name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

struct Image {
    std::string path;
    std::string name;
};

Image FirstImageOf(const std::string& programFolder, const char* const* parts) {
    std::string folder = programFolder;
    for (; *parts != nullptr; ++parts) {
        folder = Join(folder, *parts);
    }
    Image image;
    image.path = FindFirstImage(folder, &image.name);
    return image;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

std::string FindFirstImage(const std::string& folder, std::string* fileName) {
    std::error_code ec;
    std::filesystem::directory_iterator it(OSA_pathFromUtf8(folder), ec);
    if (ec) {
        return {};
    }
    // Entries are taken as listed; like the platform's pattern match, a
    // folder named "x.bin" would qualify too.
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            return {};
        }
        const std::string name = OSA_pathToUtf8(it->path().filename());
        if (name == "." || name == ".." || !MatchesImagePattern(name)) {
            continue;
        }
        if (fileName != nullptr) {
            *fileName = name;
        }
        return Join(folder, name);
    }
    return {};
}

int CountImages(const std::string& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(OSA_pathFromUtf8(folder), ec);
    int count = 0;
    for (const std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec)) {
        count += MatchesImagePattern(OSA_pathToUtf8(it->path().filename())) ? 1 : 0;
    }
    return count;
}

const ImageFolderPromise* FolderPromiseOf(const std::string& imagePath) {
    static const ImageFolderPromise kPromises[] = {
        {"DM3730", "from_50x", "DM3730", {5, 1, 6}}, {"DM3730", "517", "DM3730", {5, 1, 7}},
        {"DM3730", "536_To_7", "DM3730", {5, 3, 6}}, {"DM3730", "537", "DM3730", {5, 3, 7}},
        {"DM8127", "556", "DM8127", {5, 5, 6}},      {"DM8127", "566", "DM8127", {5, 6, 6}},
        {"HS3516", "621", "HS3516", {6, 2, 1}},
    };
    const std::filesystem::path path = OSA_pathFromUtf8(imagePath);
    const std::string folder = OSA_pathToUtf8(path.parent_path().filename());
    const std::string platform = OSA_pathToUtf8(path.parent_path().parent_path().filename());
    for (const ImageFolderPromise& promise : kPromises) {
        if (folder == promise.folder && platform == promise.platformFolder) {
            return &promise;
        }
    }
    return nullptr;
}

std::string ImageFileName(const std::string& path) {
    // The platform's own separators: on Linux "a\\b.bin" is one file's name.
    return OSA_pathToUtf8(OSA_pathFromUtf8(path).filename());
}

namespace {

// The first image of each of the seven folders; every folder is looked at on
// every call.
struct Catalogue {
    Image from50x, dm517, dm536To7, dm537, dm556, dm566, hs621;
};

Catalogue ReadCatalogue(const std::string& program) {
    static const char* const kFrom50x[] = {"UpdateFiles", "DM3730", "from_50x", nullptr};
    static const char* const k517[] = {"UpdateFiles", "DM3730", "517", nullptr};
    static const char* const k536To7[] = {"UpdateFiles", "DM3730", "536_To_7", nullptr};
    static const char* const k537[] = {"UpdateFiles", "DM3730", "537", nullptr};
    static const char* const k556[] = {"UpdateFiles", "DM8127", "556", nullptr};
    static const char* const k566[] = {"UpdateFiles", "DM8127", "566", nullptr};
    static const char* const k621[] = {"UpdateFiles", "HS3516", "621", nullptr};
    return {FirstImageOf(program, kFrom50x), FirstImageOf(program, k517),
            FirstImageOf(program, k536To7),  FirstImageOf(program, k537),
            FirstImageOf(program, k556),     FirstImageOf(program, k566),
            FirstImageOf(program, k621)};
}

// An image whose name must carry `mark` to be taken (an empty mark: any name).
void TakeIfNamed(const Image& image, const char* mark, std::vector<std::string>& images) {
    if (!image.path.empty() && Contains(image.name, mark)) {
        images.push_back(image.path);
    }
}

void TakeBoth(const Image& first, const Image& second, std::vector<std::string>& images) {
    if (!first.path.empty() && !second.path.empty()) {
        images.push_back(first.path);
        images.push_back(second.path);
    }
}

} // namespace

void GetUpdateImages(int32_t versionNumber, std::vector<std::string>& images) {
    const Catalogue c = ReadCatalogue(GetProgramFolder());
    switch (versionNumber) {
    case 506:
        TakeBoth(c.from50x, c.dm517, images);
        break;
    case 516:
        // Taken even when the folder is empty: the transfer of the empty path
        // then fails and the camera is reported as not upgraded.
        images.push_back(c.dm517.path);
        break;
    case 517:
        TakeIfNamed(c.dm517, "", images);
        break;
    case 536:
        TakeBoth(c.dm536To7, c.dm537, images);
        break;
    case 537:
        TakeIfNamed(c.dm537, "", images);
        break;
    case 556:
        TakeIfNamed(c.dm556, "556", images);
        break;
    case 566:
        TakeIfNamed(c.dm566, "566", images);
        break;
    case 621:
        TakeIfNamed(c.hs621, "6.2.1", images);
        break;
    default:
        break;
    }
}
