// teskhost.cpp - runs the hook library as an installer would: load it, open a session, call its phases.
//
// Standard output carries exactly the hook's log lines, one per callback call;
// teskhost's own lines go to standard error.
#include <cstdio>
#include <string>
#include <vector>

#include "HostOptions.h"
#include "HostSystem.h"
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
    }
    return exitStatus;
}
