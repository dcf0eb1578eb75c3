#include "plugin/quorvel.h"

#include "batch/runBatch.h"
#include "host/bindHostFunctions.h"
#include "plugin/initPluginWith.h"

Quorvel::Quorvel() = default;

Quorvel::~Quorvel() = default;

#if defined(__MINGW32__)
void* Quorvel::deletingDestructor(unsigned int flags) {
    this->~Quorvel();
    if ((flags & 1u) != 0) ::operator delete(this);
    return this;
}
#endif

bool Quorvel::execute() { return runBatch(); }

bool Quorvel::initPlugin() {
    // Nothing may be thrown back into the host; running out of memory refuses the host.
    try {
        return initPluginWith(processHostLookup());
    } catch (...) {
        return false;
    }
}
