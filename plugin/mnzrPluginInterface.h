// The plugin interface the host programs against. The host deletes plugin objects through
// it, so the destructor is virtual and its slot comes first: destructor, execute, initPlugin.
#pragma once

#include "plugin/pluginExport.h"

class QUORVEL_EXPORT MNZRPluginInterface {
public:
    MNZRPluginInterface();
    MNZRPluginInterface(const MNZRPluginInterface& other);
    MNZRPluginInterface& operator=(const MNZRPluginInterface& other);
    virtual ~MNZRPluginInterface();

    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};
