// Collects the rows of `upgrade --csv` from the notes as they arrive, one
// row per camera (address and port).
#pragma once

#include "engine/report_rows.h"
#include "engine/requests_notes.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class ResultRowsRecorder {
public:
    void Progress(const std::string& address, int32_t port);
    void Result(const UpgradeResultNote& note, intptr_t code);
    // A camera whose request was never taken, or that had no result by the
    // time bound: a row with the reason.
    void Unfinished(const std::string& address, int32_t port, const std::string& text);
    const std::vector<ResultRow>& Rows() const { return m_rows; }
    // Written on every row from then on.
    void SetBatch(const std::string& id) { m_batch = id; }

private:
    using Camera = std::pair<std::string, int32_t>;
    std::map<Camera, std::string> m_started; // time of each camera's first note
    std::vector<ResultRow> m_rows;
    std::string m_batch;
};
