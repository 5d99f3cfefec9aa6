#include "history_time.h"

#include <chrono>
#include <ctime>
#include <regex>

namespace {

int Number(const std::ssub_match& match) {
    return match.matched ? std::stoi(match.str()) : 0;
}

} // namespace

std::optional<int64_t> InstantOf(const std::string& text) {
    static const std::regex kTime(R"((\d{4})-(\d{2})-(\d{2})(?:T(\d{2}):(\d{2})(?::(\d{2}))?)?)"
                                  R"((Z|([+-])(\d{2}):?(\d{2}))?)");
    std::smatch m;
    if (!std::regex_match(text, m, kTime)) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{year{Number(m[1])}, month{static_cast<unsigned>(Number(m[2]))},
                              day{static_cast<unsigned>(Number(m[3]))}};
    const int hour = Number(m[4]);
    const int minute = Number(m[5]);
    const int second = Number(m[6]);
    if (!date.ok() || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    if (!m[7].matched) {
        // Local time, as the system's zone rules have it for that day.
        std::tm local{};
        local.tm_year = Number(m[1]) - 1900;
        local.tm_mon = Number(m[2]) - 1;
        local.tm_mday = Number(m[3]);
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_sec = second;
        local.tm_isdst = -1;
        const std::time_t t = std::mktime(&local);
        return t == static_cast<std::time_t>(-1) ? std::nullopt
                                                 : std::optional<int64_t>(static_cast<int64_t>(t));
    }
    const int64_t days = sys_days(date).time_since_epoch().count();
    int64_t offset = 0;
    if (m[8].matched) {
        offset = (Number(m[9]) * 60 + Number(m[10])) * 60 * (m[8].str() == "-" ? -1 : 1);
    }
    return days * 86400 + hour * 3600 + minute * 60 + second - offset;
}
