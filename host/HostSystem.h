// HostSystem.h - what teskhost needs of the operating system, one implementation per platform.
#pragma once

#include <string>
#include <vector>

#include "qlffhook.h"

// The three entry points of a loaded hook library.
struct HookEntryPoints {
    int32_t(QLFFHOOK_CALL* initSession)(void) = nullptr;
    int32_t(QLFFHOOK_CALL* proc)(const PropertyEntry*, int32_t, int32_t, uintptr_t, LogCallback) = nullptr;
    int32_t(QLFFHOOK_CALL* closeSession)(void) = nullptr;
};

// The program's arguments without its name, as UTF-8 (on Windows read from
// the wide command line).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes standard output and error carry exactly the bytes written: no CRLF translation.
void UseBinaryStandardStreams();

// The path of the hook library beside this program.
std::string DefaultLibraryPath();

// Loads the library for the life of the process and finds its entry points.
// On failure returns false with the loader's reason in *error.
bool LoadHookLibrary(const std::string& path, HookEntryPoints* entryPoints, std::string* error);

// Points the platform emulation at a machine folder. False where there is no
// emulation (Windows), with the reason in *error.
bool SetMachineRoot(const std::string& root, std::string* error);
