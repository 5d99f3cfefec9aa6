#include "progress_line.h"

#include "tool_text.h"

#include <string>

#ifdef _WIN32
#include <io.h>
#define TOLVANE_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define TOLVANE_ISATTY(f) isatty(fileno(f))
#endif

std::string DurationText(std::chrono::milliseconds duration) {
    const long long seconds = duration.count() > 0 ? (duration.count() + 999) / 1000 : 0;
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lldh%02lldm", seconds / 3600, seconds / 60 % 60);
    } else if (seconds >= 60) {
        std::snprintf(text, sizeof text, "%lldm%02llds", seconds / 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%llds", seconds);
    }
    return text;
}

ProgressLine::ProgressLine(bool forced, Clock::time_point start)
    : m_on(forced || TOLVANE_ISATTY(stderr) != 0), m_start(start) {}

void ProgressLine::Show(const BatchRunCounts& counts, int running,
                        std::optional<std::chrono::milliseconds> left, Clock::time_point now,
                        bool changed) {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    // Whole lines only: the results go to stdout, often the same terminal,
    // and a line rewritten in place would run into them. At most one a
    // second, and a quiet minute still gets one.
    if (!m_on || now - m_last < std::chrono::seconds(changed ? 1 : 60)) {
        return;
    }
    m_last = now;
    const std::string text = tool_text::Fill(
        tool_text::translate("tolvane-cli", "%1/%2 done, %3 succeeded, %4 failed, %5 running, "
                                            "elapsed %6, time left %7"),
        {std::to_string(counts.Done()), std::to_string(counts.total),
         std::to_string(counts.succeeded), std::to_string(counts.failed), std::to_string(running),
         DurationText(duration_cast<milliseconds>(now - m_start)),
         left ? DurationText(*left) : std::string("?")});
    std::fprintf(stderr, "tolvane-cli: %s\n", text.c_str());
    std::fflush(stderr);
}
