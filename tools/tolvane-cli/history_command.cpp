#include "history_command.h"

#include "engine/upgrade_history.h"
#include "history_time.h"
#include "osa/osa_path.h"
#include "shown_texts.h"
#include "tool_text.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string_view>

using nlohmann::json;

namespace {

// The deepest nesting of arrays and objects in a JSON text, strings skipped;
// stops counting once past `limit`. A parser given the text would recurse
// (in parsing, printing or freeing) as deep as this.
int NestingDepth(std::string_view text, int limit) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size() && deepest <= limit; ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

// One complete line: an entry, or a skipped line.
void TakeLine(std::string_view line, HistoryScan& scan,
              const std::function<void(const json&)>& entry) {
    if (line.empty()) {
        return;
    }
    if (NestingDepth(line, kMaxHistoryDepth) > kMaxHistoryDepth) {
        ++scan.skipped;
        return;
    }
    json parsed = json::parse(line.begin(), line.end(), nullptr, false);
    if (parsed.is_object()) {
        entry(parsed);
    } else {
        ++scan.skipped;
    }
}

// Whether the entry passes the filter; nothing when its time is needed and
// is not one (not an entry of ours).
std::optional<bool> Matches(const json& entry, const HistoryFilter& filter,
                            std::optional<int64_t> since) {
    if (!filter.address.empty() && entry.value("address", "") != filter.address) {
        return false;
    }
    if (!since) {
        return true;
    }
    const std::optional<int64_t> at = InstantOf(entry.value("time", ""));
    if (!at) {
        return std::nullopt;
    }
    return *at >= *since;
}

// One line an entry whatever its texts hold (a line break in an image's name).
std::string TableLine(const json& e) {
    std::string images;
    for (const json& image : e.value("images", json::array())) {
        images += (images.empty() ? "" : "+") + image.get<std::string>();
    }
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1fs", e.value("duration_ms", int64_t{0}) / 1000.0);
    const std::string fields[] = {e.value("time", ""),
                                  CameraText(e.value("address", ""), e.value("port", 0)),
                                  e.value("version_before", "") + " -> " +
                                      e.value("version_after", ""),
                                  images.empty() ? "-" : images,
                                  std::to_string(e.value("code", 0)),
                                  ShownStoredResultText(e.value("text", "")),
                                  duration};
    std::string line;
    for (const std::string& field : fields) {
        line += (line.empty() ? "" : "\t") + OneLineText(field);
    }
    return line;
}

// The stored entry with its result text in the language of the run; the file keeps its own.
json Shown(json entry) {
    if (entry.contains("text") && entry["text"].is_string()) {
        entry["text"] = ShownStoredResultText(entry["text"].get<std::string>());
    }
    return entry;
}

} // namespace

HistoryScan ScanHistory(const std::string& path, const std::function<void(const json&)>& entry) {
    HistoryScan scan;
    std::ifstream in(OSA_pathFromUtf8(path), std::ios::binary);
    if (!in) {
        return scan;
    }
    scan.found = true;
    std::string line;      // the line being read, up to kMaxHistoryLineBytes
    bool overlong = false; // the current line passed the limit; its rest is dropped
    std::vector<char> block(1 << 16);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        std::string_view chunk(block.data(), static_cast<size_t>(in.gcount()));
        for (size_t end; (end = chunk.find('\n')) != std::string_view::npos;) {
            if (overlong || line.size() + end > kMaxHistoryLineBytes) {
                ++scan.skipped;
            } else {
                line.append(chunk.substr(0, end));
                TakeLine(line, scan, entry);
            }
            line.clear();
            overlong = false;
            chunk.remove_prefix(end + 1);
        }
        if (!overlong && line.size() + chunk.size() > kMaxHistoryLineBytes) {
            overlong = true;
            line.clear();
            line.shrink_to_fit();
        }
        if (!overlong) {
            line.append(chunk);
        }
    }
    if (overlong || !line.empty()) {
        // The last line never got its line break: the writer was cut off.
        ++scan.skipped;
    }
    return scan;
}

HistoryRead ReadHistory(const std::string& path) {
    HistoryRead read;
    const HistoryScan scan =
        ScanHistory(path, [&read](const json& entry) { read.entries.push_back(entry); });
    read.skipped = scan.skipped;
    read.found = scan.found;
    return read;
}

std::string HistoryFilterProblem(const HistoryFilter& filter) {
    if (!filter.since.empty() && !InstantOf(filter.since)) {
        return tool_text::Fill(
            tool_text::translate("tolvane-cli", "--since '%1': expected YYYY-MM-DD or "
                                                "YYYY-MM-DDTHH:MM[:SS], with an optional offset "
                                                "such as +0800"),
            {filter.since});
    }
    return "";
}

int RunHistory(const HistoryFilter& filter, bool json, std::FILE* out) {
    const std::string path = HistoryPath();
    const std::optional<int64_t> since =
        filter.since.empty() ? std::nullopt : InstantOf(filter.since);
    int unusable = 0;
    const HistoryScan scan = ScanHistory(path, [&](const nlohmann::json& entry) {
        std::string line;
        try {
            const std::optional<bool> matches = Matches(entry, filter, since);
            if (!matches) {
                ++unusable;
                return;
            }
            if (!*matches) {
                return;
            }
            line = json
                       ? Shown(entry).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                       : TableLine(entry);
        } catch (const nlohmann::json::exception&) {
            ++unusable; // an object, but not one of ours (a field of the wrong type)
            return;
        }
        std::fprintf(out, "%s\n", line.c_str());
    });
    std::fflush(out);
    if (!scan.found) {
        std::fprintf(stderr, "tolvane-cli: %s\n",
                     tool_text::Fill(
                         tool_text::translate("tolvane-cli", "no upgrade history yet (%1)"), {path})
                         .c_str());
        return 0;
    }
    const int skipped = scan.skipped + unusable;
    if (skipped > 0) {
        std::fprintf(
            stderr, "tolvane-cli: %s\n",
            tool_text::Fill(tool_text::translate("tolvane-cli", "skipped %1 broken line(s) of %2"),
                            {std::to_string(skipped), path})
                .c_str());
    }
    return 0;
}
