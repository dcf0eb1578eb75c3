#include "plugin/mnzrPluginInterface.h"

// The interface holds no data: construction only sets the dynamic type, copying copies
// nothing, and destruction releases nothing.
MNZRPluginInterface::MNZRPluginInterface() = default;

MNZRPluginInterface::MNZRPluginInterface(const MNZRPluginInterface&) {}

MNZRPluginInterface& MNZRPluginInterface::operator=(const MNZRPluginInterface&) { return *this; }

MNZRPluginInterface::~MNZRPluginInterface() = default;
