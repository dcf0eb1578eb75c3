// The plugin. It keeps no state: the host function table is the only thing that outlives
// a call.
#pragma once

#include "plugin/mnzrPluginInterface.h"

class QUORVEL_EXPORT Quorvel : public MNZRPluginInterface {
public:
    Quorvel();
#if defined(__MINGW32__)
    // Slot 0 as the host sees it (see MNZRPluginInterface): destroys the object and, with
    // bit 0 of the flags set, frees it with the module's own allocator.
    void* deletingDestructor(unsigned int flags) override;
    ~Quorvel();
#else
    ~Quorvel() override;
#endif

    // One batch run; the host calls it only after initPlugin returned true.
    bool execute() override;
    // Binds the host's entry points and checks the host; false refuses the host.
    bool initPlugin() override;
};
