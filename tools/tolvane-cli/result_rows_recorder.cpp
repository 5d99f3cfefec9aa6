#include "result_rows_recorder.h"

#include "engine/note_texts.h"
#include "osa/osa_path.h"
#include "shown_texts.h"
#include "tool_text.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

std::string Now() {
    return TimeText(std::chrono::system_clock::now());
}

} // namespace

void ResultRowsRecorder::Progress(const std::string& address) {
    m_started.try_emplace(address, Now());
}

void ResultRowsRecorder::Result(const UpgradeResultNote& note, intptr_t code) {
    ResultRow row;
    row.address = FieldText(note.address);
    row.port = m_ports[row.address];
    row.versionBefore = FieldText(note.versionBefore);
    row.versionAfter = FieldText(note.versionAfter);
    row.result = ShownResultText(note.value, code);
    row.versionExpected = FieldText(note.versionExpected);
    row.verified = note.check == UPGRADE_CHECK_VERIFIED ? "true" : "false";
    row.detail = ShownResultDetailText(note, code);
    row.end = Now();
    // A camera refused at log-in sends no progress: its run began and ended at once.
    const auto started = m_started.find(row.address);
    row.start = started != m_started.end() ? started->second : row.end;
    if (started != m_started.end()) {
        m_started.erase(started);
    }
    m_rows.push_back(row);
}

void ResultRowsRecorder::NotDispatched(const std::string& address, const std::string& text) {
    ResultRow row;
    row.address = address;
    row.port = m_ports[address];
    row.result = text;
    m_rows.push_back(row);
}

std::string CsvPathProblem(const std::string& path) {
    // Append mode: an existing file is left as it is until the batch ends.
    std::FILE* file = OSA_fileOpen(path, "ab");
    if (file == nullptr) {
        const int failure = errno;
        return tool_text::Fill(tool_text::translate("tolvane-cli", "cannot write '%1': %2"),
                               {path, std::strerror(failure)});
    }
    std::fclose(file);
    return "";
}
