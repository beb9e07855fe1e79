// Files.h - file copy and deletion inside the machine folder.
#pragma once

#include <cstdint>

namespace platform::posix {

// CopyFileW with fail-if-exists false or true; nonzero on success.
int32_t CopyMachineFile(const char16_t* source, const char16_t* target, bool failIfExists);

// DeleteFileW; 1 when removed.
int32_t DeleteMachineFile(const char16_t* path);

// One entry of an FO_DELETE request: 0 when gone, 2 when missing, 124 when
// its folder is missing, another nonzero code for any other failure.
int32_t DeleteMachineTree(const char16_t* path);

}  // namespace platform::posix
