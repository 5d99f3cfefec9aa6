// Collects the rows of `upgrade --csv` from the notes as they arrive.
#pragma once

#include "engine/report_rows.h"
#include "engine/requests_notes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class ResultRowsRecorder {
public:
    void AddTarget(const std::string& address, int32_t port) { m_ports[address] = port; }
    void Progress(const std::string& address);
    void Result(const UpgradeResultNote& note, intptr_t code);
    // A camera whose request was never taken: a row with the reason.
    void NotDispatched(const std::string& address, const std::string& text);
    const std::vector<ResultRow>& Rows() const { return m_rows; }

private:
    std::map<std::string, int32_t> m_ports;
    std::map<std::string, std::string> m_started; // address -> time of its first note
    std::vector<ResultRow> m_rows;
};

// Checks that the file can be written, before anything is sent; "" when it
// can, else the reason.
std::string CsvPathProblem(const std::string& path);
