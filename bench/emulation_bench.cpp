// emulation_bench.cpp - the emulation's file work and a whole teskhost phase, beside the system's own tools.
//
// Each pair runs on the same file system in the same run: the emulation's
// CopyFileW against `cp`, its folder-tree deletion against `rm -rf`, and a
// post-payload phase through teskhost against `cp` of the same plug-in.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Platform.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A machine folder inside the build folder, on the file system the sources are on.
const fs::path& Machine() {
    static const fs::path machine = [] {
        const fs::path path = fs::current_path() / "bench-machine";
        fs::remove_all(path);
        fs::create_directories(path / "drive_c" / "work");
        setenv("TESKHOOK_ROOT", path.c_str(), 1);
        return path;
    }();
    return machine;
}

fs::path Work() { return Machine() / "drive_c" / "work"; }

void WriteFileOfSize(const fs::path& path, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
    for (std::size_t written = 0; written < bytes; written += block.size()) {
        out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), bytes - written)));
    }
}

int Run(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The child's own lines would mix with the report.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ------------------------------------------------------------ copy, 256 MiB

constexpr std::size_t kBigFile = 256u << 20;

void PrepareBigFile() {
    if (!fs::exists(Work() / "big.bin")) WriteFileOfSize(Work() / "big.bin", kBigFile);
}

void BM_EmulationCopy256MiB(benchmark::State& state) {
    PrepareBigFile();
    for (auto _ : state) {
        if (platform::CopyFileTo(u"C:\\work\\big.bin", u"C:\\work\\big-copy.bin", false) == 0) {
            state.SkipWithError("copy failed");
        }
    }
    fs::remove(Work() / "big-copy.bin");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
}

void BM_CpCopy256MiB(benchmark::State& state) {
    PrepareBigFile();
    const std::string source = (Work() / "big.bin").string();
    const std::string target = (Work() / "big-cp.bin").string();
    for (auto _ : state) {
        if (Run({"cp", source, target}) != 0) state.SkipWithError("cp failed");
    }
    fs::remove(Work() / "big-cp.bin");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
}

// ------------------------------------------------------------ tree delete, 20,000 files in 1,000 folders

void MakeTree(const fs::path& root) {
    for (int folder = 0; folder < 1000; ++folder) {
        const fs::path dir = root / ("folder" + std::to_string(folder / 50)) / ("sub" + std::to_string(folder));
        fs::create_directories(dir);
        for (int file = 0; file < 20; ++file) std::ofstream(dir / ("file" + std::to_string(file) + ".txt")) << "x";
    }
}

void BM_EmulationTreeDelete20000Files(benchmark::State& state) {
    const std::u16string list = std::u16string(u"C:\\work\\tree") + u'\0' + u'\0';
    for (auto _ : state) {
        state.PauseTiming();
        MakeTree(Work() / "tree");
        sync();
        state.ResumeTiming();
        platform::FileOperation request;
        request.function = platform::kFoDelete;
        request.from = list.c_str();
        request.flags = platform::kFofSilent | platform::kFofNoConfirmation;
        if (platform::RunFileOperation(&request) != 0) state.SkipWithError("tree delete failed");
    }
}

void BM_RmRfTree20000Files(benchmark::State& state) {
    const std::string tree = (Work() / "tree-rm").string();
    for (auto _ : state) {
        state.PauseTiming();
        MakeTree(tree);
        sync();
        state.ResumeTiming();
        if (Run({"rm", "-rf", tree}) != 0) state.SkipWithError("rm failed");
    }
}

// ------------------------------------------------------------ a whole post-payload phase, 1 MiB plug-in

std::string Teskhost() { return (fs::path(fs::read_symlink("/proc/self/exe")).parent_path() / "teskhost").string(); }

void PrepareFirefox() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    std::ofstream(Machine() / "registry.reg")
        << "Windows Registry Editor Version 5.00\n\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe]\n"
           "\"Path\"=\"C:\\\\work\\\\Mozilla Firefox\"\n\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mozilla\\Mozilla Firefox]\n"
           "\"CurrentVersion\"=\"3.6.13 (en-US)\"\n";
    fs::create_directories(Work() / "Mozilla Firefox" / "plugins");
    const fs::path source = Work() / "Product" / "Corvane Quillet Tesk5.1" / "Plugins" / "FirefoxPlugin";
    fs::create_directories(source);
    WriteFileOfSize(source / "npQuillet.dll", 1u << 20);
}

void BM_TeskhostPostPayload1MiB(benchmark::State& state) {
    PrepareFirefox();
    const std::vector<std::string> command = {Teskhost(), "--no-callback", "--property", "INSTALLDIR=C:\\work\\Product",
                                              "install", "post-payload"};
    for (auto _ : state) {
        if (Run(command) != 0) state.SkipWithError("teskhost failed");
    }
    if (!fs::exists(Work() / "Mozilla Firefox" / "plugins" / "npQuillet.dll")) state.SkipWithError("no plug-in copied");
}

void BM_CpProcess1MiB(benchmark::State& state) {
    PrepareFirefox();
    const std::string source =
        (Work() / "Product" / "Corvane Quillet Tesk5.1" / "Plugins" / "FirefoxPlugin" / "npQuillet.dll").string();
    const std::string target = (Work() / "Mozilla Firefox" / "plugins" / "npQuillet-cp.dll").string();
    for (auto _ : state) {
        if (Run({"cp", source, target}) != 0) state.SkipWithError("cp failed");
    }
}

// Wall-clock time throughout: the baselines spend theirs in child processes.
BENCHMARK(BM_EmulationCopy256MiB)->Name("EmulationCopy256MiB")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_CpCopy256MiB)->Name("CpCopy256MiB")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_EmulationTreeDelete20000Files)
    ->Name("EmulationTreeDelete20000Files")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_RmRfTree20000Files)->Name("RmRfTree20000Files")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_TeskhostPostPayload1MiB)
    ->Name("TeskhostPostPayload1MiB")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_CpProcess1MiB)->Name("CpProcess1MiB")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
