// The module's plain C functions: the plugin's metadata and its factory. The metadata
// functions may be called at any time, with or without a plugin object.
#pragma once

#include "plugin/mnzrPluginInterface.h"
#include "plugin/pluginExport.h"

extern "C" {
// A new plugin object, owned by the host and deleted through MNZRPluginInterface; null
// only when no memory is left.
QUORVEL_EXPORT MNZRPluginInterface* createPlugin();
QUORVEL_EXPORT const char* getAuthor();
QUORVEL_EXPORT const char* getGUIScript();
QUORVEL_EXPORT const char* getHelpFile();
QUORVEL_EXPORT const char* getPluginDescription();
QUORVEL_EXPORT const char* getPluginName();
QUORVEL_EXPORT const char* getPluginVersion();
}
