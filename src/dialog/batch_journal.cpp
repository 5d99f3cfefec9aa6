#include "batch_journal.h"

#include "engine/program_folder.h"
#include "engine/report_failures.h"
#include "engine/report_rows.h"
#include "osa/osa_path.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

using nlohmann::json;

namespace {

constexpr size_t kIdTimeLength = 16; // 20261210T131500Z

json CameraList(const std::vector<JournalCamera>& cameras) {
    json list = json::array();
    for (const JournalCamera& c : cameras) {
        list.push_back({{"address", c.address}, {"port", c.port}});
    }
    return list;
}

json TimeFields(std::chrono::system_clock::time_point now) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    return {{"time", TimeText(now)}, {"time_ms", ms.count()}};
}

} // namespace

JournalOutcome JournalOutcomeOf(const UpgradeResultNote& note, intptr_t code) {
    JournalOutcome outcome;
    outcome.success = note.value != 0;
    outcome.verified = note.check == UPGRADE_CHECK_VERIFIED;
    outcome.code = static_cast<int32_t>(code);
    outcome.sdkError = note.sdkError;
    return outcome;
}

std::string NewBatchId(std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{floor<seconds>(now - day)};
    std::random_device random;
    char text[32] = {};
    std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d%02dZ-%04x", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()),
                  static_cast<unsigned>(random() & 0xFFFFu));
    return text;
}

bool IsBatchId(const std::string& text) {
    if (text.size() != kIdTimeLength + 5 || text[8] != 'T' || text[15] != 'Z' || text[16] != '-') {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        const bool separator = i == 8 || i == 15 || i == 16;
        const bool suffix = i > 16;
        if (!separator && !digit && !(suffix && c >= 'a' && c <= 'f')) {
            return false;
        }
    }
    return true;
}

std::string BatchesFolder() {
    const char separator = std::filesystem::path::preferred_separator;
    return GetProgramFolder() + separator + "batches";
}

std::string BatchJournalPath(const std::string& id) {
    const char separator = std::filesystem::path::preferred_separator;
    return BatchesFolder() + separator + id + ".jsonl";
}

namespace {

std::string LockPath(const std::string& id) {
    const char separator = std::filesystem::path::preferred_separator;
    return BatchesFolder() + separator + id + ".lock";
}

} // namespace

bool BatchJournalInUse(const std::string& id) {
    intptr_t held = -1;
    if (OSA_fileHoldLock(LockPath(id), &held)) {
        OSA_fileReleaseLock(held);
        return false;
    }
    return errno == EBUSY;
}

BatchJournalWriter::BatchJournalWriter(std::string id, std::string path)
    : m_id(std::move(id)), m_path(std::move(path)) {
    // Without the lock (a folder not writable) the journal goes on: its
    // records are what matters, and their loss is reported.
    if (!OSA_fileHoldLock(LockPath(m_id), &m_lock)) {
        m_lock = -1;
    }
}

BatchJournalWriter::BatchJournalWriter(BatchJournalWriter&& other) noexcept
    : m_id(std::move(other.m_id)), m_path(std::move(other.m_path)), m_lock(other.m_lock),
      m_started(std::move(other.m_started)) {
    other.m_lock = -1;
}

BatchJournalWriter::~BatchJournalWriter() {
    if (m_lock != -1) {
        OSA_fileReleaseLock(m_lock);
    }
}

BatchJournalWriter BatchJournalWriter::Begin(const std::vector<JournalCamera>& cameras,
                                             const json& options) {
    std::error_code ignored; // a folder that cannot be made shows as a lost record
    std::filesystem::create_directories(OSA_pathFromUtf8(BatchesFolder()), ignored);
    const auto now = std::chrono::system_clock::now();
    std::string id = NewBatchId(now);
    // Two batches started in one second by two programs: another suffix.
    for (int tries = 0;
         tries < 16 && std::filesystem::exists(OSA_pathFromUtf8(BatchJournalPath(id)), ignored);
         ++tries) {
        id = NewBatchId(now);
    }
    BatchJournalWriter writer(id, BatchJournalPath(id));
    json record = TimeFields(now);
    record["record"] = "batch";
    record["batch"] = id;
    record["options"] = options.is_object() ? options : json::object();
    record["cameras"] = CameraList(cameras);
    writer.Append(std::move(record));
    return writer;
}

BatchJournalWriter BatchJournalWriter::Continue(const std::string& id,
                                                const std::vector<JournalCamera>& cameras) {
    BatchJournalWriter writer(id, BatchJournalPath(id));
    json record = TimeFields(std::chrono::system_clock::now());
    record["record"] = "resume";
    record["cameras"] = CameraList(cameras);
    writer.Append(std::move(record));
    return writer;
}

void BatchJournalWriter::Started(const JournalCamera& camera) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_started.insert({camera.address, camera.port}).second) {
            return;
        }
    }
    json record = TimeFields(std::chrono::system_clock::now());
    record["record"] = "start";
    record["address"] = camera.address;
    record["port"] = camera.port;
    Append(std::move(record));
}

void BatchJournalWriter::Ended(const JournalCamera& camera, const JournalOutcome& outcome) {
    {
        // A camera tried again later starts anew.
        std::lock_guard<std::mutex> guard(m_mutex);
        m_started.erase({camera.address, camera.port});
    }
    json record = TimeFields(std::chrono::system_clock::now());
    record["record"] = "end";
    record["address"] = camera.address;
    record["port"] = camera.port;
    record["started"] = outcome.started;
    record["success"] = outcome.success;
    record["verified"] = outcome.verified;
    record["code"] = outcome.code;
    record["sdk_error"] = outcome.sdkError;
    Append(std::move(record));
}

void BatchJournalWriter::Append(json record) {
    const std::string line = record.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!OSA_fileAppendLine(m_path, line, "\n")) {
        NoteReportWriteFailure(m_path, errno);
    }
}
