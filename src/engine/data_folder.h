// Where UpdateFiles, the upgrade logs and the history live. A portable folder
// (the programs with UpdateFiles beside them, as on a USB stick) keeps them
// beside the executable; an install under a prefix such as /usr, whose program
// folder is not ours to write, keeps them in the user's data folder.
#pragma once

#include <filesystem>
#include <string>

// The seven image folders, relative to the data folder, '/'-separated.
inline constexpr const char* kUpdateFilesFolders[] = {
    "UpdateFiles/DM3730/from_50x", "UpdateFiles/DM3730/517", "UpdateFiles/DM3730/536_To_7",
    "UpdateFiles/DM3730/537",      "UpdateFiles/DM8127/556", "UpdateFiles/DM8127/566",
    "UpdateFiles/HS3516/621",
};

// True when the executable in `executableFolder` was installed under a
// prefix: the folder is named "bin" and holds no UpdateFiles.
bool IsInstalledExecutableFolder(const std::filesystem::path& executableFolder);

// $XDG_DATA_HOME/tolvane when that variable holds an absolute path, else
// $HOME/.local/share/tolvane; empty when neither can be had.
std::filesystem::path UserDataFolder();

// Creates the seven image folders under `folder` unless its UpdateFiles
// already exists, so that folders a user removed on purpose stay removed.
// False with a message in *error when a folder cannot be made.
bool EnsureUpdateFilesTree(const std::filesystem::path& folder, std::string* error);

// The data folder of an executable in `executableFolder`: that folder for a
// portable install; for an installed one the user's data folder, laid out
// with an empty UpdateFiles tree on first use (the executable's folder when
// there is no user data folder to be had).
std::filesystem::path DataFolderFor(const std::filesystem::path& executableFolder);
