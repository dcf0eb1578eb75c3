// The plugin interface the host programs against. The host deletes plugin objects through
// it, so the destructor's slot comes first: destructor, execute, initPlugin.
#pragma once

#include "plugin/pluginExport.h"

class QUORVEL_EXPORT MNZRPluginInterface {
public:
    MNZRPluginInterface();
    MNZRPluginInterface(const MNZRPluginInterface& other);
    MNZRPluginInterface& operator=(const MNZRPluginInterface& other);

#if defined(__MINGW32__)
    // The host is built with Microsoft's compiler, whose table has one destructor slot: a
    // deleting destructor that takes flags (bit 0: free the memory) and returns the object.
    // GCC and Clang targeting MinGW give a virtual destructor two slots, which would put
    // execute and initPlugin one slot off. So here slot 0 is declared by hand; the calling
    // convention of both compilers is the same on 64-bit Windows.
    virtual void* deletingDestructor(unsigned int flags);
#else
    virtual ~MNZRPluginInterface();
#endif

    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;

#if defined(__MINGW32__)
protected:
    // Not virtual here, and not for callers: a plugin is destroyed through slot 0, as the
    // host does it (`plugin->deletingDestructor(1)` where `delete plugin` is written elsewhere).
    ~MNZRPluginInterface();
#endif
};
