#include "engine/report_rows.h"

#include <cstdio>
#include <ctime>

namespace {

const char* const kColumns[] = {"address", "port", "version_before", "version_after", "result",
                                "start",   "end"};

std::vector<std::string> Fields(const ResultRow& row) {
    return {row.address,
            std::to_string(row.port),
            row.versionBefore,
            row.versionAfter,
            row.result,
            row.start,
            row.end};
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
    localtime_r(&t, &local);
    char text[40] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    return text;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    return written == bytes.size() && closed;
}
