// `tolvane-cli history`: the upgrade history file as a table or JSON lines.
#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct HistoryRead {
    std::vector<nlohmann::json> entries; // complete lines, in file order
    int skipped = 0; // lines that were not a JSON object, or cut short by a crash
    bool found = false;
};

HistoryRead ReadHistory(const std::string& path);

struct HistoryFilter {
    std::string since;   // "" or YYYY-MM-DD[THH:MM[:SS]]: entries at or after it
    std::string address; // "" or the exact address
};

// "" when the filter is usable, else the reason.
std::string HistoryFilterProblem(const HistoryFilter& filter);

// Exit status 0, also when lines were skipped (said on standard error).
int RunHistory(const HistoryFilter& filter, bool json, std::FILE* out);
