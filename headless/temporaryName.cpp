#include "headless/temporaryName.h"

#include <cstdlib>

namespace morvane {

long pidOfTemporaryName(const std::string& name, const std::string& prefix) {
    static const std::string suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const auto dash = middle.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == middle.size()) return 0;
    for (std::size_t i = 0; i < middle.size(); ++i) {
        if (i != dash && (middle[i] < '0' || middle[i] > '9')) return 0;
    }
    const long pid = std::strtol(middle.substr(0, dash).c_str(), nullptr, 10);
    return pid > 0 ? pid : 0;
}

}  // namespace morvane
