// The engine's operator texts as tolvane-cli shows them, in the language of
// the run. The engine writes them in Chinese and the window shows the same;
// every lookup of them for this program happens here, at display time.
#pragma once

#include "engine/task_records.h"
#include "engine/upgrade_plan.h"

#include <cstdint>
#include <string>

std::string ShownProgressText(int32_t step, const std::string& imageName);
std::string ShownResultText(int32_t value, intptr_t code);
// The facts beside a result text ("" when none).
std::string ShownResultDetailText(const UpgradeResultNote& note, intptr_t code);
std::string ShownRunningSummaryText(int total, int done, int succeeded, int failed);
std::string ShownFinalSummaryText(int succeeded, int failed);
std::string ShownNotDispatchedText();
// A camera still being served when the time bound ended the run.
std::string NoResultText();
std::string ShownPlanStepText(const PlanStep& step);
std::string ShownPlanText(const UpgradePlan& plan);
std::string ShownImageCheckText(const ImageVerdict& verdict);
// A result text as the upgrade history stored it (in Chinese).
std::string ShownStoredResultText(const std::string& text);

// A text as one field of a text line: control characters (a line break or
// tab in an image's file name) shown as \n, \t or \xNN and a backslash as
// \\, so that one line stays one line and still reads back unambiguously;
// bytes that are not UTF-8 become U+FFFD, as in the JSON.
std::string OneLineText(const std::string& text);
// "address:port", as every result line names its camera.
std::string CameraText(const std::string& address, int32_t port);
