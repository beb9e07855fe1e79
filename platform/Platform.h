// Platform.h - the Windows services that the plug-in work needs, as one interface.
//
// Each function mirrors one Win32 call: the same arguments, the same results
// that the callers rely on. Text is UTF-16 (char16_t), handed to the wide
// calls on Windows. Two implementations, chosen by the build:
//   windows.cpp  the Win32 calls themselves;
//   posix.cpp    an emulation of one Windows machine kept in a folder, named
//                by the environment variable TESKHOOK_ROOT (read at each call).
// Where the emulation differs from Windows, it says so beside the function.
//
// The emulated machine: $TESKHOOK_ROOT/registry.reg holds HKEY_LOCAL_MACHINE
// in regedit's export format (never written by this layer), and the Windows
// path X:\a\b is $TESKHOOK_ROOT/drive_x/a/b. With TESKHOOK_ROOT unset or
// empty every key open and every file operation fails and nothing on the
// real file system is touched; no operation ever reaches outside the root.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// ---------------------------------------------------------------- registry

// The predefined key that every open starts from.
enum class RegistryRoot { LocalMachine };

// An open registry key (an HKEY on Windows); null is no key.
struct RegistryKeyRecord;
using RegistryKey = RegistryKeyRecord*;

constexpr uint32_t kKeyRead = 0x20019;  // KEY_READ
constexpr uint32_t kRegSz = 1;          // REG_SZ
constexpr uint32_t kRegExpandSz = 2;    // REG_EXPAND_SZ
constexpr uint32_t kRegBinary = 3;      // REG_BINARY
constexpr uint32_t kRegDword = 4;       // REG_DWORD
constexpr uint32_t kRegMultiSz = 7;     // REG_MULTI_SZ

constexpr int32_t kErrorSuccess = 0;
constexpr int32_t kErrorFileNotFound = 2;
constexpr int32_t kErrorAccessDenied = 5;
constexpr int32_t kErrorInvalidParameter = 87;
constexpr int32_t kErrorInvalidName = 123;
constexpr int32_t kErrorMoreData = 234;
constexpr int32_t kErrorBadDatabase = 1009;  // ERROR_BADDB: the registry file cannot be read

// RegOpenKeyExW. Opens `subKey` (backslash-separated, compared without regard
// to case) under `root`. Returns 0 and sets *key, or an error code (2 for a
// missing key) and sets *key to null.
// Emulation: the key is read from registry.reg at this call; a missing,
// unreadable or malformed file opens no key (2, or 1009 when malformed);
// `options` and `access` are not checked.
int32_t OpenRegistryKey(RegistryRoot root, const char16_t* subKey, uint32_t options, uint32_t access,
                        RegistryKey* key);

// RegQueryValueExW. Reads the value `valueName` ("" or null: the default
// value). The type is written to *type when type is not null; what the caller
// put there is ignored. With data null, sets *size to the data's size and
// returns 0. When the data fit in *size bytes: copies them, sets *size and
// returns 0; when they do not: returns 234, sets *size to the data's size and
// leaves the buffer untouched. A missing value returns 2.
// As on Windows, a REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ whose last UTF-16
// unit is not NUL gets a NUL unit after its data, not counted in *size, when
// the buffer has room for it.
int32_t QueryRegistryValue(RegistryKey key, const char16_t* valueName, uint32_t* type, void* data, uint32_t* size);

// RegCloseKey. Returns 0, or an error code for a null key. Never throws.
int32_t CloseRegistryKey(RegistryKey key);

struct RegistryKeyCloser {
    void operator()(RegistryKeyRecord* key) const { CloseRegistryKey(key); }
};

// Owns an open key and closes it on every way out of its scope.
using UniqueRegistryKey = std::unique_ptr<RegistryKeyRecord, RegistryKeyCloser>;

// ------------------------------------------------------------------- files

