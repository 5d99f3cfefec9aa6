// What one upgrade worker does with one camera.
#pragma once

#include "engine/requests_notes.h"
#include "osa/osa_tsk.h"
#include "sdk/lpr_sdk.h"

#include <cstdint>
#include <string>

// Commands run on the camera's shell, exactly as sent.
inline constexpr char SHELL_CLEAN_BOA_LOG[] = "rm /mnt/log/boa_log/*";
inline constexpr char SHELL_CLEAN_DATABASE[] = "rm /mnt/log/ivs* ";
inline constexpr char SHELL_FEED_DOG[] = "./feeddog &";
inline constexpr char SHELL_KILL_AV_SERVER[] = "killall av_server.out";

// Fixed waits of the sequence, in ms of the system's time.
inline constexpr uint32_t WAIT_AFTER_FAILED_VERSION_READ = 5000;
inline constexpr uint32_t WAIT_AFTER_SHELL_COMMAND = 1000;
inline constexpr uint32_t WAIT_BEFORE_FIRST_STATE = 15000;
inline constexpr uint32_t WAIT_BETWEEN_STATES = 3000;
inline constexpr uint32_t WAIT_AFTER_REBOOT = 20000;
inline constexpr uint32_t WAIT_BETWEEN_CONNECTION_POLLS = 1000;
inline constexpr uint32_t WAIT_AFTER_RECONNECT = 30000;

// Tries and bounds.
inline constexpr int FIRST_VERSION_TRIES = 2;
inline constexpr int SECOND_VERSION_TRIES = 10;
inline constexpr int REREAD_VERSION_TRIES = 20;
inline constexpr int STATE_POLLS_AFTER_FIRST = 201;
inline constexpr int CONNECTION_POLLS_AFTER_FIRST = 301;

// Main function of every upgrade worker.
int32_t UpdateTaskMain(OsaTask* task);

// 0 when the request was handled (whatever its outcome), -1 when the request
// or its owner is missing.
int32_t UpdateDevice(const UpgradeRequest* request);

// Stands for a version whose parts cannot make a version number: above 0, so
// the read counts, and matching no image and no rule.
inline constexpr int32_t VERSION_NUMBER_UNMATCHED = 0x7FFFFFFF;

// first × 100 + second × 10 + third when each part is 0..9; otherwise
// (4.11.7 or 0.0.517 would both read as 517) VERSION_NUMBER_UNMATCHED.
int32_t VersionNumberOf(int32_t first, int32_t second, int32_t third);

// Caller sets both out values to 0; written only by a successful read, as
// are the four parts in `parts` when given.
bool GetDeviceVersion(LprHandle handle, int tries, int32_t* versionNumber, int32_t* fourthField,
                      int32_t* parts = nullptr);

// `flashed`, when given, is set to whether the camera wrote the image (an
// image refused as already installed is taken without being written);
// `sdkError`, when given, to the transfer's error code when it ended in a
// failed state (0 otherwise).
bool UpdateOneImage(const char* address, NoteOwner* owner, LprHandle handle,
                    const std::string& imagePath, int32_t versionNumber, bool* flashed = nullptr,
                    int32_t* sdkError = nullptr);

// False when the camera did not report itself connected within the bound.
bool RebootAndWait(LprHandle handle);

// Starts the watchdog feeder and stops av_server.out; 0 when both ran.
int32_t StopAvServer(const char* address);
