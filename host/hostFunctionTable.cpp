#include "host/hostFunctionTable.h"

// Empty at load; written only by the binding, never cleared.
HostFunctionTable hostFunctions;
