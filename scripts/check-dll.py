#!/usr/bin/env python3
"""check-dll.py - checks a built qlffhook.dll as an installer engineer would.

Usage: check-dll.py OBJDUMP DLL
Exits nonzero unless the DLL exports exactly the three entry points, imports
only DLLs that every Windows has, and carries a version resource."""
import re
import subprocess
import sys

EXPORTS = {"TeskInstallerCustomHookInitSession", "TeskInstallerCustomHookProc", "TeskInstallerCustomHookCloseSession"}
SYSTEM_DLLS = {"kernel32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll", "user32.dll", "ntdll.dll"}


def main(objdump, dll):
    dump = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    problems = []

    names = set(re.findall(r"^\s+\[\s*\d+\]\s+(\S+)$", dump.split("[Ordinal/Name Pointer] Table")[-1], re.M))
    if names != EXPORTS:
        problems.append("exports %s, expected exactly %s" % (sorted(names), sorted(EXPORTS)))

    imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    foreign = imports - SYSTEM_DLLS
    if foreign:
        problems.append("imports DLLs a clean Windows lacks: %s" % sorted(foreign))

    data = open(dll, "rb").read()
    version = None
    marker = "VS_VERSION_INFO".encode("utf-16-le")
    at = data.find(marker)
    if at >= 0:
        # VS_FIXEDFILEINFO follows the key, aligned to 4 bytes, and starts with 0xFEEF04BD.
        fixed = data.find(b"\xbd\x04\xef\xfe", at)
        if 0 <= fixed - at < 64:
            ms = int.from_bytes(data[fixed + 8:fixed + 12], "little")
            ls = int.from_bytes(data[fixed + 12:fixed + 16], "little")
            version = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    if version is None:
        problems.append("no version resource")
    for key in ("FileDescription", "ProductName", "FileVersion"):
        if key.encode("utf-16-le") not in data:
            problems.append("version resource lacks %s" % key)

    for problem in problems:
        print("check-dll: %s: %s" % (dll, problem), file=sys.stderr)
    if not problems:
        print("check-dll: %s: exports %s; imports %s; file version %s"
              % (dll, ", ".join(sorted(names)), ", ".join(sorted(imports)), version))
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
