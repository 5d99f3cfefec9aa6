// A dry run: what an upgrade would do to each camera, found out by logging
// in and reading the version only. Nothing else is sent to a camera.
#pragma once

#include "engine/engine_text.h"
#include "engine/image_check.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class PlanStepKind {
    Prepare,          // clear the logs and the record database
    Restart,          // restart the camera and wait for it
    StopService,      // start the watchdog feeder, stop av_server.out
    SendImage,        // send one image
    RereadVersion,    // read the version between two images
    StopServiceIf516, // StopService, when the re-read gives 5.1.6
    VerifyVersion,    // read the version the camera came back with
};

struct PlanStep {
    PlanStepKind kind;
    std::string image; // SendImage: the image's file name
};

struct UpgradePlan {
    std::string address;
    int32_t port = 0;
    // UPGRADE_OK when the upgrade would go ahead; else UPGRADE_ERR_OPEN,
    // UPGRADE_ERR_NO_VERSION, UPGRADE_ERR_NO_IMAGE or UPGRADE_ERR_BAD_IMAGE.
    int32_t code = 0;
    std::string version;              // dotted text; "" when not read
    std::vector<std::string> images;  // full paths, in sending order
    std::vector<ImageVerdict> checks; // one per image checked, in order; stops at the first fault
    std::vector<PlanStep> steps;      // in order; empty when code is not UPGRADE_OK
};

struct PlanTarget {
    std::string address;
    int32_t port = 80;
};

// Logs in, reads the version (FIRST_VERSION_TRIES tries) and closes; the
// steps follow from the same rules the upgrade sequence acts on.
UpgradePlan PlanUpgrade(const PlanTarget& target, const std::string& user,
                        const std::string& password);

// Plans every target, a few at a time (as many as there are upgrade
// workers); results in the order of the targets. `keepGoing`, when given,
// is asked before each camera: a camera not started gets code
// UPGRADE_ERR_OPEN without any call.
std::vector<UpgradePlan> PlanUpgrades(const std::vector<PlanTarget>& targets,
                                      const std::string& user, const std::string& password,
                                      const std::function<bool()>& keepGoing = {});

// Machine name of a step ("prepare", "send_image", ...).
const char* PlanStepName(PlanStepKind kind);
// Operator text of a step (UTF-8); translated as the note texts are.
std::string PlanStepText(const PlanStep& step, TextTranslator translate = nullptr);
// One image's check as operator text: its name, target and verdict.
std::string ImageCheckText(const ImageVerdict& verdict, TextTranslator translate = nullptr);
// The whole plan of one camera as operator text: a heading line, then one
// numbered line per step, or the reason it would fail.
std::string PlanText(const UpgradePlan& plan, TextTranslator translate = nullptr);
