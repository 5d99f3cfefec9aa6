#include "engine/image_catalogue.h"

#include "engine/program_folder.h"

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
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) {
        return {};
    }
    // Entries are taken as listed; like the platform's pattern match, a
    // folder named "x.bin" would qualify too.
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            return {};
        }
        const std::string name = it->path().filename().string();
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

std::string ImageFileName(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void GetUpdateImages(int32_t versionNumber, std::vector<std::string>& images) {
    static const char* const kFrom50x[] = {"UpdateFiles", "DM3730", "from_50x", nullptr};
    static const char* const k517[] = {"UpdateFiles", "DM3730", "517", nullptr};
    static const char* const k536To7[] = {"UpdateFiles", "DM3730", "536_To_7", nullptr};
    static const char* const k537[] = {"UpdateFiles", "DM3730", "537", nullptr};
    static const char* const k556[] = {"UpdateFiles", "DM8127", "556", nullptr};
    static const char* const k566[] = {"UpdateFiles", "DM8127", "566", nullptr};
    static const char* const k621[] = {"UpdateFiles", "HS3516", "621", nullptr};

    const std::string program = GetProgramFolder();
    // All seven folders are looked at on every call.
    const Image from50x = FirstImageOf(program, kFrom50x);
    const Image dm517 = FirstImageOf(program, k517);
    const Image dm536To7 = FirstImageOf(program, k536To7);
    const Image dm537 = FirstImageOf(program, k537);
    const Image dm556 = FirstImageOf(program, k556);
    const Image dm566 = FirstImageOf(program, k566);
    const Image hs621 = FirstImageOf(program, k621);

    switch (versionNumber) {
    case 506:
        if (!from50x.path.empty() && !dm517.path.empty()) {
            images.push_back(from50x.path);
            images.push_back(dm517.path);
        }
        break;
    case 516:
        // Taken even when the folder is empty: the transfer of the empty path
        // then fails and the camera is reported as not upgraded.
        images.push_back(dm517.path);
        break;
    case 517:
        if (!dm517.path.empty()) {
            images.push_back(dm517.path);
        }
        break;
    case 536:
        if (!dm536To7.path.empty() && !dm537.path.empty()) {
            images.push_back(dm536To7.path);
            images.push_back(dm537.path);
        }
        break;
    case 537:
        if (!dm537.path.empty()) {
            images.push_back(dm537.path);
        }
        break;
    case 556:
        if (!dm556.path.empty() && Contains(dm556.name, "556")) {
            images.push_back(dm556.path);
        }
        break;
    case 566:
        if (!dm566.path.empty() && Contains(dm566.name, "566")) {
            images.push_back(dm566.path);
        }
        break;
    case 621:
        if (!hs621.path.empty() && Contains(hs621.name, "6.2.1")) {
            images.push_back(hs621.path);
        }
        break;
    default:
        break;
    }
}
