// The facts beside a camera's result text, for the reports that have room
// for them (the command line, its JSON and CSV, the upgrade history): the
// version expected and found, the camera's own refusal, what is wrong with
// an image. The window keeps its one-line result texts.
#pragma once

#include "engine/engine_text.h"
#include "engine/image_check.h"
#include "engine/task_records.h"

#include <cstdint>
#include <string>

// "" when the result has nothing to add.
std::string ResultDetailText(const UpgradeResultNote& note, intptr_t code,
                             TextTranslator translate = nullptr);

// What is wrong with an image, as a phrase ("" for IMAGE_OK). `argument` is
// the header's platform, or the folder's count of images for IMAGE_SEVERAL;
// `target` the header's target version.
std::string ImageFaultText(int32_t fault, const std::string& argument, const std::string& target,
                           TextTranslator translate = nullptr);
// The `argument` of ImageFaultText for a verdict.
std::string ImageFaultArgument(const ImageVerdict& verdict);

// The camera's or the transfer's error code of LprUpdateGetError in words.
std::string SdkErrorText(int32_t error, TextTranslator translate = nullptr);
