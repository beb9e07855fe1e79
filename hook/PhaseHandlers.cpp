// PhaseHandlers.cpp - the fifteen phase handlers and the table that chooses among them.
//
// Every handler logs "In " and its own name, runs its add-on sequence if it
// has one, and returns 0: plug-in work never fails a phase.
#include "PhaseHandlers.h"

#include "SharedProcs.h"

namespace {

int32_t InstallPreSystemCheckProc(const HookContext& context) {
    context.Log("In InstallPreSystemCheckProc");
    return 0;
}

int32_t PrePayloadInstallProc(const HookContext& context) {
    context.Log("In PrePayloadInstallProc");
    SharedProcs::UninstallFirefoxAddons(context, true);
    return 0;
}

int32_t PostPayloadInstallProc(const HookContext& context) {
    context.Log("In PostPayloadInstallProc");
    SharedProcs::InstallFirefoxAddons(context);
    return 0;
}

int32_t InstallSessionOpenProc(const HookContext& context) {
    context.Log("In InstallSessionOpenProc");
    return 0;
}

int32_t InstallSessionCloseProc(const HookContext& context) {
    context.Log("In InstallSessionCloseProc");
    return 0;
}

int32_t ReinstallPreSystemCheckProc(const HookContext& context) {
    context.Log("In ReinstallPreSystemCheckProc");
    return 0;
}

int32_t PrePayloadReinstallProc(const HookContext& context) {
    context.Log("In PrePayloadReinstallProc");
    SharedProcs::UninstallFirefoxAddons(context, true);
    return 0;
}

int32_t PostPayloadReinstallProc(const HookContext& context) {
    context.Log("In PostPayloadReinstallProc");
    SharedProcs::InstallFirefoxAddons(context);
    return 0;
}

int32_t ReinstallSessionOpenProc(const HookContext& context) {
    context.Log("In ReinstallSessionOpenProc");
    return 0;
}

int32_t ReinstallSessionCloseProc(const HookContext& context) {
    context.Log("In ReinstallSessionCloseProc");
    return 0;
}

int32_t UninstallPreSystemCheckProc(const HookContext& context) {
    context.Log("In UninstallPreSystemCheckProc");
    return 0;
}

int32_t PrePayloadUninstallProc(const HookContext& context) {
    context.Log("In PrePayloadUninstallProc");
    SharedProcs::UninstallFirefoxAddons(context, false);
    return 0;
}

int32_t PostPayloadUninstallProc(const HookContext& context) {
    context.Log("In PostPayloadUninstallProc");
    return 0;
}

int32_t UninstallSessionOpenProc(const HookContext& context) {
    context.Log("In UninstallSessionOpenProc");
    return 0;
}

int32_t UninstallSessionCloseProc(const HookContext& context) {
    context.Log("In UninstallSessionCloseProc");
    return 0;
}

using PhaseHandler = int32_t (*)(const HookContext&);

constexpr uint32_t kPhaseCount = 5;

// Rows by install mode (install, reinstall, uninstall), columns by phase.
constexpr PhaseHandler kHandlers[3][kPhaseCount] = {
    {InstallPreSystemCheckProc, PrePayloadInstallProc, PostPayloadInstallProc, InstallSessionOpenProc,
     InstallSessionCloseProc},
    {ReinstallPreSystemCheckProc, PrePayloadReinstallProc, PostPayloadReinstallProc, ReinstallSessionOpenProc,
     ReinstallSessionCloseProc},
    {UninstallPreSystemCheckProc, PrePayloadUninstallProc, PostPayloadUninstallProc, UninstallSessionOpenProc,
     UninstallSessionCloseProc},
};

}  // namespace

int32_t DispatchPhase(const HookContext& context) {
    const int32_t mode = context.InstallMode;
    if (mode != InstallMode_Install && mode != InstallMode_Reinstall && mode != InstallMode_Uninstall) {
        context.Log("Unsupported install mode specified.");
        return HookResult_UnsupportedInstallMode;
    }
    // As an unsigned number every negative phase is above 4 too.
    const uint32_t phase = static_cast<uint32_t>(context.EntryMode);
    if (phase >= kPhaseCount) {
        context.Log("Unsupported entry mode specified.");
        return HookResult_UnsupportedEntryMode;
    }
    return kHandlers[mode][phase](context);
}