// CopyFileW. Copies `source` to `target`; with `failIfExists` false an
// existing target is overwritten. Nonzero on success, 0 on failure. Never
// creates a folder. Fails for a missing source, a missing target folder, a
// target that is a folder or read-only, and a source that is the target.
// Emulation: copies a regular file's bytes and permission bits; the target is
// replaced atomically (a reader sees the old file or the whole new one); a
// symbolic link at the target is replaced, not followed. Windows under Wine,
// as root, overwrites a read-only target; Windows itself refuses.
int32_t CopyFileTo(const char16_t* source, const char16_t* target, bool failIfExists);

// DeleteFileW. 1 when the file is gone; 0 for a missing path, a folder or a
// read-only file. Emulation: a symbolic link is removed, never followed.
int32_t DeleteOneFile(const char16_t* path);

constexpr uint32_t kFoDelete = 3;             // FO_DELETE
constexpr uint16_t kFofSilent = 0x0004;       // FOF_SILENT
constexpr uint16_t kFofNoConfirmation = 0x0010;  // FOF_NOCONFIRMATION

// The fields of SHFILEOPSTRUCTW, in its order.
struct FileOperation {
    void* ownerWindow = nullptr;           // hwnd
    uint32_t function = 0;                 // wFunc
    const char16_t* from = nullptr;        // pFrom: paths, each NUL-ended, the list ended by an empty one
    const char16_t* to = nullptr;          // pTo
    uint16_t flags = 0;                    // fFlags
    int32_t anyOperationsAborted = 0;      // fAnyOperationsAborted
    void* nameMappings = nullptr;          // hNameMappings
    const char16_t* progressTitle = nullptr;  // lpszProgressTitle
};

// SHFileOperationW. For FO_DELETE removes each listed folder with everything
// in it (read-only files included) or file, and returns 0 when all is gone;
// 2 for a missing entry; another nonzero code for any other failure.
// Emulation: only FO_DELETE is done (others return 87); no wildcards; a
// symbolic link is removed, its target stays; entries before a failed one are
// removed, as Wine does; no dialog is ever shown. Deleting a whole drive is
// refused.
int32_t RunFileOperation(FileOperation* operation);

// ------------------------------------------------------------- conversions

constexpr uint32_t kCpThreadAcp = 3;   // CP_THREAD_ACP
constexpr uint32_t kCpUtf8 = 65001;    // CP_UTF8

// MultiByteToWideChar. Converts `inputBytes` bytes of `input` (-1: up to and
// including its NUL). With outputUnits 0 returns the number of UTF-16 units
// needed; otherwise converts into `output` and returns the units written, or
// 0 when they do not fit. 0 is a failure.
// With CP_UTF8 and flags 0 it never fails on malformed input: each invalid
// byte or sequence becomes U+FFFD as Windows renders it, characters beyond
// the Basic Multilingual Plane become surrogate pairs, NUL bytes stay.
// Emulation: only CP_UTF8 with flags 0 is supported.
int32_t MultiByteToWide(uint32_t codePage, uint32_t flags, const char* input, int32_t inputBytes, char16_t* output,
                        int32_t outputUnits);

// WideCharToMultiByte. Converts `inputUnits` units of `input` (-1: up to and
// including its NUL) to narrow text in `codePage`. With outputBytes 0 returns
// the bytes needed; otherwise converts into `output` and returns the bytes
// written, or 0 when they do not fit. A character that the code page lacks
// becomes its best-fit equivalent, or the default character '?'.
// Emulation: only CP_THREAD_ACP, which is the charset of the calling thread's
// locale (setlocale or uselocale; "C" is ASCII); `defaultChar` and
// `usedDefault` are not supported and must be null; an unpaired surrogate
// becomes '?'.
int32_t WideToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* input, int32_t inputUnits, char* output,
                        int32_t outputBytes, const char* defaultChar, int32_t* usedDefault);

}  // namespace platform
