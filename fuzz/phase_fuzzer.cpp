// phase_fuzzer.cpp - the phase entry point with fuzzed arguments, properties and registry data.
//
// Runs over the recording platform, so that the fuzzer reaches every step:
// the "Path" and "CurrentVersion" data, the install mode, the phase, the
// property map and the results of the file calls all come from the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "RecordingPlatform.h"
#include "qlffhook.h"

namespace {

void QLFFHOOK_CALL CheckLine(const char* line) {
    if (line == nullptr || std::strlen(line) > 4096) std::abort();
}

std::u16string ValueKey(bool appPaths) {
    return appPaths ? u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe"
                    : u"SOFTWARE\\Mozilla\\Mozilla Firefox";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    recording::Reset();
    recording::Machine& machine = recording::State();
    for (const bool appPaths : {true, false}) {
        if (in.ConsumeBool()) {
            auto& values = machine.registry[ValueKey(appPaths)];
            if (in.ConsumeBool()) {
                values[appPaths ? u"Path" : u"CurrentVersion"] =
                    in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 300));
            }
        }
    }
    machine.copyResult = in.ConsumeIntegralInRange<int32_t>(-1, 2);
    machine.deleteResult = in.ConsumeIntegralInRange<int32_t>(-1, 2);
    machine.fileOperationResult = in.ConsumeIntegralInRange<int32_t>(0, 3);

    const int32_t installMode = in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(0, 2) : in.ConsumeIntegral<int32_t>();
    const int32_t entryMode = in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(0, 4) : in.ConsumeIntegral<int32_t>();

    std::vector<std::string> texts;
    std::vector<bool> nullValue;
    const size_t entries = in.ConsumeIntegralInRange<size_t>(0, 4);
    for (size_t i = 0; i < entries; ++i) {
        texts.push_back(in.ConsumeBool() ? std::string("INSTALLDIR") : in.ConsumeRandomLengthString(16));
        nullValue.push_back(in.ConsumeIntegralInRange<int>(0, 7) == 0);
        texts.push_back(in.ConsumeRandomLengthString(300));
    }
    std::vector<PropertyEntry> map;
    for (size_t i = 0; i < entries; ++i) {
        map.push_back(PropertyEntry{texts[2 * i].c_str(), nullValue[i] ? nullptr : texts[2 * i + 1].c_str()});
    }
    map.push_back(PropertyEntry{nullptr, nullptr});
    const bool noMap = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    const bool noCallback = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    machine.calls.reserve(64);

    const int32_t result = TeskInstallerCustomHookProc(noMap ? nullptr : map.data(), entryMode, installMode,
                                                       static_cast<uintptr_t>(size), noCallback ? nullptr : CheckLine);
    const bool supported = installMode >= 0 && installMode <= 2;
    const int32_t expected = !supported ? 3 : (static_cast<uint32_t>(entryMode) > 4 ? 4 : 0);
    if (result != expected) std::abort();
    if (machine.openKeys != 0) std::abort();  // every key is closed again
    return 0;
}
