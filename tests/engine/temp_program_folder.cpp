#include "temp_program_folder.h"

#include "engine/program_folder.h"
#include "sdk/hashing.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

TempProgramFolder::TempProgramFolder() {
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("tolvane-engine-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
    SetProgramFolderOverride(m_path.string());
}

TempProgramFolder::~TempProgramFolder() {
    SetProgramFolderOverride("");
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TempProgramFolder::ImageBytes(const std::string& platform, const int32_t (&target)[4],
                                          const std::string& payload) {
    std::string header(128, '\0');
    header.replace(0, 8, "TLVFW001");
    header.replace(8, platform.size(), platform);
    auto put = [&header](size_t at, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            header[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
        }
    };
    for (int i = 0; i < 4; ++i) {
        put(24 + 4 * static_cast<size_t>(i), static_cast<uint32_t>(target[i]), 4);
    }
    put(40, payload.size(), 8);
    const std::string hex = lpr::Sha256Hex(payload);
    for (size_t i = 0; i < 32; ++i) {
        header[48 + i] = static_cast<char>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    }
    return header + payload;
}

std::string TempProgramFolder::AddImage(const std::string& folder, const std::string& name,
                                        const std::string& platform, const int32_t (&target)[4]) {
    // Native separators throughout, as the catalogue joins its paths.
    const std::filesystem::path dir = (m_path / "UpdateFiles" / folder).make_preferred();
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / name;
    std::ofstream(file, std::ios::binary) << ImageBytes(platform, target, "payload of " + name);
    return file.string();
}

std::string TempProgramFolder::AddImage(const std::string& folder, const std::string& name) {
    struct Promise {
        const char* folder;
        const char* platform;
        int32_t target[4];
    };
    static const Promise kPromises[] = {
        {"DM3730/from_50x", "DM3730", {5, 1, 6, 9}}, {"DM3730/517", "DM3730", {5, 1, 7, 9}},
        {"DM3730/536_To_7", "DM3730", {5, 3, 6, 9}}, {"DM3730/537", "DM3730", {5, 3, 7, 9}},
        {"DM8127/556", "DM8127", {5, 5, 6, 9}},      {"DM8127/566", "DM8127", {5, 6, 6, 9}},
        {"HS3516/621", "HS3516", {6, 2, 1, 9}},
    };
    for (const Promise& promise : kPromises) {
        if (folder == promise.folder) {
            return AddImage(folder, name, promise.platform, promise.target);
        }
    }
    return AddImage(folder, name, "DM3730", {5, 1, 7, 9});
}

void TempProgramFolder::AddFullTree() {
    AddImage("DM3730/from_50x", kFrom50x);
    AddImage("DM3730/517", k517);
    AddImage("DM3730/536_To_7", k536To7);
    AddImage("DM3730/537", k537);
    AddImage("DM8127/556", k556);
    AddImage("DM8127/566", k566);
    AddImage("HS3516/621", k621);
}

std::string TempProgramFolder::ReadFile(const std::string& name) const {
    std::ifstream in(m_path / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}
