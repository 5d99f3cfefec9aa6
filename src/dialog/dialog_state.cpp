#include "dialog/dialog_state.h"

#include "dialog/dialog_ids.h"
#include "dialog/single_checks.h"
#include "dialog/ui_texts.h"
#include "engine/note_texts.h"
#include "engine/report_failures.h"
#include "engine/requests_notes.h"

#include <cstring>
#include <utility>

namespace {

// The window's texts hold at most 127 bytes: a longer image name is cut.
constexpr size_t kMaxTextBytes = 127;

} // namespace

std::string FormatCount(const char* format, int64_t count) {
    std::string text(format);
    const size_t at = text.find("%1");
    if (at != std::string::npos) {
        text.replace(at, 2, std::to_string(count));
    }
    return text;
}

DialogState::DialogState(BatchDispatcher::SendFn send)
    : m_batch(UPGRADE_TASK_COUNT, std::move(send)) {}

bool DialogState::MarkClosed() {
    if (m_bClosed) {
        return false;
    }
    m_bClosed = true;
    // Cameras of a batch that never went out are dropped with it.
    m_batch.Clear();
    return true;
}

void DialogState::BeginSingle() {
    m_bSingleMode = 1;
    m_reportFailuresSeen = ReportWriteFailuresSoFar().count;
}

int32_t DialogState::BeginBatch(DeviceRows& rows) {
    m_bSingleMode = 0;
    m_reportFailuresSeen = ReportWriteFailuresSoFar().count;
    m_nTotal = 0;
    m_nSucceeded = 0;
    m_nFailed = 0;
    m_batch.Clear();
    int32_t dispatched = 0;
    for (int row = 0; row < rows.GetItemCount(); ++row) {
        if (!rows.GetCheck(row)) {
            continue;
        }
        const std::string address = rows.GetItemText(row, COL_IP);
        // A ticked row without an address cannot be upgraded: it is passed
        // over, and the rest of the batch still goes out.
        if (address.empty()) {
            continue;
        }
        const int32_t port = PortNumber(rows.GetItemText(row, COL_PORT));
        // Cameras beyond what a worker's mailbox holds wait in m_batch and go
        // out as that worker's results come back.
        const int32_t sent =
            m_batch.Add({address, port, kBatchUser, kBatchPassword, static_cast<size_t>(row)});
        if (sent != SEND_OK) {
            // Its result will never come: count it as failed now, so that
            // the batch still reaches its total and unlocks.
            MarkRowNotSent(rows, row, sent);
        }
        ++dispatched;
    }
    m_nTotal = dispatched;
    return dispatched;
}

std::string DialogState::BatchSelectedText() const {
    return FormatCount(UiText(ui_text::kBatchSelected).c_str(), m_nTotal);
}

std::string DialogState::FinalSummary() const {
    return FinalSummaryText(m_nSucceeded, m_nFailed, m_translate);
}

std::string DialogState::TakeReportFailureNotice() {
    const ReportWriteFailures failures = ReportWriteFailuresSoFar();
    if (failures.count == m_reportFailuresSeen) {
        return "";
    }
    const uint64_t lost = failures.count - m_reportFailuresSeen;
    m_reportFailuresSeen = failures.count;
    std::string text =
        FormatCount(UiText(ui_text::kReportsNotWritten).c_str(), static_cast<int64_t>(lost));
    const size_t at = text.find("%2");
    if (at != std::string::npos) {
        text.replace(at, 2, failures.path + " (" + failures.reason + ")");
    }
    return text;
}

std::string DialogState::OnProgress(DeviceRows& rows, const std::string& address, int32_t step,
                                    const char* imageName) {
    const std::string name =
        imageName ? std::string(imageName, strnlen(imageName, IMAGE_NAME_BUFFER_SIZE)) : "";
    std::string text = ProgressText(step, name, kMaxTextBytes, m_translate);
    if (!m_bSingleMode) {
        UpdateRows(rows, address, text, ROW_UPGRADING);
    }
    return text;
}

ResultOutcome DialogState::OnResult(DeviceRows& rows, const std::string& address, int32_t value,
                                    intptr_t code) {
    ResultOutcome outcome;
    outcome.text = ResultText(value, code, m_translate);
    if (value != 0) {
        ++m_nSucceeded;
    } else {
        ++m_nFailed;
    }
    // The batch summary belongs to the last batch: a single result leaves it alone.
    outcome.single = m_bSingleMode != 0;
    if (outcome.single) {
        return outcome;
    }
    UpdateRows(rows, address, outcome.text, value != 0 ? ROW_SUCCEEDED : ROW_FAILED);
    SendNextOfWorker(rows, address);
    outcome.finished = BatchDone();
    if (outcome.finished) {
        outcome.summary = FinalSummary();
    } else {
        outcome.batchStatus = RunningSummaryText(m_nTotal, m_nSucceeded + m_nFailed, m_nSucceeded,
                                                 m_nFailed, m_translate);
    }
    return outcome;
}

// A result frees a place at its worker: the worker's next waiting camera goes out.
void DialogState::SendNextOfWorker(DeviceRows& rows, const std::string& address) {
    for (const RefusedCamera& refused : m_batch.OnResult(address)) {
        const int row = static_cast<int>(refused.camera.tag);
        if (row < rows.GetItemCount()) {
            MarkRowNotSent(rows, row, refused.result);
        } else {
            ++m_nFailed;
        }
    }
}

void DialogState::MarkRowNotSent(DeviceRows& rows, int row, int32_t sendResult) {
    rows.SetItemText(row, COL_PROGRESS,
                     UiText(sendResult == SEND_TEXT_TOO_LONG ? ui_text::kAddressTooLong
                                                             : ui_text::kBatchNotSent));
    rows.SetItemData(row, ROW_FAILED);
    ++m_nFailed;
}

std::string DialogState::UiText(const char* source) const {
    return m_translate ? m_translate("ui", source) : std::string(source);
}
