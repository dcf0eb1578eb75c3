#include "plugin/initPluginWith.h"

#include <string>

#include "host/missingCalledHostFunctions.h"
#include "plugin/isVersionAtLeast.h"

namespace {

// Shown only when the host offers a message box; otherwise the refusal stays silent.
void showMessageIfPossible(const std::string& text) {
    if (hostFunctions.zrMessageBox != nullptr) hostFunctions.zrMessageBox(text.c_str());
}

std::string missingEntryPointsMessage(const std::vector<const char*>& missing) {
    std::string text = missing.size() == 1
                           ? "Can not execute this plugin - Morvane does not provide the function "
                           : "Can not execute this plugin - Morvane does not provide the functions ";
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0) text += ", ";
        text += missing[i];
    }
    return text + ".";
}

}  // namespace

bool initPluginWith(const HostLookup& lookup) {
    // No host entry point is known when binding fails, so nothing can be said.
    if (!bindHostFunctionsWith(hostFunctions, lookup)) return false;

    // Zero until the host fills them: a host that fills nothing counts as too old.
    int major = 0;
    int minor = 0;
    int patch = 0;
    hostFunctions.zrGetVersionOfMorvaneZR(&major, &minor, &patch);
    if (!isVersionAtLeast(major, minor, patch, 2, 9, 5)) {
        showMessageIfPossible("Can not execute this plugin - Morvane version 20 or higher required.");
        return false;
    }

    // A run calls its host entries unchecked, so a host without one of them is refused here.
    const std::vector<const char*> missing = missingCalledHostFunctions(hostFunctions);
    if (!missing.empty()) {
        showMessageIfPossible(missingEntryPointsMessage(missing));
        return false;
    }
    return true;
}
