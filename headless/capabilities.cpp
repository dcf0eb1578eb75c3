#include "headless/capabilities.h"

#include "bids/bidsCommands.h"
#include "confoundmodels/confoundModelCommands.h"

#if defined(MORVANE_WITH_REPORT)
#include "report/reportCommand.h"
#endif

namespace morvane {

std::vector<AddCommands> morvaneCapabilities() {
    // Files that extend the plugin's design matrices come before the report that shows them.
    return {
        addBidsCommands,
        addConfoundModelCommands,
#if defined(MORVANE_WITH_REPORT)
        addReportCommands,
#endif
    };
}

}  // namespace morvane
