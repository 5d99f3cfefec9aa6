#include "cli_output.h"

#include "engine/note_texts.h"
#include "shown_texts.h"
#include "tool_text.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

void CliOutput::Line(const std::string& text) {
    std::fputs(text.c_str(), m_out);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

namespace {

// Texts from cameras are not guaranteed UTF-8; never let them abort output.
std::string Dump(const json& object) {
    return object.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace

void CliOutput::Progress(const std::string& address, int32_t port, int32_t step,
                         const std::string& imageName) {
    const std::string text = ShownProgressText(step, imageName);
    if (m_json) {
        json object = {{"event", "progress"},
                       {"address", address},
                       {"port", port},
                       {"step", step},
                       {"text", text}};
        if (!imageName.empty()) {
            object["image"] = imageName;
        }
        Line(Dump(object));
    } else {
        Line(CameraText(address, port) + "\t" + OneLineText(text));
    }
}

void CliOutput::Result(const UpgradeResultNote& note, intptr_t code) {
    const std::string address = FieldText(note.address);
    const std::string text = ShownResultText(note.value, code);
    const std::string before = FieldText(note.versionBefore);
    const std::string after = FieldText(note.versionAfter);
    const std::string detail = ShownResultDetailText(note, code);
    if (m_json) {
        auto versionOrNull = [](const std::string& v) { return v.empty() ? json() : json(v); };
        Line(Dump({{"event", "result"},
                   {"address", address},
                   {"port", note.port},
                   {"started", true},
                   {"success", note.value != 0},
                   {"code", code},
                   {"text", text},
                   {"detail", detail},
                   {"sdk_error", note.sdkError},
                   {"version_before", versionOrNull(before)},
                   {"version_after", versionOrNull(after)},
                   {"version_expected", versionOrNull(FieldText(note.versionExpected))},
                   {"verified", note.check == UPGRADE_CHECK_VERIFIED},
                   {"batch", m_batch}}));
        return;
    }
    std::string line = CameraText(address, note.port) + "\t" + text;
    if (!detail.empty()) {
        line += " " + OneLineText(detail);
    }
    if (note.check == UPGRADE_CHECK_VERIFIED) {
        line += "\t" + before + " -> " + after;
    } else if (note.check == UPGRADE_CHECK_UNVERIFIED) {
        line += "\t" + before + " -> ? (" +
                tool_text::translate("tolvane-cli",
                                     "unverified: the version could not be read afterwards") +
                ")";
    }
    Line(line);
}

void CliOutput::BatchStarted(const std::string& id, size_t cameras, const std::string& journal,
                             bool resumed) {
    m_batch = id;
    if (m_json) {
        Line(Dump({{"event", "batch"},
                   {"batch", id},
                   {"cameras", cameras},
                   {"journal", journal},
                   {"resumed", resumed}}));
        return;
    }
    const std::string format =
        resumed ? tool_text::translate("tolvane-cli", "batch %1 resumed: %2 camera(s), journal %3")
                : tool_text::translate("tolvane-cli", "batch %1: %2 camera(s), journal %3");
    std::fprintf(stderr, "tolvane-cli: %s\n",
                 tool_text::Fill(format, {id, std::to_string(cameras), journal}).c_str());
}

void CliOutput::NotDispatched(const std::string& address, int32_t port) {
    if (m_json) {
        Line(Dump({{"event", "not_dispatched"},
                   {"address", address},
                   {"port", port},
                   {"text", ShownNotDispatchedText()},
                   {"batch", m_batch}}));
    } else {
        Line(CameraText(address, port) + "\t" + ShownNotDispatchedText());
    }
}

void CliOutput::NotStarted(const std::string& address, int32_t port) {
    const std::string text = ShownResultText(0, UPGRADE_NOT_STARTED);
    if (m_json) {
        Line(Dump({{"event", "result"},
                   {"address", address},
                   {"port", port},
                   {"started", false},
                   {"success", false},
                   {"code", UPGRADE_NOT_STARTED},
                   {"text", text}}));
    } else {
        Line(CameraText(address, port) + "\t" + text);
    }
}

void CliOutput::Retrying(const UpgradeResultNote& note, intptr_t code, int32_t attempt) {
    const std::string address = FieldText(note.address);
    const std::string text = ShownResultText(note.value, code);
    const std::string again = tool_text::Fill(
        tool_text::translate("tolvane-cli", "try %1 failed; it will be tried again"),
        {std::to_string(attempt)});
    if (m_json) {
        Line(Dump({{"event", "retry"},
                   {"address", address},
                   {"port", note.port},
                   {"attempt", attempt},
                   {"code", code},
                   {"text", text},
                   {"sdk_error", note.sdkError}}));
    } else {
        Line(CameraText(address, note.port) + "\t" + text + " (" + again + ")");
    }
}

void CliOutput::NoResult(const std::string& address, int32_t port) {
    const std::string text = NoResultText();
    if (m_json) {
        Line(Dump({{"event", "no_result"},
                   {"address", address},
                   {"port", port},
                   {"text", text},
                   {"batch", m_batch}}));
    } else {
        Line(CameraText(address, port) + "\t" + text);
    }
}

void CliOutput::RunningSummary(int total, int done, int succeeded, int failed) {
    const std::string text = ShownRunningSummaryText(total, done, succeeded, failed);
    if (m_json) {
        Line(Dump({{"event", "running_summary"},
                   {"total", total},
                   {"done", done},
                   {"succeeded", succeeded},
                   {"failed", failed},
                   {"text", text}}));
    } else {
        Line(text);
    }
}

void CliOutput::FinalSummary(int total, int succeeded, int failed, int notDispatched,
                             int notStarted) {
    const std::string text = notStarted > 0 ? ShownStoppedSummaryText(succeeded, failed, notStarted)
                                            : ShownFinalSummaryText(succeeded, failed);
    if (m_json) {
        Line(Dump({{"event", "summary"},
                   {"total", total},
                   {"succeeded", succeeded},
                   {"failed", failed},
                   {"not_dispatched", notDispatched},
                   {"not_started", notStarted},
                   {"text", text}}));
    } else {
        Line(text);
        if (notDispatched > 0) {
            Line(ShownNotDispatchedText() + ": " + std::to_string(notDispatched));
        }
    }
}

void CliOutput::Device(const std::string& address, uint32_t port, const std::string& version) {
    if (m_json) {
        Line(Dump(
            {{"event", "device"}, {"address", address}, {"port", port}, {"version", version}}));
    } else {
        Line(address + "\t" + std::to_string(port) + "\t" + version);
    }
}

void CliOutput::SearchDropped(uint32_t dropped, uint32_t limit) {
    if (m_json) {
        Line(Dump({{"event", "search_dropped"}, {"dropped", dropped}, {"limit", limit}}));
    } else {
        Line(tool_text::Fill(
            tool_text::translate("tolvane-cli",
                                 "search dropped %1 hellos of cameras beyond the first %2"),
            {std::to_string(dropped), std::to_string(limit)}));
    }
}
