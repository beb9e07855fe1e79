/* qlffhook.h - the host's view of the Firefox plug-in custom hook.
 *
 * Plain C, for installers that load qlffhook.dll (or libqlffhook.so) and call
 * its three entry points. Every entry point and the log callback use the C
 * calling convention (__cdecl on 32-bit Windows). */
#ifndef QLFFHOOK_H
#define QLFFHOOK_H

#include <stdint.h>

#if defined(_WIN32)
#define QLFFHOOK_CALL __cdecl
#else
#define QLFFHOOK_CALL
#endif

/* Set only while the library itself is built: marks the three exports. */
#if defined(QLFFHOOK_BUILDING) && !defined(_WIN32)
#define QLFFHOOK_API __attribute__((visibility("default")))
#else
#define QLFFHOOK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One host property. The map is a contiguous array of entries ended by the
 * first entry whose Name is null. Both texts are NUL-terminated; values are
 * UTF-8. The hook only reads the map, and only during the phase call. */
typedef struct PropertyEntry {
    const char *Name;
    const char *Value;
} PropertyEntry;

/* Receives one log line: NUL-terminated narrow text, no line end. The text is
 * valid only until the callback returns; copy it to keep it. */
typedef void (QLFFHOOK_CALL *LogCallback)(const char *line);

/* The install mode, third argument of TeskInstallerCustomHookProc. */
typedef enum InstallMode {
    InstallMode_Install = 0,
    InstallMode_Reinstall = 1,
    InstallMode_Uninstall = 2
} InstallMode;

/* The phase, second argument of TeskInstallerCustomHookProc. */
typedef enum EntryMode {
    EntryMode_PreSystemCheck = 0,
    EntryMode_PrePayload = 1,
    EntryMode_PostPayload = 2,
    EntryMode_SessionOpen = 3,
    EntryMode_SessionClose = 4
} EntryMode;

/* Results of TeskInstallerCustomHookProc; no other value is returned. */
typedef enum HookResult {
    HookResult_Success = 0,
    HookResult_UnsupportedInstallMode = 3,
    HookResult_UnsupportedEntryMode = 4
} HookResult;

/* Called once when the installer opens its session. Does nothing; returns 0. */
QLFFHOOK_API int32_t QLFFHOOK_CALL TeskInstallerCustomHookInitSession(void);

/* Called once for every phase of an install, a reinstall or an uninstall.
 * propertyMap and logCallback may be null; reserved is never read.
 * Returns a HookResult. Never lets a C++ exception out. */
QLFFHOOK_API int32_t QLFFHOOK_CALL TeskInstallerCustomHookProc(
    const PropertyEntry *propertyMap, int32_t entryMode, int32_t installMode,
    uintptr_t reserved, LogCallback logCallback);

/* Called once when the installer closes its session. Does nothing; returns 0. */
QLFFHOOK_API int32_t QLFFHOOK_CALL TeskInstallerCustomHookCloseSession(void);

#ifdef __cplusplus
}
#endif

#endif /* QLFFHOOK_H */
