// The checks of the single upgrade command, in the order they run.
#pragma once

#include <cstdint>
#include <string>

struct SingleInput {
    std::string address; // the address box's text
    std::string port;
    std::string user;
    std::string password;
};

// The notice for the first input that fails (a UTF-8 text of ui_texts.h),
// or nullptr when all pass; then *port holds the port to send.
const char* CheckSingleInput(const SingleInput& input, int32_t* port);

// A port text read the way the classic converter reads it: optional blanks
// and sign, then leading decimal digits; 0 when there are none; clamped to
// the 32-bit range.
int32_t PortNumber(const std::string& text);
