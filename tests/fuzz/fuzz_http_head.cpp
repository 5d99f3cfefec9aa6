// Request heads as any client of a simulated camera may send them, arriving
// in pieces of any size and several to a connection.
#include "http_message.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the size of the pieces the socket delivers.
    const std::size_t piece = 1 + data[0] % 64;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;
    camsim::HttpHeadParser parser;
    while (left > 0) {
        std::size_t offered = piece < left ? piece : left;
        std::size_t consumed = 0;
        auto status = parser.feed(bytes, offered, consumed);
        if (consumed > offered) {
            __builtin_trap();
        }
        if (status == camsim::HttpHeadParser::Status::Error) {
            if (parser.errorStatus() < 400 || parser.errorMessage().empty()) {
                __builtin_trap();
            }
            return 0; // the connection answers and closes
        }
        if (status == camsim::HttpHeadParser::Status::Done) {
            const camsim::HttpRequest& request = parser.request();
            if (request.method.empty() || request.target.empty() || request.target[0] != '/' ||
                request.path().size() > request.target.size()) {
                __builtin_trap();
            }
            (void)request.header("Authorization");
            parser.reset(); // the rest is the body or the next request
        } else if (consumed != offered) {
            __builtin_trap(); // a head still incomplete takes everything offered
        }
        bytes += consumed;
        left -= consumed;
        if (consumed == 0 && status != camsim::HttpHeadParser::Status::Done) {
            __builtin_trap(); // no progress
        }
    }
    return 0;
}
