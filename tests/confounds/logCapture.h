// Collects the lines the code under test hands to zrLogText, for as long as it lives.
#pragma once

#include <string>
#include <vector>

#include "host/hostFunctionTable.h"

class LogCapture {
public:
    LogCapture() : saved_(hostFunctions) {
        active = this;
        hostFunctions.zrLogText = [](const char* text) { active->lines.emplace_back(text); };
    }
    ~LogCapture() {
        hostFunctions = saved_;
        active = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines;

private:
    static inline LogCapture* active = nullptr;
    HostFunctionTable saved_;
};
