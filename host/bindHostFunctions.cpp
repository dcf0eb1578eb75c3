#include "host/bindHostFunctions.h"

#include <string_view>

#include "platform/moduleLookup.h"

HostLookup processHostLookup() {
    return HostLookup{
        [](const char* fileName) { return findLoadedModule(fileName); },
        [](void* module, const char* name) -> UntypedHostFunction {
            return findModuleExport(module, name);
        },
    };
}

bool bindHostFunctionsWith(HostFunctionTable& table, const HostLookup& lookup) {
    void* host = lookup.findModule("Morvane.exe");
    if (host == nullptr) host = lookup.findModule("MorvaneZR.exe");
    if (host == nullptr) return false;

    // Without the version entry the host cannot be checked, so nothing else is bound.
    UntypedHostFunction version = lookup.findExport(host, "zrGetVersionOfMorvaneZR");
    if (version == nullptr) return false;

    // Every other name once; a missing one leaves its entry null.
    auto bind = [&](const char* name) {
        return std::string_view(name) == "zrGetVersionOfMorvaneZR" ? version
                                                                   : lookup.findExport(host, name);
    };
#define QUORVEL_BIND_TYPED(name, result, parameters) \
    table.name = reinterpret_cast<result(*) parameters>(bind(#name));
#define QUORVEL_BIND_UNTYPED(name) table.name = bind(#name);
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_BIND_TYPED, QUORVEL_BIND_UNTYPED)
#undef QUORVEL_BIND_TYPED
#undef QUORVEL_BIND_UNTYPED
    return true;
}

bool bindHostFunctions() { return bindHostFunctionsWith(hostFunctions, processHostLookup()); }
