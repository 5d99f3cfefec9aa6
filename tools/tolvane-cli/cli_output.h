// Prints what the workers report, as plain lines or one JSON object a line.
// Every line is flushed at once so that automation sees it as it arrives.
#pragma once

#include "engine/requests_notes.h"

#include <cstdint>
#include <cstdio>
#include <string>

class CliOutput {
public:
    CliOutput(bool json, std::FILE* out) : m_json(json), m_out(out) {}

    // The batch's id, from then on carried as `batch` on each JSON line of a
    // camera; announced on standard error, or as a JSON event.
    void BatchStarted(const std::string& id, size_t cameras, const std::string& journal,
                      bool resumed);

    // Every line of a camera names it as address:port (JSON: address, port).
    void Progress(const std::string& address, int32_t port, int32_t step,
                  const std::string& imageName);
    // The note's versions and check go with the outcome (JSON: version_before,
    // version_after, verified).
    void Result(const UpgradeResultNote& note, intptr_t code);
    void NotDispatched(const std::string& address, int32_t port);
    // A camera the stopped batch did not start (JSON: a result with
    // "started": false).
    void NotStarted(const std::string& address, int32_t port);
    // A failed try that will be tried again (JSON: "retry" with the try).
    void Retrying(const UpgradeResultNote& note, intptr_t code, int32_t attempt);
    void NoResult(const std::string& address, int32_t port);
    void RunningSummary(int total, int done, int succeeded, int failed);
    void FinalSummary(int total, int succeeded, int failed, int notDispatched, int notStarted = 0);
    void Device(const std::string& address, uint32_t port, const std::string& version);
    // Hellos the search dropped once it had reported as many cameras as it may.
    void SearchDropped(uint32_t dropped, uint32_t limit);

private:
    void Line(const std::string& text);

    bool m_json;
    std::FILE* m_out;
    std::string m_batch;
};
