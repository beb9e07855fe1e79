// machine_path_fuzzer.cpp - the emulation's path mapping: whatever the path, it stays inside the machine folder.
#include <cstdlib>
#include <string>

#include "posix/MachinePath.h"

namespace {

bool IsDriveFolder(const std::string& drive) {
    return drive.size() == 7 && drive.compare(0, 6, "drive_") == 0 && drive[6] >= 'a' && drive[6] <= 'z';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string path;
    for (size_t i = 0; i + 1 < size; i += 2) path.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    platform::posix::MachinePath mapped;
    if (!platform::posix::MapWindowsPath(path, &mapped)) return 0;
    if (!IsDriveFolder(mapped.drive)) std::abort();
    for (const std::string& component : mapped.components) {
        // A component that could climb, name the folder itself, or hide a separator would leave the drive.
        if (component.empty() || component == "." || component == ".." ||
            component.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
            std::abort();
        }
    }
    const std::string relative = mapped.Relative();
    if (relative.compare(0, 7, mapped.drive) != 0 || relative.find("//") != std::string::npos ||
        relative.find("/../") != std::string::npos) {
        std::abort();
    }
    return 0;
}
