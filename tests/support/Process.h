// Process.h - runs a program of this build and collects what it printed, for tests.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exitStatus = -1;  // -1 when the program could not be started or did not exit normally
    std::string standardOutput;
    std::string standardError;
};

// The path of a file in the folder of the running test program.
std::string FileBesideTest(const std::string& fileName);

// The path of a program built beside the running test program; `name`
// without an extension (".exe" is added on Windows).
std::string ProgramBesideTest(const std::string& name);

// Runs `program` with `arguments` (UTF-8), without a shell, and waits for it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments);
