// out_of_memory_test.cpp - running out of memory at any allocation of a phase never reaches the host.
//
// This program replaces the global operator new so that one chosen allocation
// fails. For each plug-in phase it counts the allocations of a normal run,
// then fails each of them in turn: the phase must still answer 0, end its log
// with "Phase abandoned: out of memory.", close every key, and leave the
// library as able to run a normal phase as before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "RecordingPlatform.h"
#include "qlffhook.h"

namespace {

long gAllocations = 0;
long gFailAt = -1;  // the allocation to fail, counted from 0; -1: none
bool gCounting = false;

void* Allocate(std::size_t size) {
    if (gCounting && gAllocations++ == gFailAt) throw std::bad_alloc();
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// A log that allocates nothing, so that only the hook's own allocations count.
constexpr int kMaxLines = 64;
char gLines[kMaxLines][512];
int gLineCount = 0;

void QLFFHOOK_CALL RecordLine(const char* line) {
    if (gLineCount < kMaxLines) {
        std::strncpy(gLines[gLineCount], line, sizeof gLines[0] - 1);
        gLines[gLineCount][sizeof gLines[0] - 1] = '\0';
    }
    ++gLineCount;
}

std::vector<std::string> TakeLines() {
    std::vector<std::string> lines(gLines, gLines + std::min(gLineCount, kMaxLines));
    gLineCount = 0;
    return lines;
}

// A machine with a supported Firefox, on which every step succeeds.
void SetUpFirefox() {
    recording::Reset();
    recording::SetText(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", u"Path",
                       u"C:\\Program Files\\Mozilla Firefox");
    recording::SetText(u"SOFTWARE\\Mozilla\\Mozilla Firefox", u"CurrentVersion", u"3.6.13 (en-US)");
    recording::State().calls.reserve(64);  // the recording itself must not be what fails
}

const PropertyEntry kProperties[] = {{"INSTALLDIR", "C:\\Program Files\\Corvane"}, {nullptr, nullptr}};

// Runs one phase and returns its result; `failAt` as gFailAt.
int32_t RunPhase(int32_t installMode, int32_t entryMode, long failAt, long* allocations = nullptr) {
    SetUpFirefox();
    gLineCount = 0;
    gAllocations = 0;
    gFailAt = failAt;
    gCounting = true;
    const int32_t result = TeskInstallerCustomHookProc(kProperties, entryMode, installMode, 0, RecordLine);
    gCounting = false;
    if (allocations != nullptr) *allocations = gAllocations;
    return result;
}

struct PhaseCase {
    const char* name;
    int32_t installMode;
    int32_t entryMode;
};

void PrintTo(const PhaseCase& phase, std::ostream* out) { *out << phase.name; }

class OutOfMemory : public ::testing::TestWithParam<PhaseCase> {};

TEST_P(OutOfMemory, EveryAllocationOfThePhaseCanFailWithoutHarm) {
    const PhaseCase phase = GetParam();
    long allocations = 0;
    ASSERT_EQ(RunPhase(phase.installMode, phase.entryMode, -1, &allocations), 0);
    const std::vector<std::string> normal = TakeLines();
    ASSERT_GT(normal.size(), 10u) << "the phase should run its whole sequence";
    ASSERT_GT(allocations, 0);
    std::printf("%s: %ld allocations in a normal run\n", phase.name, allocations);

    for (long failAt = 0; failAt < allocations; ++failAt) {
        SCOPED_TRACE("allocation " + std::to_string(failAt) + " of " + std::to_string(allocations));
        EXPECT_EQ(RunPhase(phase.installMode, phase.entryMode, failAt), 0);
        const std::vector<std::string> lines = TakeLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Phase abandoned: out of memory.");
        EXPECT_LT(lines.size(), normal.size() + 1);
        EXPECT_EQ(recording::State().openKeys, 0) << "a registry key was left open";

        EXPECT_EQ(RunPhase(phase.installMode, phase.entryMode, -1), 0);
        EXPECT_EQ(TakeLines(), normal) << "the next normal run differs";
    }
}

INSTANTIATE_TEST_SUITE_P(PluginPhases, OutOfMemory,
                         ::testing::Values(PhaseCase{"PrePayloadInstall", InstallMode_Install, EntryMode_PrePayload},
                                           PhaseCase{"PostPayloadInstall", InstallMode_Install,
                                                     EntryMode_PostPayload},
                                           PhaseCase{"PrePayloadUninstall", InstallMode_Uninstall,
                                                     EntryMode_PrePayload}),
                         [](const ::testing::TestParamInfo<PhaseCase>& info) { return std::string(info.param.name); });

TEST(OtherFailures, AnyOtherExceptionIsContainedToo) {
    // A host callback that throws is the one way to raise something else here.
    struct Throwing {
        static void QLFFHOOK_CALL Callback(const char* line) {
            if (std::strncmp(line, "In ", 3) == 0) throw 42;
            RecordLine(line);
        }
    };
    gLineCount = 0;
    EXPECT_EQ(TeskInstallerCustomHookProc(kProperties, EntryMode_SessionOpen, InstallMode_Install, 0,
                                          Throwing::Callback),
              0);
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"Phase abandoned: internal error."});
}

}  // namespace
