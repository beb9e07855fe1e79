// registry_file_fuzzer.cpp - the emulation's reader of regedit files, on any bytes at all.
#include <cstdlib>
#include <string>

#include "posix/RegistryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::posix::RegistryHive hive;
    if (!platform::posix::ParseRegistryFile(std::string(reinterpret_cast<const char*>(data), size), &hive)) {
        if (!hive.keys.empty()) std::abort();  // a refused file leaves nothing behind
        return 0;
    }
    for (const auto& [path, values] : hive.keys) {
        if (hive.Find(path) != &values) std::abort();
        // Every key's parent exists too.
        const size_t slash = path.rfind(u'\\');
        if (!path.empty() && hive.Find(slash == std::u16string::npos ? u"" : path.substr(0, slash)) == nullptr) {
            std::abort();
        }
    }
    return 0;
}
