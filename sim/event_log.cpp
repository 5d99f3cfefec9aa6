#include "event_log.h"

#include <nlohmann/json.hpp>

namespace camsim {

EventLog::~EventLog() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool EventLog::open(const std::string& path, double timeScale) {
    file_ = std::fopen(path.c_str(), "w");
    timeScale_ = timeScale;
    start_ = std::chrono::steady_clock::now();
    return file_ != nullptr;
}

void EventLog::write(const std::string& camera, unsigned port, const std::string& request,
                     const std::string& detail, const std::string& outcome) {
    if (file_ == nullptr) {
        return;
    }
    auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now() - start_)
                       .count();
    double ms = static_cast<double>(elapsed) / 1000.0;
    nlohmann::json line = {{"t_ms", static_cast<std::int64_t>(ms)},
                           {"t_sim_ms", static_cast<std::int64_t>(ms / timeScale_)},
                           {"camera", camera},
                           {"port", port},
                           {"request", request},
                           {"detail", detail},
                           {"outcome", outcome}};
    std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
}

} // namespace camsim
