// The folder of the program's own executable: the image tree and the
// per-camera log files lie in it.
#pragma once

#include <string>

// Without a trailing separator. An override (tests, tolvane-cli) wins over
// the environment variable TOLVANE_PROGRAM_FOLDER, which wins over the
// executable's own folder, or the user's data folder when the executable was
// installed under a prefix (engine/data_folder.h).
std::string GetProgramFolder();

// An empty text removes the override.
void SetProgramFolderOverride(const std::string& folder);
