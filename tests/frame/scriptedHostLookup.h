// A host lookup for tests: which modules are "loaded", what each exports, and a record of
// every look-up the binding makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/bindHostFunctions.h"
#include "host/hostEntryPointNames.h"

// A distinct, never-called address for entry i of a host numbered by base.
inline UntypedHostFunction fakeHostAddress(std::size_t base, std::size_t i) {
    return reinterpret_cast<UntypedHostFunction>(std::uintptr_t{0x100000} * (base + 1) + 16 * i);
}

using HostExports = std::map<std::string, UntypedHostFunction>;

// Every entry point of the list, at fake addresses of host number base.
inline HostExports allHostExports(std::size_t base) {
    HostExports exports;
    for (std::size_t i = 0; i < hostEntryPointCount; ++i)
        exports[hostEntryPointNames[i]] = fakeHostAddress(base, i);
    return exports;
}

struct ScriptedHostLookup {
    std::map<std::string, HostExports> modules;  // loaded modules by file name
    std::vector<std::string> moduleLookups;
    std::vector<std::string> exportLookups;

    HostLookup lookup() {
        return HostLookup{
            [this](const char* fileName) -> void* {
                moduleLookups.emplace_back(fileName);
                auto found = modules.find(fileName);
                return found == modules.end() ? nullptr : &found->second;
            },
            [this](void* module, const char* name) -> UntypedHostFunction {
                exportLookups.emplace_back(name);
                const auto& exports = *static_cast<HostExports*>(module);
                auto found = exports.find(name);
                return found == exports.end() ? nullptr : found->second;
            },
        };
    }
};

// The table's entries in table order, each as an untyped address.
inline std::vector<std::pair<std::string, UntypedHostFunction>> tableEntries(
    const HostFunctionTable& table) {
    std::vector<std::pair<std::string, UntypedHostFunction>> entries;
#define QUORVEL_ENTRY_TYPED(name, result, parameters) \
    entries.emplace_back(#name, reinterpret_cast<UntypedHostFunction>(table.name));
#define QUORVEL_ENTRY_UNTYPED(name) entries.emplace_back(#name, table.name);
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_ENTRY_TYPED, QUORVEL_ENTRY_UNTYPED)
#undef QUORVEL_ENTRY_TYPED
#undef QUORVEL_ENTRY_UNTYPED
    return entries;
}
