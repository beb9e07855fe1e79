// hook_interface_test.cpp - the library driven through its exports, as a host drives it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "LogRecorder.h"
#include "qlffhook.h"

namespace {

using Lines = std::vector<std::string>;

class HookInterface : public ::testing::Test {
protected:
    void SetUp() override { LogRecorder::Clear(); }

    static int32_t Phase(int32_t installMode, int32_t entryMode, LogCallback callback = LogRecorder::Callback) {
        static const PropertyEntry kEmptyMap[] = {{nullptr, nullptr}};
        return TeskInstallerCustomHookProc(kEmptyMap, entryMode, installMode, 0, callback);
    }
};

struct DispatchCase {
    int32_t installMode;
    int32_t entryMode;
    const char* line;
};

// Every supported pair logs its handler's line first and answers 0.
const DispatchCase kDispatch[] = {
    {0, 0, "In InstallPreSystemCheckProc"},   {0, 1, "In PrePayloadInstallProc"},
    {0, 2, "In PostPayloadInstallProc"},      {0, 3, "In InstallSessionOpenProc"},
    {0, 4, "In InstallSessionCloseProc"},     {1, 0, "In ReinstallPreSystemCheckProc"},
    {1, 1, "In PrePayloadReinstallProc"},     {1, 2, "In PostPayloadReinstallProc"},
    {1, 3, "In ReinstallSessionOpenProc"},    {1, 4, "In ReinstallSessionCloseProc"},
    {2, 0, "In UninstallPreSystemCheckProc"}, {2, 1, "In PrePayloadUninstallProc"},
    {2, 2, "In PostPayloadUninstallProc"},    {2, 3, "In UninstallSessionOpenProc"},
    {2, 4, "In UninstallSessionCloseProc"},
};

TEST_F(HookInterface, EachModeAndPhaseRunsItsHandler) {
    for (const DispatchCase& c : kDispatch) {
        SCOPED_TRACE(std::string(c.line));
        LogRecorder::Clear();
        EXPECT_EQ(Phase(c.installMode, c.entryMode), HookResult_Success);
        ASSERT_FALSE(LogRecorder::Lines().empty());
        EXPECT_EQ(LogRecorder::Lines().front(), c.line);
    }
}

TEST_F(HookInterface, PhasesWithoutASequenceLogOnlyTheirLine) {
    for (const DispatchCase& c : kDispatch) {
        if (c.entryMode == EntryMode_PrePayload ||
            (c.entryMode == EntryMode_PostPayload && c.installMode != InstallMode_Uninstall)) {
            continue;
        }
        SCOPED_TRACE(std::string(c.line));
        LogRecorder::Clear();
        EXPECT_EQ(Phase(c.installMode, c.entryMode), HookResult_Success);
        EXPECT_EQ(LogRecorder::Lines(), Lines{c.line});
    }
}

struct UnsupportedCase {
    int32_t installMode;
    int32_t entryMode;
    int32_t result;
    const char* line;
};

TEST_F(HookInterface, UnsupportedModesAndPhasesAreReportedAndRunNoHandler) {
    const UnsupportedCase cases[] = {
        {3, 1, 3, "Unsupported install mode specified."},
        {-1, 1, 3, "Unsupported install mode specified."},
        {5, 9, 3, "Unsupported install mode specified."},  // the phase is not looked at
        {INT32_MIN, 0, 3, "Unsupported install mode specified."},
        {0, 5, 4, "Unsupported entry mode specified."},
        {1, -1, 4, "Unsupported entry mode specified."},
        {2, INT32_MIN, 4, "Unsupported entry mode specified."},
        {2, INT32_MAX, 4, "Unsupported entry mode specified."},
    };
    for (const UnsupportedCase& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.installMode) + " phase " + std::to_string(c.entryMode));
        LogRecorder::Clear();
        EXPECT_EQ(Phase(c.installMode, c.entryMode), c.result);
        EXPECT_EQ(LogRecorder::Lines(), Lines{c.line});
    }
}

TEST_F(HookInterface, NullCallbackChangesNoResult) {
    EXPECT_EQ(Phase(7, 1, nullptr), HookResult_UnsupportedInstallMode);
    EXPECT_EQ(Phase(0, 9, nullptr), HookResult_UnsupportedEntryMode);
    for (const DispatchCase& c : kDispatch) {
        EXPECT_EQ(Phase(c.installMode, c.entryMode, nullptr), HookResult_Success) << c.line;
    }
    EXPECT_TRUE(LogRecorder::Lines().empty());
}

TEST_F(HookInterface, NullPropertyMapAndAnyReservedValueAreAccepted) {
    // The fourth argument is never read, so even a wild pointer does no harm.
    for (uintptr_t reserved : {uintptr_t{0}, uintptr_t{1}, ~uintptr_t{0}}) {
        LogRecorder::Clear();
        EXPECT_EQ(TeskInstallerCustomHookProc(nullptr, EntryMode_SessionOpen, InstallMode_Reinstall, reserved,
                                              LogRecorder::Callback),
                  HookResult_Success);
        EXPECT_EQ(LogRecorder::Lines(), Lines{"In ReinstallSessionOpenProc"});
    }
}

TEST_F(HookInterface, SessionEntryPointsAlwaysSucceedAndChangeNothing) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(TeskInstallerCustomHookInitSession(), 0);
    }
    EXPECT_EQ(Phase(0, 3), HookResult_Success);
    EXPECT_EQ(TeskInstallerCustomHookCloseSession(), 0);
    EXPECT_EQ(TeskInstallerCustomHookCloseSession(), 0);
    EXPECT_EQ(Phase(0, 3), HookResult_Success);
    EXPECT_EQ(TeskInstallerCustomHookInitSession(), 0);
    EXPECT_EQ(LogRecorder::Lines(), (Lines{"In InstallSessionOpenProc", "In InstallSessionOpenProc"}));
}

}  // namespace
