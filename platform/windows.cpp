// windows.cpp - the platform interface over the Win32 calls themselves.
//
// Each function hands its arguments to the wide call it mirrors; char16_t
// text is the WCHAR text of Windows.
#include "Platform.h"
#include "WindowsSupport.h"

static_assert(sizeof(char16_t) == sizeof(WCHAR), "UTF-16 text is WCHAR text");

namespace platform {

namespace {

const WCHAR* Wide(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }

HKEY RootKey(RegistryRoot) { return HKEY_LOCAL_MACHINE; }

}  // namespace

int32_t OpenRegistryKey(RegistryRoot root, const char16_t* subKey, uint32_t options, uint32_t access,
                        RegistryKey* key) {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(RootKey(root), Wide(subKey), options, access, &opened);
    *key = result == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : nullptr;
    return result;
}

int32_t QueryRegistryValue(RegistryKey key, const char16_t* valueName, uint32_t* type, void* data, uint32_t* size) {
    DWORD valueType = 0;
    DWORD dataSize = size != nullptr ? *size : 0;
    const LONG result = RegQueryValueExW(reinterpret_cast<HKEY>(key), Wide(valueName), nullptr, &valueType,
                                         static_cast<BYTE*>(data), size != nullptr ? &dataSize : nullptr);
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = dataSize;
    return result;
}

int32_t CloseRegistryKey(RegistryKey key) { return RegCloseKey(reinterpret_cast<HKEY>(key)); }

int32_t CopyFileTo(const char16_t* source, const char16_t* target, bool failIfExists) {
    return CopyFileW(Wide(source), Wide(target), failIfExists ? TRUE : FALSE);
}

int32_t DeleteOneFile(const char16_t* path) { return DeleteFileW(Wide(path)); }

int32_t RunFileOperation(FileOperation* operation) {
    SHFILEOPSTRUCTW request = {};
    request.hwnd = static_cast<HWND>(operation->ownerWindow);
    request.wFunc = operation->function;
    request.pFrom = Wide(operation->from);
    request.pTo = Wide(operation->to);
    request.fFlags = operation->flags;
    request.fAnyOperationsAborted = operation->anyOperationsAborted;
    request.hNameMappings = operation->nameMappings;
    request.lpszProgressTitle = Wide(operation->progressTitle);
    const int result = SHFileOperationW(&request);
    operation->anyOperationsAborted = request.fAnyOperationsAborted;
    return result;
}

int32_t MultiByteToWide(uint32_t codePage, uint32_t flags, const char* input, int32_t inputBytes, char16_t* output,
                        int32_t outputUnits) {
    return MultiByteToWideChar(codePage, flags, input, inputBytes, reinterpret_cast<WCHAR*>(output), outputUnits);
}

int32_t WideToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* input, int32_t inputUnits, char* output,
                        int32_t outputBytes, const char* defaultChar, int32_t* usedDefault) {
    BOOL used = FALSE;
    const int result = WideCharToMultiByte(codePage, flags, Wide(input), inputUnits, output, outputBytes,
                                           defaultChar, usedDefault != nullptr ? &used : nullptr);
    if (usedDefault != nullptr) *usedDefault = used;
    return result;
}

}  // namespace platform
