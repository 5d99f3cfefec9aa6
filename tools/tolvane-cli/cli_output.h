// Prints what the workers report, as plain lines or one JSON object a line.
// Every line is flushed at once so that automation sees it as it arrives.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class CliOutput {
public:
    CliOutput(bool json, std::FILE* out) : m_json(json), m_out(out) {}

    void Progress(const std::string& address, int32_t step, const std::string& imageName);
    void Result(const std::string& address, int32_t value, intptr_t code);
    void NotDispatched(const std::string& address);
    void NoResult(const std::string& address);
    void RunningSummary(int total, int done, int succeeded, int failed);
    void FinalSummary(int total, int succeeded, int failed, int notDispatched);
    void Device(const std::string& address, uint32_t port, const std::string& version);
    // Hellos the search dropped once it had reported as many cameras as it may.
    void SearchDropped(uint32_t dropped, uint32_t limit);

private:
    void Line(const std::string& text);

    bool m_json;
    std::FILE* m_out;
};
