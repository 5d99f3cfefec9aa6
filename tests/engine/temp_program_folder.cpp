#include "temp_program_folder.h"

#include "engine/program_folder.h"

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

std::string TempProgramFolder::AddImage(const std::string& folder, const std::string& name) {
    // Native separators throughout, as the catalogue joins its paths.
    const std::filesystem::path dir = (m_path / "UpdateFiles" / folder).make_preferred();
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / name;
    std::ofstream(file, std::ios::binary) << "image";
    return file.string();
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
