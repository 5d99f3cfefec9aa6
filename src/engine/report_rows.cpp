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
                                "start",   "end",  "version_expected", "verified",      "detail",
                                "batch"};

std::vector<std::string> Fields(const ResultRow& row) {
    return {row.address,       std::to_string(row.port),
            row.versionBefore, row.versionAfter,
            row.result,        row.start,
            row.end,           row.versionExpected,
            row.verified,      row.detail,
            row.batch};
}

// Length of the well-formed UTF-8 sequence at the start of `text` (no
// overlong forms, no surrogates, nothing past U+10FFFF); 0 when it is not one.
size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string ValidUtf8(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const size_t length = Utf8SequenceLength(text);
        out.append(length == 0 ? std::string_view("\xEF\xBF\xBD") : text.substr(0, length));
        text.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
}

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (const char c : ValidUtf8(text)) {
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
