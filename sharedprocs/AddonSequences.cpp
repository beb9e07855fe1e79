// AddonSequences.cpp - the install and uninstall sequences of the plug-in work.
#include "SharedProcs.h"

namespace SharedProcs {

void InstallFirefoxAddons(const HookContext&) {}

void UninstallFirefoxAddons(const HookContext&, bool) {}

}  // namespace SharedProcs
