// Payload_posix.cpp - INSTALLDIR mapped into the emulated machine folder, as the platform emulation maps it.
#include <cstdlib>

#include "Payload.h"
#include "posix/MachinePath.h"
#include "posix/Unicode.h"

bool InstallDirFolder(const std::string& installDir, std::filesystem::path* folder, std::string* error) {
    const char* root = std::getenv("TESKHOOK_ROOT");
    if (root == nullptr || *root == '\0') {
        *error = "--payload needs the machine folder: give --root DIR";
        return false;
    }
    platform::posix::MachinePath mapped;
    if (!platform::posix::MapWindowsPath(platform::posix::DecodeUtf8(installDir.data(), installDir.size()), &mapped) ||
        mapped.components.empty()) {
        *error = "INSTALLDIR '" + installDir + "' names no folder of the machine";
        return false;
    }
    *folder = std::filesystem::path(root) / mapped.Relative();
    return true;
}
