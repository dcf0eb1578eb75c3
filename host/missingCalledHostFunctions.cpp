#include "host/missingCalledHostFunctions.h"

std::vector<const char*> missingCalledHostFunctions(const HostFunctionTable& table) {
    std::vector<const char*> missing;
    // The typed entries are exactly the ones a run calls.
#define QUORVEL_CHECK_TYPED(name, result, parameters) \
    if (table.name == nullptr) missing.push_back(#name);
#define QUORVEL_CHECK_UNTYPED(name)
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_CHECK_TYPED, QUORVEL_CHECK_UNTYPED)
#undef QUORVEL_CHECK_TYPED
#undef QUORVEL_CHECK_UNTYPED
    return missing;
}
