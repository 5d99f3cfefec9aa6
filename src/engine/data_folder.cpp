#include "engine/data_folder.h"

#include "osa/osa_path.h"
#include "osa/osa_process_text.h"

#include <cstdlib>
#include <system_error>

namespace {

std::filesystem::path AbsoluteFromEnvironment(const char* name) {
    const std::optional<std::string> value = OSA_environmentUtf8(name);
    if (!value || value->empty()) {
        return {};
    }
    std::filesystem::path path = OSA_pathFromUtf8(*value);
    // A relative XDG path is invalid and to be ignored; so is a relative HOME.
    return path.is_absolute() ? path : std::filesystem::path();
}

} // namespace

bool IsInstalledExecutableFolder(const std::filesystem::path& executableFolder) {
    // Writability was the other candidate, but it decides wrongly both ways:
    // root may write /usr/bin, and a write-protected USB stick still holds
    // the images beside the programs.
    std::error_code ec;
    if (std::filesystem::exists(executableFolder / "UpdateFiles", ec)) {
        return false;
    }
    std::filesystem::path folder = executableFolder;
    if (!folder.has_filename()) {
        folder = folder.parent_path();
    }
    return folder.filename() == "bin";
}

std::filesystem::path UserDataFolder() {
    std::filesystem::path base = AbsoluteFromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        const std::filesystem::path home = AbsoluteFromEnvironment("HOME");
        if (home.empty()) {
            return {};
        }
        base = home / ".local" / "share";
    }
    return base / "tolvane";
}

bool EnsureUpdateFilesTree(const std::filesystem::path& folder, std::string* error) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder / "UpdateFiles", ec)) {
        return true;
    }
    for (const char* sub : kUpdateFilesFolders) {
        const std::filesystem::path path = folder / std::filesystem::path(sub).make_preferred();
        // Another thread or process laying out the same tree is no failure.
        std::filesystem::create_directories(path, ec);
        std::error_code again;
        if (ec && !std::filesystem::is_directory(path, again)) {
            if (error != nullptr) {
                *error = "cannot create " + path.string() + ": " + ec.message();
            }
            return false;
        }
    }
    return true;
}

std::filesystem::path DataFolderFor(const std::filesystem::path& executableFolder) {
    if (!IsInstalledExecutableFolder(executableFolder)) {
        return executableFolder;
    }
    std::filesystem::path folder = UserDataFolder();
    if (folder.empty()) {
        return executableFolder;
    }
    // A tree that cannot be made is no reason to stop: the catalogue then
    // finds no images and the log lines are lost, as with any unwritable folder.
    EnsureUpdateFilesTree(folder, nullptr);
    return folder;
}
