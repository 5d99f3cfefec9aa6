#include "soak_checks.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

int EntriesOf(const char* folder) {
    std::error_code error;
    int count = 0;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        ++count;
    }
    return count;
}

long RssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

std::string Describe(const SoakCamera& camera) {
    std::string text = camera.address + " (" + FaultName(camera.fault);
    if (!camera.detail.empty()) {
        text += ": " + camera.detail;
    }
    return text + ", from " + camera.version + ")";
}

constexpr size_t kSlowestListed = 3;

std::vector<std::string> Slowest(const SoakFleet& fleet, const BatchRun& run) {
    std::vector<std::pair<double, const SoakCamera*>> times;
    for (const SoakCamera& camera : fleet.cameras) {
        const auto t = run.cameraSeconds.find(camera.address);
        if (t != run.cameraSeconds.end()) {
            times.emplace_back(t->second, &camera);
        }
    }
    const size_t listed = std::min(kSlowestListed, times.size());
    std::partial_sort(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(listed),
                      times.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> lines;
    for (size_t i = 0; i < listed; ++i) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f s: ", times[i].first);
        lines.push_back(seconds + Describe(*times[i].second));
    }
    return lines;
}

} // namespace

ProcessResources SampleResources() {
    ProcessResources r;
    r.threads = EntriesOf("/proc/self/task");
    // The listing's own descriptor is open while it runs.
    r.fds = EntriesOf("/proc/self/fd") - 1;
    r.rssKiB = RssKiB();
    return r;
}

std::map<std::string, std::string> RunningVersions(const std::vector<nlohmann::json>& events,
                                                   const SoakFleet& fleet) {
    std::map<std::string, std::string> running;
    for (const SoakCamera& camera : fleet.cameras) {
        running[camera.address] = camera.version;
    }
    for (const nlohmann::json& e : events) {
        if (e.value("request", "") == "restart" && e.value("outcome", "") == "up") {
            running[e.value("camera", "")] = e.value("detail", "");
        }
    }
    return running;
}

BatchVerdict Judge(const SoakFleet& fleet, const BatchRun& run,
                   const std::map<std::string, std::string>& running) {
    BatchVerdict v;
    for (const SoakCamera& camera : fleet.cameras) {
        KindFigures& kind = v.byKind[camera.fault];
        ++kind.cameras;
        const auto count = run.results.find(camera.address);
        if (count == run.results.end()) {
            ++v.missing;
            continue;
        }
        v.duplicates += count->second > 1 ? 1 : 0;
        const bool upgraded = run.upgraded.at(camera.address);
        ++(upgraded ? v.upgraded : v.failed);
        ++(upgraded ? kind.upgraded : kind.failed);
        std::string wrong;
        if (upgraded) {
            const std::string& runs = running.at(camera.address);
            const auto reread = run.reread.find(camera.address);
            if (runs != camera.target) {
                wrong = "reported upgraded, runs " + runs + " (target " + camera.target + ")";
            } else if (reread != run.reread.end() && reread->second != camera.target) {
                wrong = "reported upgraded, the version worker reads " + reread->second;
            }
            v.unconfirmed += reread == run.reread.end() ? 1 : 0;
        } else if (camera.fault == FaultKind::Healthy) {
            wrong =
                "no fault, but failed with code " + std::to_string(run.codes.at(camera.address));
        }
        if (!wrong.empty()) {
            ++kind.violations;
            v.violations.push_back(Describe(camera) + ": " + wrong);
        }
    }
    v.slowest = Slowest(fleet, run);
    return v;
}
