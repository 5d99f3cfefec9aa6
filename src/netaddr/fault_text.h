// The sentences that name what is wrong with an address or a range. Written
// in English and marked for translation (context "netaddr"); a program that
// shows them in another language installs its lookup once, at start.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace netaddr {

using FaultLookup = std::string (*)(const char* text);

void SetFaultLookup(FaultLookup lookup);

// The marked text through the lookup, with %1 and %2 replaced by the arguments.
std::string FaultText(const char* text, std::initializer_list<std::string_view> args = {});

} // namespace netaddr
