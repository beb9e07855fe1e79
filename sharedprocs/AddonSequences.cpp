// AddonSequences.cpp - the install and uninstall sequences: fixed chains of steps that stop at the first failure.
#include "SharedProcs.h"

namespace SharedProcs {

void InstallFirefoxAddons(const HookContext& context) {
    LogLine(context, "SharedProcs::InstallFirefoxAddons");
    GetQL_FFPluginDIR(context);
    int32_t status = SearchForFirefoxPath(context);
    if (status != 0) status = VerifyFirefoxVersion(context);
    if (status != 0) status = InstallFirefoxPlugin(context);
    LogLine(context, status != 0 ? "InstallFirefoxAddons->Firefox addons were installed successfully"
                                 : "InstallFirefoxAddons->Firefox addons could not be installed");
}

void UninstallFirefoxAddons(const HookContext& context, bool uninstallExtn) {
    LogLine(context, "SharedProcs::UninstallFirefoxAddons");
    GetQL_FFPluginDIR(context);
    int32_t status = SearchForFirefoxPath(context);
    if (status != 0) status = VerifyFirefoxVersion(context);
    if (status != 0) status = UninstallFirefoxPlugin(context);
    if (status != 0 && uninstallExtn) status = UninstallFirefoxExtn(context);
    LogLine(context, status != 0 ? "UninstallFirefoxAddons->Firefox addons were uninstalled successfully"
                                 : "UninstallFirefoxAddons->Firefox addons could not be uninstalled");
}

}  // namespace SharedProcs
