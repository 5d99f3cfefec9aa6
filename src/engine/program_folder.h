// The folder of the program's own executable: the image tree and the
// per-camera log files lie in it.
#pragma once

#include <string>

// Without a trailing separator. An override (tests, tolvane-cli) wins over
// the environment variable TOLVANE_PROGRAM_FOLDER, which wins over the
// executable's own folder.
std::string GetProgramFolder();

// An empty text removes the override.
void SetProgramFolderOverride(const std::string& folder);
