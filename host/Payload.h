// Payload.h - laying a product's files down into INSTALLDIR, as an installer does between its phases.
#pragma once

#include <filesystem>
#include <string>

// The folder on this machine that the Windows path `installDir` (UTF-8) names.
// POSIX builds map it into the emulated machine folder (TESKHOOK_ROOT) as the
// platform emulation does; Windows builds take it as it is.
bool InstallDirFolder(const std::string& installDir, std::filesystem::path* folder, std::string* error);

// Copies the tree under `payload` into `folder`, creating folders and
// replacing files. Returns the number of files copied, or -1 with *error set.
long LayDownPayload(const std::filesystem::path& payload, const std::filesystem::path& folder, std::string* error);

// Removes from `folder` the files that `payload` holds, then the folders that
// this leaves empty. Returns the number of files removed, or -1 with *error set.
long RemovePayload(const std::filesystem::path& payload, const std::filesystem::path& folder, std::string* error);
