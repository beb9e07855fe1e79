// Process_posix.cpp - running a program of this build with posix_spawn.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Process.h"

extern char** environ;

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TemporaryPath(const char* stem) {
    std::string path = std::string("/tmp/") + stem + "XXXXXX";
    const int fd = mkstemp(&path[0]);
    if (fd >= 0) {
        close(fd);
    }
    return path;
}

}  // namespace

std::string ProgramBesideTest(const std::string& name) { return FileBesideTest(name); }

std::string FileBesideTest(const std::string& fileName) {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", &self[0], self.size());
    self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return self.substr(0, self.find_last_of('/') + 1) + fileName;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string outPath = TemporaryPath("qlff-out-");
    const std::string errPath = TemporaryPath("qlff-err-");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_TRUNC, 0);
    ProcessResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            result.exitStatus = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    result.standardOutput = ReadWhole(outPath);
    result.standardError = ReadWhole(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}
