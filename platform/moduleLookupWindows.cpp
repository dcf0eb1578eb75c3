#include "platform/moduleLookup.h"

#include "platform/windowsApi.h"

void* findLoadedModule(const char* fileName) {
    if (fileName == nullptr) return nullptr;
    // Takes no reference: the module stays as loaded as it was.
    return GetModuleHandleA(fileName);
}

ModuleExport findModuleExport(void* module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<ModuleExport>(GetProcAddress(static_cast<HMODULE>(module), name));
}
