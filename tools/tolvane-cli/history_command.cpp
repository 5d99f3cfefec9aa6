#include "history_command.h"

#include "engine/upgrade_history.h"
#include "osa/osa_path.h"
#include "shown_texts.h"
#include "tool_text.h"

#include <fstream>
#include <regex>
#include <sstream>

using nlohmann::json;

namespace {

bool Matches(const json& entry, const HistoryFilter& filter) {
    if (!filter.address.empty() && entry.value("address", "") != filter.address) {
        return false;
    }
    // Times are written as local ISO texts, which sort as they read.
    return filter.since.empty() || entry.value("time", "") >= filter.since;
}

std::string TableLine(const json& e) {
    std::string images;
    for (const json& image : e.value("images", json::array())) {
        images += (images.empty() ? "" : "+") + image.get<std::string>();
    }
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1fs", e.value("duration_ms", int64_t{0}) / 1000.0);
    return e.value("time", "") + "\t" + e.value("address", "") + ":" +
           std::to_string(e.value("port", 0)) + "\t" + e.value("version_before", "") + " -> " +
           e.value("version_after", "") + "\t" + (images.empty() ? "-" : images) + "\t" +
           std::to_string(e.value("code", 0)) + "\t" + ShownStoredResultText(e.value("text", "")) +
           "\t" + duration;
}

// The stored entry with its result text in the language of the run; the file keeps its own.
json Shown(json entry) {
    if (entry.contains("text") && entry["text"].is_string()) {
        entry["text"] = ShownStoredResultText(entry["text"].get<std::string>());
    }
    return entry;
}

} // namespace

HistoryRead ReadHistory(const std::string& path) {
    HistoryRead read;
    std::ifstream in(OSA_pathFromUtf8(path), std::ios::binary);
    if (!in) {
        return read;
    }
    read.found = true;
    std::stringstream whole;
    whole << in.rdbuf();
    const std::string text = whole.str();
    size_t begin = 0;
    while (begin < text.size()) {
        const size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            // The last line never got its line break: the writer was cut off.
            ++read.skipped;
            break;
        }
        json entry = json::parse(text.begin() + static_cast<std::ptrdiff_t>(begin),
                                 text.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
        if (entry.is_object()) {
            read.entries.push_back(std::move(entry));
        } else if (end > begin) {
            ++read.skipped;
        }
        begin = end + 1;
    }
    return read;
}

std::string HistoryFilterProblem(const HistoryFilter& filter) {
    static const std::regex kDate(R"(\d{4}-\d{2}-\d{2}(T\d{2}:\d{2}(:\d{2})?)?)");
    if (!filter.since.empty() && !std::regex_match(filter.since, kDate)) {
        return tool_text::Fill(
            tool_text::translate("tolvane-cli",
                                 "--since '%1': expected YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS]"),
            {filter.since});
    }
    return "";
}

int RunHistory(const HistoryFilter& filter, bool json, std::FILE* out) {
    const std::string path = HistoryPath();
    const HistoryRead read = ReadHistory(path);
    if (!read.found) {
        std::fprintf(stderr, "tolvane-cli: %s\n",
                     tool_text::Fill(
                         tool_text::translate("tolvane-cli", "no upgrade history yet (%1)"), {path})
                         .c_str());
        return 0;
    }
    int skipped = read.skipped;
    for (const nlohmann::json& entry : read.entries) {
        std::string line;
        try {
            if (!Matches(entry, filter)) {
                continue;
            }
            line = json
                       ? Shown(entry).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                       : TableLine(entry);
        } catch (const nlohmann::json::exception&) {
            ++skipped; // an object, but not one of ours (a field of the wrong type)
            continue;
        }
        std::fprintf(out, "%s\n", line.c_str());
    }
    std::fflush(out);
    if (skipped > 0) {
        std::fprintf(
            stderr, "tolvane-cli: %s\n",
            tool_text::Fill(tool_text::translate("tolvane-cli", "skipped %1 broken line(s) of %2"),
                            {std::to_string(skipped), path})
                .c_str());
    }
    return 0;
}
