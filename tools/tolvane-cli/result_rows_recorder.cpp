#include "result_rows_recorder.h"

#include "engine/note_texts.h"
#include "shown_texts.h"

#include <chrono>

namespace {

std::string Now() {
    return TimeText(std::chrono::system_clock::now());
}

} // namespace

void ResultRowsRecorder::Progress(const std::string& address, int32_t port) {
    m_started.try_emplace({address, port}, Now());
}

void ResultRowsRecorder::Result(const UpgradeResultNote& note, intptr_t code) {
    ResultRow row;
    row.address = FieldText(note.address);
    row.port = note.port;
    row.versionBefore = FieldText(note.versionBefore);
    row.versionAfter = FieldText(note.versionAfter);
    row.result = ShownResultText(note.value, code);
    row.versionExpected = FieldText(note.versionExpected);
    row.verified = note.check == UPGRADE_CHECK_VERIFIED ? "true" : "false";
    row.detail = ShownResultDetailText(note, code);
    row.end = Now();
    row.batch = m_batch;
    // A camera refused at log-in sends no progress: its run began and ended at once.
    const auto started = m_started.find({row.address, row.port});
    row.start = started != m_started.end() ? started->second : row.end;
    if (started != m_started.end()) {
        m_started.erase(started);
    }
    m_rows.push_back(row);
}

void ResultRowsRecorder::Unfinished(const std::string& address, int32_t port,
                                    const std::string& text) {
    ResultRow row;
    row.address = address;
    row.port = port;
    row.result = text;
    row.batch = m_batch;
    const auto started = m_started.find({address, port});
    if (started != m_started.end()) {
        row.start = started->second;
    }
    m_rows.push_back(row);
}
