// teskhost.cpp - runs the hook library as an installer would: load it, open a session, call its phases.
//
// Standard output carries exactly the hook's log lines, one per callback call;
// teskhost's own lines go to standard error.
#include <cstdio>
#include <string>
#include <vector>

#include "HostOptions.h"
#include "HostSystem.h"
#include "Payload.h"
#include "qlffhook.h"

namespace {

void QLFFHOOK_CALL PrintLogLine(const char* line) {
    std::fputs(line != nullptr ? line : "(null)", stdout);
    std::fputc('\n', stdout);
}

int UsageError(const std::string& reason) {
    std::fprintf(stderr, "teskhost: %s\n%s", reason.c_str(), kHostUsage);
    return 2;
}

// The host's property map: the entries in the order given, then the end entry.
std::vector<PropertyEntry> BuildPropertyMap(const HostOptions& options) {
    std::vector<PropertyEntry> map;
    for (const auto& property : options.properties) {
        map.push_back(PropertyEntry{property.first.c_str(), property.second.c_str()});
    }
    map.push_back(PropertyEntry{nullptr, nullptr});
    return map;
}

int32_t Call(const HookEntryPoints& hook, const HostOptions& options, const HostCall& call,
             const PropertyEntry* propertyMap) {
    const LogCallback callback = options.noCallback ? nullptr : PrintLogLine;
    switch (call.kind) {
        case HostCall::Kind::InitSession:
            return hook.initSession();
        case HostCall::Kind::CloseSession:
            return hook.closeSession();
        case HostCall::Kind::Phase:
            break;
    }
    return hook.proc(propertyMap, call.entryMode, options.installMode, 0, callback);
}

// The INSTALLDIR value given with --property, or null.
const std::string* InstallDirProperty(const HostOptions& options) {
    for (const auto& property : options.properties) {
        if (property.first == "INSTALLDIR") return &property.second;
    }
    return nullptr;
}

// After pre-payload an installer changes the product's files: it lays the
// payload down (install, reinstall) or takes it away (uninstall).
bool ChangeProductFiles(const HostOptions& options, const std::filesystem::path& installFolder) {
    std::string error;
    const bool removing = options.installMode == InstallMode_Uninstall;
    const long files = removing ? RemovePayload(options.payload, installFolder, &error)
                                : LayDownPayload(options.payload, installFolder, &error);
    if (files < 0) {
        std::fprintf(stderr, "teskhost: %s\n", error.c_str());
        return false;
    }
    std::fprintf(stderr, "teskhost: %s %ld files of %s %s %s\n", removing ? "removed" : "laid down", files,
                 options.payload.c_str(), removing ? "from" : "into", installFolder.string().c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    UseBinaryStandardStreams();
    const HostParseResult parsed = ParseHostArguments(ProgramArguments(argc, argv));
    if (!parsed.error.empty()) {
        return UsageError(parsed.error);
    }
    const HostOptions& options = parsed.options;
    if (options.help) {
        std::fputs(kHostUsage, stdout);
        return 0;
    }
    std::string error;
    if (options.hasRoot && !SetMachineRoot(options.root, &error)) {
        return UsageError(error);
    }

    const std::string library = options.library.empty() ? DefaultLibraryPath() : options.library;
    HookEntryPoints hook;
    if (!LoadHookLibrary(library, &hook, &error)) {
        std::fprintf(stderr, "teskhost: %s\n", error.c_str());
        return 1;
    }

    std::filesystem::path installFolder;
    if (options.hasPayload) {
        const std::string* installDir = InstallDirProperty(options);
        if (installDir == nullptr) {
            return UsageError("--payload needs --property INSTALLDIR=...");
        }
        if (!InstallDirFolder(*installDir, &installFolder, &error)) {
            return UsageError(error);
        }
    }

    const std::vector<PropertyEntry> propertyMap = BuildPropertyMap(options);
    int exitStatus = 0;
    for (const HostCall& call : options.calls) {
        const int32_t result = Call(hook, options, call, options.noProperties ? nullptr : propertyMap.data());
        std::fflush(stdout);
        if (call.kind == HostCall::Kind::Phase) {
            std::fprintf(stderr, "teskhost: %s %s -> %d\n", options.modeLabel.c_str(), call.label.c_str(),
                         static_cast<int>(result));
        } else {
            std::fprintf(stderr, "teskhost: %s -> %d\n", call.label.c_str(), static_cast<int>(result));
        }
        if (exitStatus == 0 && result != 0) {
            exitStatus = result;
        }
        if (options.hasPayload && call.kind == HostCall::Kind::Phase && call.entryMode == EntryMode_PrePayload &&
            !ChangeProductFiles(options, installFolder)) {
            return 1;
        }
    }
    return exitStatus;
}
