#include "plugin/mnzrPluginInterface.h"

// The interface holds no data: construction only sets the dynamic type, copying copies
// nothing, and destruction releases nothing.
MNZRPluginInterface::MNZRPluginInterface() = default;

MNZRPluginInterface::MNZRPluginInterface(const MNZRPluginInterface&) {}

MNZRPluginInterface& MNZRPluginInterface::operator=(const MNZRPluginInterface&) { return *this; }

MNZRPluginInterface::~MNZRPluginInterface() = default;

#if defined(__MINGW32__)
void* MNZRPluginInterface::deletingDestructor(unsigned int flags) {
    this->~MNZRPluginInterface();
    if ((flags & 1u) != 0) ::operator delete(this);
    return this;
}
#endif
