// HostOptions.cpp - parsing of teskhost's options, mode and phases.
#include "HostOptions.h"

#include <cerrno>
#include <cstdlib>
#include <iterator>

#include "qlffhook.h"

const char* const kHostUsage =
    "usage: teskhost [options] MODE [PHASE...]\n"
    "  MODE   install, reinstall, uninstall, or an integer\n"
    "  PHASE  pre-system-check, pre-payload, post-payload, session-open,\n"
    "         session-close, or an integer; without PHASE the whole mode runs\n"
    "         as an installer runs it\n"
    "options:\n"
    "  --library PATH        the hook library (default: the one beside teskhost)\n"
    "  --property NAME=VALUE a host property; repeatable, kept in order\n"
    "  --no-properties       pass no property map at all\n"
    "  --no-callback         pass no log callback\n"
    "  --root DIR            the machine folder of the platform emulation\n"
    "  --payload DIR         lay DIR's files into INSTALLDIR between pre-payload\n"
    "                        and post-payload of a whole run\n"
    "  --help                show this text\n"
    "The hook's log lines go to standard output, teskhost's own lines to\n"
    "standard error. Exit status: 0, the first nonzero phase result, 1 when the\n"
    "library cannot be used, 2 for a usage error.\n";

namespace {

struct NamedValue {
    const char* name;
    int32_t value;
};

constexpr NamedValue kModes[] = {
    {"install", InstallMode_Install},
    {"reinstall", InstallMode_Reinstall},
    {"uninstall", InstallMode_Uninstall},
};

constexpr NamedValue kPhases[] = {
    {"pre-system-check", EntryMode_PreSystemCheck}, {"pre-payload", EntryMode_PrePayload},
    {"post-payload", EntryMode_PostPayload},        {"session-open", EntryMode_SessionOpen},
    {"session-close", EntryMode_SessionClose},
};

// The phases of a whole run, in the order an installer calls them.
constexpr int32_t kWholeRun[] = {EntryMode_SessionOpen, EntryMode_PreSystemCheck, EntryMode_PrePayload,
                                 EntryMode_PostPayload, EntryMode_SessionClose};

template <std::size_t N>
bool ParseNamed(const NamedValue (&table)[N], const std::string& text, int32_t* value, std::string* label) {
    for (const NamedValue& entry : table) {
        if (text == entry.name) {
            *value = entry.value;
            *label = entry.name;
            return true;
        }
    }
    if (!ParseInt32(text, value)) {
        return false;
    }
    *label = std::to_string(*value);
    for (const NamedValue& entry : table) {
        if (*value == entry.value) {
            *label = entry.name;
        }
    }
    return true;
}

HostCall PhaseCall(int32_t entryMode, std::string label) {
    HostCall call;
    call.kind = HostCall::Kind::Phase;
    call.entryMode = entryMode;
    call.label = std::move(label);
    return call;
}

HostCall SessionCall(HostCall::Kind kind, const char* label) {
    HostCall call;
    call.kind = kind;
    call.label = label;
    return call;
}

std::string LabelOf(int32_t entryMode) {
    for (const NamedValue& entry : kPhases) {
        if (entry.value == entryMode) {
            return entry.name;
        }
    }
    return std::to_string(entryMode);
}

}  // namespace

bool ParseInt32(const std::string& text, int32_t* value) {
    if (text.empty() || text.find_first_not_of("+-0123456789") != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    *value = static_cast<int32_t>(parsed);
    return true;
}

HostParseResult ParseHostArguments(const std::vector<std::string>& arguments) {
    HostParseResult result;
    HostOptions& options = result.options;
    std::vector<std::string> positional;

    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        const std::string& argument = *it;
        // Options that take a value read the next argument.
        auto takeValue = [&](std::string* value) {
            if (std::next(it) == arguments.end()) {
                result.error = "option " + argument + " needs a value";
                return false;
            }
            *value = *++it;
            return true;
        };
        if (!positional.empty() || argument.empty() || argument[0] != '-' || argument == "-" ||
            (argument.size() > 1 && argument[1] >= '0' && argument[1] <= '9')) {
            positional.push_back(argument);  // MODE and PHASEs, negative numbers included
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
            return result;
        } else if (argument == "--library") {
            if (!takeValue(&options.library)) return result;
        } else if (argument == "--property") {
            std::string property;
            if (!takeValue(&property)) return result;
            const std::size_t equals = property.find('=');
            if (equals == std::string::npos || equals == 0) {
                result.error = "property '" + property + "' is not NAME=VALUE";
                return result;
            }
            options.properties.emplace_back(property.substr(0, equals), property.substr(equals + 1));
        } else if (argument == "--no-properties") {
            options.noProperties = true;
        } else if (argument == "--no-callback") {
            options.noCallback = true;
        } else if (argument == "--root") {
            if (!takeValue(&options.root)) return result;
            options.hasRoot = true;
        } else if (argument == "--payload") {
            if (!takeValue(&options.payload)) return result;
            options.hasPayload = true;
        } else {
            result.error = "unknown option " + argument;
            return result;
        }
    }

    if (options.noProperties && !options.properties.empty()) {
        result.error = "--no-properties and --property exclude each other";
        return result;
    }
    if (positional.empty()) {
        result.error = "no MODE given";
        return result;
    }
    if (!ParseNamed(kModes, positional[0], &options.installMode, &options.modeLabel)) {
        result.error = "unknown mode '" + positional[0] + "'";
        return result;
    }
    options.wholeRun = positional.size() == 1;
    if (options.wholeRun) {
        options.calls.push_back(SessionCall(HostCall::Kind::InitSession, "init-session"));
        for (int32_t entryMode : kWholeRun) {
            options.calls.push_back(PhaseCall(entryMode, LabelOf(entryMode)));
        }
        options.calls.push_back(SessionCall(HostCall::Kind::CloseSession, "close-session"));
    } else {
        for (auto phase = positional.begin() + 1; phase != positional.end(); ++phase) {
            int32_t entryMode = 0;
            std::string label;
            if (!ParseNamed(kPhases, *phase, &entryMode, &label)) {
                result.error = "unknown phase '" + *phase + "'";
                return result;
            }
            options.calls.push_back(PhaseCall(entryMode, label));
        }
    }
    if (options.hasPayload && !options.wholeRun) {
        result.error = "--payload needs a whole run (no PHASE)";
        return result;
    }
    return result;
}
