#include "platform/moduleLookup.h"

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

bool moduleFileNameMatches(std::string_view moduleFileName, std::string_view requestedName) {
    if (requestedName.empty()) return false;
    if (equalIgnoringCase(moduleFileName, requestedName)) return true;
    constexpr std::string_view programSuffix = ".exe";
    if (requestedName.size() > programSuffix.size() &&
        equalIgnoringCase(requestedName.substr(requestedName.size() - programSuffix.size()),
                          programSuffix)) {
        return equalIgnoringCase(moduleFileName,
                                 requestedName.substr(0, requestedName.size() - programSuffix.size()));
    }
    return false;
}
