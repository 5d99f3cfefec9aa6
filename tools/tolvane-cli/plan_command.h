// `tolvane-cli plan`: what an upgrade would do to each camera, found out by
// logging in and reading the version only.
#pragma once

#include "engine/upgrade_plan.h"

#include <cstdio>
#include <string>
#include <vector>

// Prints one plan per camera (text, or one JSON object a line). Exit status
// 0 when every camera would be upgraded, 1 when any would fail.
int RunPlan(const std::vector<PlanTarget>& targets, const std::string& user,
            const std::string& password, bool json, std::FILE* out);
