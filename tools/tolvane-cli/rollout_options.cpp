#include "rollout_options.h"

#include "osa/osa_sleep.h"
#include "tool_text.h"

#include <charconv>
#include <cstdio>

namespace {

using tool_text::Fill;
using tool_text::translate;

// A whole number from 1 up, nothing else in the text.
std::optional<uint64_t> PositiveNumber(const std::string& text) {
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, fault] = std::from_chars(text.data(), end, value);
    if (fault != std::errc() || stop != end || value == 0) {
        return std::nullopt;
    }
    return value;
}

void Complain(const std::string& option, const std::string& value, const std::string& why) {
    std::fprintf(stderr, "tolvane-cli: %s\n",
                 Fill(translate("tolvane-cli", "%1 %2: %3"), {option, value, why}).c_str());
}

std::optional<uint32_t> MaxFailures(const std::string& text, size_t cameras) {
    const bool percent = !text.empty() && text.back() == '%';
    const std::optional<uint64_t> number =
        PositiveNumber(percent ? text.substr(0, text.size() - 1) : text);
    if (!number) {
        Complain("--max-failures", text,
                 translate("tolvane-cli", "expected a count from 1 or a percentage such as 10%"));
        return std::nullopt;
    }
    if (percent) {
        if (*number > 100) {
            Complain("--max-failures", text, translate("tolvane-cli", "at most 100%"));
            return std::nullopt;
        }
        // Rounded up: 10% of 15 cameras stops at the second failure.
        return static_cast<uint32_t>((*number * cameras + 99) / 100);
    }
    if (*number > cameras) {
        Complain("--max-failures", text,
                 Fill(translate("tolvane-cli", "the batch has %1 camera(s)"),
                      {std::to_string(cameras)}));
        return std::nullopt;
    }
    return static_cast<uint32_t>(*number);
}

} // namespace

std::optional<BatchOptions> ResolveRollout(const RolloutArguments& arguments, size_t cameras) {
    BatchOptions options;
    if (!arguments.canary.empty()) {
        const std::optional<uint64_t> canary = PositiveNumber(arguments.canary);
        if (!canary || *canary > cameras) {
            Complain("--canary", arguments.canary,
                     Fill(translate("tolvane-cli", "expected 1 to %1, the cameras of the batch"),
                          {std::to_string(cameras)}));
            return std::nullopt;
        }
        options.canary = static_cast<uint32_t>(*canary);
    }
    if (!arguments.maxFailures.empty()) {
        const std::optional<uint32_t> limit = MaxFailures(arguments.maxFailures, cameras);
        if (!limit) {
            return std::nullopt;
        }
        options.maxFailures = std::max<uint32_t>(*limit, 1);
    }
    options.retries = arguments.retries;
    options.retryWait = std::chrono::milliseconds(
        static_cast<int64_t>(static_cast<double>(kRetryWaitMs) * OSA_timeScale()));
    return options;
}
