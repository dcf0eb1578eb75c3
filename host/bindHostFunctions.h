// Filling the host function table by name from the host's executable module.
#pragma once

#include <functional>

#include "host/hostFunctionTable.h"

// How the binding reaches the host: a loaded module by file name, an export by name. The
// real process uses the platform's module lookup; tests script both.
struct HostLookup {
    std::function<void*(const char* fileName)> findModule;
    std::function<UntypedHostFunction(void* module, const char* name)> findExport;
};

// The lookup through the platform layer, against this process.
HostLookup processHostLookup();

// Finds the host as "Morvane.exe", else "MorvaneZR.exe", and binds every entry of the table
// from it. False, without a message, when neither is loaded (the table is untouched) or when
// the host lacks zrGetVersionOfMorvaneZR (then no other name is looked up). A missing
// entry point other than that one leaves its entry null and does not stop the binding.
bool bindHostFunctionsWith(HostFunctionTable& table, const HostLookup& lookup);

// The same against this process, into the module-wide table.
bool bindHostFunctions();
