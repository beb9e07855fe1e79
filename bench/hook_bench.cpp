// hook_bench.cpp - the hook's own cost: whole sequences over the recording platform, in time and allocations.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

#include "RecordingPlatform.h"
#include "qlffhook.h"

namespace {

long gAllocations = 0;

void* CountedAllocation(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

void QLFFHOOK_CALL DropLine(const char* line) { benchmark::DoNotOptimize(line); }

const PropertyEntry kProperties[] = {{"INSTALLDIR", "C:\\Program Files\\Corvane"}, {nullptr, nullptr}};

// A machine on which every step of both sequences succeeds.
void SetUpFirefox() {
    recording::Reset();
    recording::SetText(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", u"Path",
                       u"C:\\Program Files\\Mozilla Firefox");
    recording::SetText(u"SOFTWARE\\Mozilla\\Mozilla Firefox", u"CurrentVersion", u"3.6.13 (en-US)");
    recording::State().calls.reserve(64);
}

void RunSequence(benchmark::State& state, int32_t entryMode) {
    SetUpFirefox();
    long allocations = 0;
    for (auto _ : state) {
        recording::State().calls.clear();  // keeps its room: the recording adds no allocation of its own
        const long before = gAllocations;
        benchmark::DoNotOptimize(TeskInstallerCustomHookProc(kProperties, entryMode, InstallMode_Install, 0, DropLine));
        allocations = gAllocations - before;
    }
    state.counters["allocations"] = static_cast<double>(allocations);
}

// Post-payload of an install: the whole install sequence, the copy included.
void BM_InstallSequence(benchmark::State& state) { RunSequence(state, EntryMode_PostPayload); }
// Pre-payload of an install: the whole uninstall sequence with extension removal.
void BM_UninstallSequence(benchmark::State& state) { RunSequence(state, EntryMode_PrePayload); }

BENCHMARK(BM_InstallSequence);
BENCHMARK(BM_UninstallSequence);

}  // namespace

BENCHMARK_MAIN();
