// `tolvane-cli history`: the upgrade history file as a table or JSON lines,
// read a line at a time so that a history of any length takes little memory.
#pragma once

#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// Lines longer than this are not ours (ours are a few hundred bytes); they
// are skipped without being held whole.
inline constexpr size_t kMaxHistoryLineBytes = 1 << 20;
// Deeper JSON is not ours either, and is refused before it is parsed.
inline constexpr int kMaxHistoryDepth = 16;

struct HistoryScan {
    int skipped = 0; // lines that were not a JSON object, or cut short by a crash
    bool found = false;
};

// Calls `entry` with each line that is a JSON object, in file order.
HistoryScan ScanHistory(const std::string& path,
                        const std::function<void(const nlohmann::json&)>& entry);

struct HistoryRead {
    std::vector<nlohmann::json> entries; // complete lines, in file order
    int skipped = 0;
    bool found = false;
};

// Every entry at once, for a history known to be small.
HistoryRead ReadHistory(const std::string& path);

struct HistoryFilter {
    std::string since;   // "" or YYYY-MM-DD[THH:MM[:SS]][offset]: entries at or after it
    std::string address; // "" or the exact address
};

// "" when the filter is usable, else the reason.
std::string HistoryFilterProblem(const HistoryFilter& filter);

// Exit status 0, also when lines were skipped (said on standard error).
int RunHistory(const HistoryFilter& filter, bool json, std::FILE* out);
