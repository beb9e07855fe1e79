// HostSystem_posix.cpp - teskhost's operating-system needs on POSIX: dlopen and the environment.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

#include "HostSystem.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseBinaryStandardStreams() {}

std::string DefaultLibraryPath() {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", &self[0], self.size());
    if (length <= 0) {
        return "libqlffhook.so";
    }
    self.resize(static_cast<std::size_t>(length));
    return self.substr(0, self.find_last_of('/') + 1) + "libqlffhook.so";
}

namespace {

template <typename Function>
bool Resolve(void* library, const char* name, Function* function, std::string* error) {
    void* symbol = dlsym(library, name);
    if (symbol == nullptr) {
        *error = std::string("entry point ") + name + " not found";
        return false;
    }
    *function = reinterpret_cast<Function>(symbol);
    return true;
}

}  // namespace

bool LoadHookLibrary(const std::string& path, HookEntryPoints* entryPoints, std::string* error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : "cannot load " + path;
        return false;
    }
    return Resolve(library, "TeskInstallerCustomHookInitSession", &entryPoints->initSession, error) &&
           Resolve(library, "TeskInstallerCustomHookProc", &entryPoints->proc, error) &&
           Resolve(library, "TeskInstallerCustomHookCloseSession", &entryPoints->closeSession, error);
}

bool SetMachineRoot(const std::string& root, std::string*) {
    setenv("TESKHOOK_ROOT", root.c_str(), 1);
    return true;
}
