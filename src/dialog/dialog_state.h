// What the main dialog keeps between its handlers, whatever draws it: the
// mode of the running upgrade, the batch's counts and its cameras still to
// send, and whether the window may close.
#pragma once

#include "dialog/batch_dispatch.h"
#include "dialog/device_rows.h"
#include "engine/engine_text.h"

#include <cstdint>
#include <string>

// What a result note means for the window.
struct ResultOutcome {
    std::string text;        // the camera's result text
    bool single = false;     // single mode: show `text` in a box, then unlock
    bool finished = false;   // batch mode: the last result is in; unlock, show `summary`
    std::string batchStatus; // batch mode, not finished: the running summary
    std::string summary;     // batch mode, finished: the final summary
};

class DialogState {
public:
    explicit DialogState(BatchDispatcher::SendFn send);

    // Every text the state makes passes through it: the window's language.
    // Without one, the texts are the Chinese source texts.
    void SetTranslator(TextTranslator translate) { m_translate = translate; }

    int32_t SingleMode() const { return m_bSingleMode; }
    int32_t Total() const { return m_nTotal; }
    int32_t Succeeded() const { return m_nSucceeded; }
    int32_t Failed() const { return m_nFailed; }

    // The close request is refused while the controls are locked, and the
    // close sequence runs once.
    bool CloseEnabled() const { return m_bCloseEnabled; }
    void SetControlsEnabled(bool enable) { m_bCloseEnabled = enable; }
    bool Closed() const { return m_bClosed; }
    // Marks the dialog closed and drops the batch's unsent cameras; false
    // when it already was.
    bool MarkClosed();

    // A confirmed single upgrade: results go to the status line and a box.
    void BeginSingle();

    // The batch command: counters reset, every ticked row with an address
    // sent or kept for its worker (a refused one is marked failed at once).
    // Returns how many rows the batch holds; 0 means nothing was ticked.
    int32_t BeginBatch(DeviceRows& rows);
    // "共选择n台" for the batch just begun.
    std::string BatchSelectedText() const;
    // True once every camera of the batch has its result.
    bool BatchDone() const { return m_nSucceeded + m_nFailed == m_nTotal; }
    std::string FinalSummary() const;
    // Once the upgrade or batch has ended: the notice that history or log
    // lines were lost since it began ("" when none were). Said once: a
    // second call returns "" until more are lost.
    std::string TakeReportFailureNotice();

    // A progress note: its text, also written into the rows in batch mode.
    std::string OnProgress(DeviceRows& rows, const std::string& address, int32_t step,
                           const char* imageName);
    // A result note: counted, and in batch mode written into the rows, and
    // the worker that served it gets its next camera.
    ResultOutcome OnResult(DeviceRows& rows, const std::string& address, int32_t value,
                           intptr_t code);

private:
    void MarkRowNotSent(DeviceRows& rows, int row, int32_t sendResult);
    void SendNextOfWorker(DeviceRows& rows, const std::string& address);
    std::string UiText(const char* source) const;

    BatchDispatcher m_batch; // the running batch's cameras, rows by tag
    int32_t m_bSingleMode = 0;
    int32_t m_nTotal = 0;
    int32_t m_nSucceeded = 0;
    int32_t m_nFailed = 0;
    bool m_bCloseEnabled = true;
    bool m_bClosed = false;
    uint64_t m_reportFailuresSeen = 0; // ReportWriteFailuresSoFar().count already told of
    TextTranslator m_translate = nullptr;
};

// "%1" in a text replaced by a number, as the window's formats use it.
std::string FormatCount(const char* format, int64_t count);
