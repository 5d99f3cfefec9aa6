#include "engine/program_folder.h"

#include "engine/data_folder.h"
#include "osa/osa_path.h"
#include "osa/osa_process_text.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

std::mutex g_overrideMutex;
std::string g_override;

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 &&
           (folder.back() == '/' || folder.back() == std::filesystem::path::preferred_separator)) {
        folder.pop_back();
    }
    return folder;
}

} // namespace

void SetProgramFolderOverride(const std::string& folder) {
    std::lock_guard<std::mutex> guard(g_overrideMutex);
    g_override = WithoutTrailingSeparator(folder);
}

std::string GetProgramFolder() {
    {
        std::lock_guard<std::mutex> guard(g_overrideMutex);
        if (!g_override.empty()) {
            return g_override;
        }
    }
    if (const std::optional<std::string> env = OSA_environmentUtf8("TOLVANE_PROGRAM_FOLDER");
        env && !env->empty()) {
        return WithoutTrailingSeparator(*env);
    }
    const std::filesystem::path exe = OSA_selfExecutable();
    if (exe.empty()) {
        // Without our own path the working folder is the best guess left.
        std::error_code ec;
        return WithoutTrailingSeparator(OSA_pathToUtf8(std::filesystem::current_path(ec)));
    }
    return WithoutTrailingSeparator(OSA_pathToUtf8(DataFolderFor(exe.parent_path())));
}
