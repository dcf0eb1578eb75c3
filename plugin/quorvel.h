// The plugin. It keeps no state: the host function table is the only thing that outlives
// a call.
#pragma once

#include "plugin/mnzrPluginInterface.h"

class QUORVEL_EXPORT Quorvel : public MNZRPluginInterface {
public:
    Quorvel();
    ~Quorvel() override;

    // One batch run; the host calls it only after initPlugin returned true.
    bool execute() override;
    // Binds the host's entry points and checks the host; false refuses the host.
    bool initPlugin() override;
};
