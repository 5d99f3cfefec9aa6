// Result rows as files for people and spreadsheets: CSV (UTF-8 with a byte
// order mark, RFC 4180 quoting) or JSON. The window's export and the command
// line's --csv both write through here, so the two files always match.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ResultRow {
    std::string address;
    int32_t port = 0;
    std::string versionBefore;
    std::string versionAfter;
    std::string result;          // the operator's result text
    std::string start;           // TimeText of the first progress note ("" when unknown)
    std::string end;             // TimeText of the result
    std::string versionExpected; // the last image's target ("" when none was chosen)
    std::string verified;        // "true" when versionAfter was read at the end, else "false"
    std::string detail;          // the facts beside the result text
    std::string batch;           // the batch's id ("" when the batch had none)
};

// BOM, a header line, one line per row; CR LF line breaks.
std::string ResultRowsCsv(const std::vector<ResultRow>& rows);
// A JSON array of objects with the CSV's column names as keys.
std::string ResultRowsJson(const std::vector<ResultRow>& rows);

// A JSON string literal, quotes included; control characters escaped, and
// each byte that is not part of well-formed UTF-8 replaced by U+FFFD, so the
// text is always valid JSON.
std::string JsonQuote(std::string_view text);
// The text with each byte that is not part of well-formed UTF-8 replaced by
// U+FFFD (file names on Linux may hold any bytes).
std::string ValidUtf8(std::string_view text);
// A CSV field, quoted when it holds a comma, quote or line break.
std::string CsvField(std::string_view text);

// Local time with its offset, "2024-05-01T18:00:05+0800": readable, and
// sorting as text sorts by time on one machine.
std::string TimeText(std::chrono::system_clock::time_point when);

// Writes the whole file anew; false when it cannot be written completely.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
