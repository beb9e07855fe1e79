// RegistryFile.h - HKEY_LOCAL_MACHINE read from a regedit export file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform::posix {

struct RegistryValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// A key's values by folded name (see FoldCase); the default value is "".
using RegistryValues = std::map<std::u16string, RegistryValue>;

// The keys of HKEY_LOCAL_MACHINE by folded path below it, such as
// u"SOFTWARE\\MOZILLA"; the root itself is "".
struct RegistryHive {
    std::map<std::u16string, RegistryValues> keys;

    // Finds a key by a path in any case; null when there is no such key. A
    // key's parents exist although no section names them.
    const RegistryValues* Find(const std::u16string& path) const;
};

// Parses a file in the format that regedit exports and imports: the first
// line "Windows Registry Editor Version 5.00" or "REGEDIT4"; UTF-8 with or
// without BOM, or UTF-16LE with BOM; CRLF or LF; ';' comments and blank
// lines; [KEY] and [-KEY] sections; values "Name"=..., @=... or "Name"=- with
// "text", dword:, hex: and hex(N): data, the last with '\' continuations.
// Sections of other roots are skipped. Returns false for anything malformed:
// then the file counts as no registry at all.
bool ParseRegistryFile(const std::string& bytes, RegistryHive* hive);

}  // namespace platform::posix
