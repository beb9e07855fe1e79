// RecordingPlatform.h - a third implementation of the platform interface, for unit tests: it records every
// call with its arguments and answers from a scripted machine.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "Platform.h"

namespace recording {

struct Call {
    // "OpenRegistryKey", ..., or "Log" for a line the hook sent; a literal, so
    // that recording a call that may not throw (a key's close) allocates nothing.
    std::string_view function;
    std::u16string first;  // key path, value name, or file path
    std::u16string second;  // target path of a copy
    std::string line;       // for "Log"
    uint32_t options = 0;
    uint32_t access = 0;
    uint32_t typeIn = 0;
    uint32_t sizeIn = 0;
    bool bufferCleared = false;  // all 260 bytes of a value buffer were zero on entry
    bool failIfExists = false;
    platform::FileOperation request;  // its `from` is not valid after the call
    std::u16string deletionList;     // the request's list, its closing empty entry included
    uint32_t codePage = 0;
    uint32_t flags = 0;
    int32_t inputLength = 0;
};

struct Machine {
    // Key path -> value name -> data, all compared exactly.
    std::map<std::u16string, std::map<std::u16string, std::vector<uint8_t>>> registry;
    int32_t copyResult = 1;
    int32_t deleteResult = 1;
    int32_t fileOperationResult = 0;
    std::vector<Call> calls;
    int openKeys = 0;
};

// The scripted machine and what was called on it since the last Reset().
Machine& State();
void Reset();

// The names of the recorded calls, "Log" lines left out.
std::vector<std::string> PlatformCalls();

// A log callback that records each line as a "Log" call, in order with the platform calls.
void LogIntoCalls(const char* line);

// Sets a text value as regedit stores it: UTF-16LE with a terminating NUL.
void SetText(const std::u16string& key, const std::u16string& name, const std::u16string& text);

}  // namespace recording
