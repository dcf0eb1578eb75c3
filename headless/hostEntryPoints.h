// The session that the exported host entry points serve.
#pragma once

namespace morvane {

class HostSession;

// Every entry point works on this session; with none, they report failure.
void setEntryPointSession(HostSession* session);

}  // namespace morvane
