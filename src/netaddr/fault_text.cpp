#include "netaddr/fault_text.h"

#include <atomic>

namespace netaddr {
namespace {

std::atomic<FaultLookup> g_lookup{nullptr};

} // namespace

void SetFaultLookup(FaultLookup lookup) {
    g_lookup.store(lookup);
}

std::string FaultText(const char* text, std::initializer_list<std::string_view> args) {
    const FaultLookup lookup = g_lookup.load();
    const std::string templ = lookup != nullptr ? lookup(text) : std::string(text);
    std::string out;
    for (std::size_t i = 0; i < templ.size(); ++i) {
        const std::size_t arg =
            i + 1 < templ.size() ? static_cast<std::size_t>(templ[i + 1] - '1') : args.size();
        if (templ[i] == '%' && arg < args.size()) {
            out += *(args.begin() + arg);
            ++i;
        } else {
            out += templ[i];
        }
    }
    return out;
}

} // namespace netaddr
