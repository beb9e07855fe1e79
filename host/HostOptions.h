// HostOptions.h - the command line of teskhost, parsed into what to run.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One call that teskhost makes into the hook, in the order of the run.
struct HostCall {
    enum class Kind { InitSession, Phase, CloseSession };
    Kind kind = Kind::Phase;
    int32_t entryMode = 0;  // for Kind::Phase
    std::string label;      // as the host prints it, e.g. "pre-payload"
};

struct HostOptions {
    bool help = false;
    std::string library;  // empty: the library beside the program
    std::vector<std::pair<std::string, std::string>> properties;  // in the order given
    bool noProperties = false;
    bool noCallback = false;
    bool hasRoot = false;
    std::string root;
    bool hasPayload = false;
    std::string payload;
    int32_t installMode = 0;
    std::string modeLabel;
    bool wholeRun = false;  // no PHASE given: the whole mode, as an installer runs it
    std::vector<HostCall> calls;
};

struct HostParseResult {
    HostOptions options;
    std::string error;  // empty when the command line is valid
};

// `arguments` are the program's arguments without its name, as UTF-8.
HostParseResult ParseHostArguments(const std::vector<std::string>& arguments);

// Reads a whole decimal 32-bit integer with an optional sign; false for
// anything else, out-of-range values included.
bool ParseInt32(const std::string& text, int32_t* value);

extern const char* const kHostUsage;
