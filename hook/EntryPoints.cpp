// EntryPoints.cpp - the library's three exports: a thin shell around the phase dispatch.
//
// The host calls the session entry points once per session and the phase
// entry point once per phase. No C++ exception ever leaves this file.
#include <new>

#include "HookContext.h"
#include "PhaseHandlers.h"
#include "qlffhook.h"

namespace {

// The host's callback might itself throw; nothing of that may reach the host
// from a handler that is already containing a failure.
void LogContained(const HookContext& context, const char* text) noexcept {
    try {
        context.Log(text);
    } catch (...) {
    }
}

}  // namespace

extern "C" {

QLFFHOOK_API int32_t QLFFHOOK_CALL TeskInstallerCustomHookInitSession(void) { return 0; }

QLFFHOOK_API int32_t QLFFHOOK_CALL TeskInstallerCustomHookCloseSession(void) { return 0; }

QLFFHOOK_API int32_t QLFFHOOK_CALL TeskInstallerCustomHookProc(const PropertyEntry* propertyMap, int32_t entryMode,
                                                              int32_t installMode, uintptr_t reserved,
                                                              LogCallback logCallback) {
    const HookContext context{propertyMap, entryMode, installMode, reserved, logCallback};
    // Only a supported mode and phase reach a handler, so a contained failure
    // still answers 0: plug-in work never fails a phase.
    try {
        return DispatchPhase(context);
    } catch (const std::bad_alloc&) {
        LogContained(context, "Phase abandoned: out of memory.");
    } catch (...) {
        LogContained(context, "Phase abandoned: internal error.");
    }
    return HookResult_Success;
}

}  // extern "C"
