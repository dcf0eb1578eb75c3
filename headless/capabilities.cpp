#include "headless/capabilities.h"

namespace morvane {

std::vector<AddCommands> morvaneCapabilities() {
    // Files that extend the plugin's design matrices come before the report that shows them.
    return {};
}

}  // namespace morvane
