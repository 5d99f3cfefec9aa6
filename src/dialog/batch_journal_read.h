// Reading batch journals back: where each camera of a batch stands, whether
// the batch is unfinished, what a resume must upgrade, and the data folder's
// journals in start order.
#pragma once

#include "batch_journal.h"

#include <istream>
#include <optional>

enum class JournalCameraState {
    NotStarted, // no record since the batch (or its last resume) named it, or never begun
    InProgress, // started, no end: the run was cut short while it worked on it
    Done,       // a verified success, or the image was already installed
    Failed,     // ended any other way
};

struct JournalCameraEntry {
    JournalCamera camera;
    JournalCameraState state = JournalCameraState::NotStarted;
    bool ended = false; // an end record counts for it
};

struct BatchCounts {
    int done = 0;
    int failed = 0;
    int notStarted = 0;
    int inProgress = 0;
};

struct BatchJournalState {
    std::string id;
    std::string time; // local time of the batch's start, as written
    int64_t timeMs = 0;
    nlohmann::json options = nlohmann::json::object();
    std::vector<JournalCameraEntry> cameras; // batch order
    int resumes = 0;
    size_t skippedLines = 0; // torn or damaged lines read past

    // Some camera has no end record.
    bool Unfinished() const;
    BatchCounts Counts() const;
    // Exactly the cameras without a verified success or an already
    // installed image, in batch order.
    std::vector<JournalCamera> CamerasLeft() const;
};

// An end that counts as done for a resume.
bool JournalOutcomeIsDone(const JournalOutcome& outcome);

// Line by line; a torn or damaged line (the last one after a crash) is read
// past. Nothing when the first record, which names the batch, is unreadable.
std::optional<BatchJournalState> ReadBatchJournal(std::istream& in);
std::optional<BatchJournalState> ReadBatchJournalFile(const std::string& path);

struct BatchJournalListing {
    std::vector<BatchJournalState> batches; // oldest first
    std::vector<std::string> unreadable;    // journal files without a readable first record
};

// Every journal of the data folder's batches folder.
BatchJournalListing ListBatchJournals();
// The latest batch that is unfinished, if any.
std::optional<BatchJournalState> LastUnfinishedBatch();
// Whether the latest batch of all is unfinished (the window offers to continue it).
bool LastBatchUnfinished();
