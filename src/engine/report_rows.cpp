#include "engine/report_rows.h"

#include "osa/osa_localtime.h"
#include "osa/osa_path.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace {

// New columns go at the end: spreadsheets and scripts read the older ones by place.
const char* const kColumns[] = {"address", "port", "version_before",   "version_after", "result",
                                "start",   "end",  "version_expected", "verified",      "detail"};

std::vector<std::string> Fields(const ResultRow& row) {
    return {row.address,       std::to_string(row.port),
            row.versionBefore, row.versionAfter,
            row.result,        row.start,
            row.end,           row.versionExpected,
            row.verified,      row.detail};
}

} // namespace

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::string ResultRowsCsv(const std::vector<ResultRow>& rows) {
    std::string out = "\xEF\xBB\xBF";
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        out += (i ? "," : "") + std::string(kColumns[i]);
    }
    out += "\r\n";
    for (const ResultRow& row : rows) {
        const std::vector<std::string> fields = Fields(row);
        for (size_t i = 0; i < fields.size(); ++i) {
            out += (i ? "," : "") + CsvField(fields[i]);
        }
        out += "\r\n";
    }
    return out;
}

std::string ResultRowsJson(const std::vector<ResultRow>& rows) {
    std::string out = "[";
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string> fields = Fields(rows[r]);
        out += r ? ",\n {" : "\n {";
        for (size_t i = 0; i < fields.size(); ++i) {
            out += (i ? ", " : "") + JsonQuote(kColumns[i]) + ": ";
            // The port is a number; everything else is text.
            out += i == 1 ? fields[i] : JsonQuote(fields[i]);
        }
        out += "}";
    }
    return out + "\n]\n";
}

std::string TimeText(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    long offset = 0;
    OSA_localTime(t, &local, &offset);
    char text[40] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    // Not strftime's %z: Windows puts the zone's name there.
    const long minutes = std::labs(offset) / 60;
    char zone[40] = {};
    std::snprintf(zone, sizeof zone, "%c%02ld%02ld", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return std::string(text) + zone;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(OSA_pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}
