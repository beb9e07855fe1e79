// MachinePath.h - where a Windows path lies inside the emulated machine's folder.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

// A Windows path as a place inside the machine folder: the drive's folder
// ("drive_c") and the path's components below it, in UTF-8.
struct MachinePath {
    std::string drive;
    std::vector<std::string> components;

    // "drive_c/a/b", relative to the machine folder.
    std::string Relative() const;
};

// Maps `path` as Wine maps its drives: "X:\a\b" is drive_x/a/b (the letter in
// lower case); a path that starts with one separator, and a relative path,
// are on drive C (the machine has no current folder). '\' and '/' both
// separate; empty components collapse; "." is dropped; ".." removes one
// component and never climbs above the drive. Fails for UNC and device paths
// ("\\server\share", "\\?\", "\\.\"), for components holding a character that
// Windows forbids in names (< > : " | ? * and control characters), and for
// text that is not valid UTF-16.
bool MapWindowsPath(const std::u16string& path, MachinePath* result);

}  // namespace platform::posix
