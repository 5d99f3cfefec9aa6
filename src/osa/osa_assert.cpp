#include "osa/osa_assert.h"

void OSA_assertReport(const char* file, const char* function, int line) {
    std::fprintf(stderr, " ASSERT (%s|%s|%d)\r\n", file != nullptr ? file : "",
                 function != nullptr ? function : "", line);
    std::fflush(stderr);
}
