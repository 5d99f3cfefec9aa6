#include "csv_report.h"

#include "engine/program_folder.h"
#include "engine/upgrade_history.h"
#include "osa/osa_path.h"
#include "tool_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A write that took longer than this (a CSV of thousands of rows) makes the
// next one wait kCostFactor times as long, so that rewriting a large file
// costs the batch a tenth of its time at most. Quicker files are rewritten
// at every result.
constexpr std::chrono::milliseconds kCheapWrite{5};
constexpr int kCostFactor = 10;

std::string Refused(const std::string& path, const std::string& why) {
    return tool_text::Fill(tool_text::translate("tolvane-cli", "--csv '%1': %2"), {path, why});
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        return fs::equivalent(a, b, ec);
    }
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

bool EndsWithNoCase(std::string text, std::string tail) {
    auto lower = [](std::string& s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    };
    lower(text);
    lower(tail);
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// True when `path` is `folder` or lies anywhere below it.
bool Inside(const fs::path& path, const fs::path& folder) {
    std::error_code ec;
    for (fs::path at = fs::weakly_canonical(path, ec); !at.empty(); at = at.parent_path()) {
        if (SameFile(at, folder)) {
            return true;
        }
        if (at == at.parent_path()) {
            break;
        }
    }
    return false;
}

// Where the next file may be made: the temporary name beside the target.
std::string TemporaryPath(const std::string& path) {
    return path + ".tolvane-tmp";
}

} // namespace

std::string CsvTargetPath(const std::string& path) {
    // The file a link names is replaced, not the link.
    std::error_code ec;
    const fs::path target = OSA_pathFromUtf8(path);
    if (!fs::is_symlink(target, ec)) {
        return path;
    }
    const fs::path resolved = fs::weakly_canonical(target, ec);
    return ec ? path : OSA_pathToUtf8(resolved);
}

std::string CsvPathProblem(const std::string& path) {
    const fs::path target = OSA_pathFromUtf8(path);
    const fs::path data = OSA_pathFromUtf8(GetProgramFolder());
    std::error_code ec;
    if (SameFile(target, OSA_pathFromUtf8(HistoryPath()))) {
        return Refused(path, tool_text::translate("tolvane-cli", "that is the upgrade history"));
    }
    if (EndsWithNoCase(OSA_pathToUtf8(target.filename()), "_update.log") &&
        SameFile(target.parent_path().empty() ? fs::path(".") : target.parent_path(), data)) {
        return Refused(path, tool_text::translate("tolvane-cli", "that is a camera's upgrade log"));
    }
    if (Inside(target, data / "UpdateFiles")) {
        return Refused(path, tool_text::translate(
                                 "tolvane-cli", "that is inside UpdateFiles, the images' folder"));
    }
    if (Inside(target, data / "batches")) {
        return Refused(path,
                       tool_text::translate("tolvane-cli", "that is inside batches, the journals' "
                                                           "folder"));
    }
    if (fs::is_directory(target, ec)) {
        return Refused(path, tool_text::translate("tolvane-cli", "that is a folder"));
    }
    // A device or a pipe would be replaced by the file, not written to.
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) {
        return Refused(path, tool_text::translate("tolvane-cli", "that is not a regular file"));
    }
    // The folder must take the temporary file that will replace the target.
    const std::string probe = TemporaryPath(CsvTargetPath(path));
    std::FILE* file = OSA_fileOpen(probe, "wb");
    if (file == nullptr) {
        const std::error_code why(errno, std::generic_category());
        return tool_text::Fill(tool_text::translate("tolvane-cli", "cannot write '%1': %2"),
                               {probe, why.message()});
    }
    std::fclose(file);
    fs::remove(OSA_pathFromUtf8(probe), ec);
    return "";
}

bool CsvReport::Write(const std::vector<ResultRow>& rows) {
    const Clock::time_point start = Clock::now();
    const std::string temporary = TemporaryPath(m_path);
    std::error_code ec;
    bool ok = WriteWholeFile(temporary, ResultRowsCsv(rows));
    if (ok) {
        fs::rename(OSA_pathFromUtf8(temporary), OSA_pathFromUtf8(m_path), ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(OSA_pathFromUtf8(temporary), ec);
        if (!m_warned) {
            std::fprintf(
                stderr, "tolvane-cli: %s\n",
                tool_text::Fill(tool_text::translate("tolvane-cli", "could not write %1"), {m_path})
                    .c_str());
            m_warned = true;
        }
    }
    m_lastWrite = Clock::now();
    m_lastCost = m_lastWrite - start;
    m_pending = !ok;
    m_lastOk = ok;
    return ok;
}

void CsvReport::Update(const std::vector<ResultRow>& rows) {
    if (m_path.empty()) {
        return;
    }
    m_pending = true;
    if (Clock::now() >= WriteDue()) {
        Write(rows);
    }
}

bool CsvReport::Finish(const std::vector<ResultRow>& rows) {
    return m_path.empty() || Write(rows);
}

CsvReport::Clock::time_point CsvReport::WriteDue() const {
    if (!m_pending) {
        return Clock::time_point::max();
    }
    // A file that could not be written is tried again a second later.
    Clock::duration wait = std::chrono::seconds(1);
    if (m_lastOk) {
        wait = m_lastCost < kCheapWrite ? Clock::duration::zero() : kCostFactor * m_lastCost;
    }
    return m_lastWrite + wait;
}
