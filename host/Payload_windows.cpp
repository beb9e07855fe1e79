// Payload_windows.cpp - INSTALLDIR is a folder of this Windows machine as it stands.
#include <windows.h>

#include "Payload.h"

bool InstallDirFolder(const std::string& installDir, std::filesystem::path* folder, std::string* error) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, installDir.data(), static_cast<int>(installDir.size()), nullptr, 0);
    if (units <= 0) {
        *error = "INSTALLDIR '" + installDir + "' names no folder";
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, installDir.data(), static_cast<int>(installDir.size()), &wide[0], units);
    *folder = std::filesystem::path(wide);
    return true;
}
