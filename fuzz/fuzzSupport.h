// What every fuzz target shares: a log pane for the plugin's code, which reaches the host
// only through hostFunctions, and a check that stops the run when a property fails, so that
// the fuzzer keeps the input that broke it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "host/hostFunctionTable.h"

// Every log entry is measured, so that the sanitizers see that it is a whole text, and
// otherwise dropped.
inline void installQuietLog() {
    hostFunctions.zrLogText = [](const char* text) {
        volatile std::size_t length = std::strlen(text);
        (void)length;
    };
}

// A property check walks the whole output of an input; its branches say nothing of the code
// under test, so they are kept out of the coverage the fuzzer steers by, which also makes them
// cheap (most of a report page's time went to them).
#if defined(__clang__)
#define FUZZ_CHECKER __attribute__((no_sanitize("coverage")))
#else
#define FUZZ_CHECKER
#endif

inline void fuzzCheck(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "fuzz property failed: %s\n", property);
    std::abort();
}

inline std::string_view fuzzBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
