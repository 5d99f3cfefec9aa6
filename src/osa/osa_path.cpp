#include "osa/osa_path.h"

std::filesystem::path OSA_pathFromUtf8(const std::string& text) {
    try {
        return std::filesystem::path(std::u8string(text.begin(), text.end()));
    } catch (const std::exception&) {
        // Not UTF-8 (Windows refuses to convert it): the bytes as they are.
        return std::filesystem::path(text);
    }
}

std::string OSA_pathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
