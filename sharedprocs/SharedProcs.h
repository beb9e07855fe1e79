// SharedProcs.h - Firefox plug-in management: the operations the phase handlers run.
#pragma once

#include "HookContext.h"

namespace SharedProcs {

// Install sequence, run after the product's files are laid down: finds a
// supported Firefox and copies the plug-in library into its "plugins" folder.
// The outcome is reported only through the log.
void InstallFirefoxAddons(const HookContext& context);

// Uninstall sequence, run before the product's files change: finds a supported
// Firefox and deletes the plug-in library from it and, when `uninstallExtn`
// is set and that deletion succeeded, the old extension folder.
void UninstallFirefoxAddons(const HookContext& context, bool uninstallExtn);

}  // namespace SharedProcs
