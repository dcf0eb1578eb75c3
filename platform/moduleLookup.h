// Finding a module that is already loaded into this process and the address of one of its
// exports. Used to reach the host executable that loaded the plugin; nothing is loaded and
// no reference to a module is kept.
#pragma once

#include <string_view>

// The address of an export, whatever its real signature.
using ModuleExport = void (*)();

// The module loaded under this file name, or null. Windows compares module names without
// regard to case; elsewhere the same holds, and a requested ".exe" suffix may be absent
// from the module's file name, since programs there carry no suffix. The main program
// counts as a loaded module.
void* findLoadedModule(const char* fileName);

// The address of the named export of that module itself (not of a library it uses), or null.
ModuleExport findModuleExport(void* module, const char* name);

// Whether a module's file name (no folder) answers to the requested name, as above.
bool moduleFileNameMatches(std::string_view moduleFileName, std::string_view requestedName);
