// SharedProcs.h - Firefox plug-in management: the operations the phase handlers run, and their shared state.
//
// Every operation takes the HookContext of the current phase call, which it
// uses for logging (and, for GetQL_FFPluginDIR, for the INSTALLDIR property).
// The steps return 1 for success and 0 for failure; every line they log is
// LogPrefix followed at once by the message.
#pragma once

#include <cstdint>
#include <string>

#include "HookContext.h"

namespace SharedProcs {

// "QL FF Plugin Custom Hook: ", in front of every line of this unit.
extern const char LogPrefix[];

// The Firefox installation directory, set by a successful SearchForFirefoxPath.
extern std::u16string FirefoxInstallDIR;
// The folder holding the plug-in library to copy, set by GetQL_FFPluginDIR.
extern std::u16string QL_FFPluginDIR;

// Sends LogPrefix + message to the host.
void LogLine(const HookContext& context, const std::string& message);

// UTF-8 to UTF-16; malformed input as the platform renders it; any failure
// yields an empty string.
std::u16string Utf8ToWide(const std::string& text);

// UTF-16, up to its first NUL, to the calling thread's ANSI code page; any
// failure yields an empty string.
std::string WideToAnsi(const std::u16string& text);

// QL_FFPluginDIR = INSTALLDIR + "\Corvane Quillet Tesk5.1\Plugins\FirefoxPlugin",
// logged. Without an INSTALLDIR value it logs so and empties QL_FFPluginDIR.
void GetQL_FFPluginDIR(const HookContext& context);

// Reads Firefox's folder from its App Paths registration into FirefoxInstallDIR.
int32_t SearchForFirefoxPath(const HookContext& context);

// Accepts the Firefox version recorded in the registry when it is 3.x.
int32_t VerifyFirefoxVersion(const HookContext& context);

// Copies npQuillet.dll from QL_FFPluginDIR into Firefox's "plugins" folder.
int32_t InstallFirefoxPlugin(const HookContext& context);

// Deletes npQuillet.dll from Firefox's "plugins" folder; the deletion's result.
int32_t UninstallFirefoxPlugin(const HookContext& context);

// Deletes the old extension folder, with everything in it, from Firefox.
int32_t UninstallFirefoxExtn(const HookContext& context);

// Install sequence, run after the product's files are laid down: finds a
// supported Firefox and copies the plug-in library into it. The outcome is
// reported only through the log.
void InstallFirefoxAddons(const HookContext& context);

// Uninstall sequence, run before the product's files change: finds a supported
// Firefox and deletes the plug-in library from it and, when `uninstallExtn`
// is set and that deletion succeeded, the old extension folder.
void UninstallFirefoxAddons(const HookContext& context, bool uninstallExtn);

}  // namespace SharedProcs
