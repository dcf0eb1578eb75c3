#include "plugin/pluginExports.h"

#include <new>

#include "plugin/pluginMetadata.h"
#include "plugin/quorvel.h"

// No exception may reach the host, so allocation failure becomes a null object.
MNZRPluginInterface* createPlugin() { return new (std::nothrow) Quorvel(); }

const char* getAuthor() { return pluginAuthor; }

const char* getGUIScript() { return pluginGuiScript; }

const char* getHelpFile() { return pluginHelpFile; }

const char* getPluginDescription() { return pluginDescription; }

const char* getPluginName() { return pluginName; }

const char* getPluginVersion() { return pluginVersion; }
