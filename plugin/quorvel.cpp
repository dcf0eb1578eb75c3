#include "plugin/quorvel.h"

#include "host/bindHostFunctions.h"
#include "plugin/initPluginWith.h"

Quorvel::Quorvel() = default;

Quorvel::~Quorvel() = default;

bool Quorvel::execute() {
    // The batch run goes here.
    return true;
}

bool Quorvel::initPlugin() {
    // Nothing may be thrown back into the host; running out of memory refuses the host.
    try {
        return initPluginWith(processHostLookup());
    } catch (...) {
        return false;
    }
}
