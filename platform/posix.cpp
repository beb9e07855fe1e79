// posix.cpp - the platform interface over an emulated Windows machine kept in a folder.
//
// The registry is read from $TESKHOOK_ROOT/registry.reg at every key open;
// files live below $TESKHOOK_ROOT/drive_<letter>. See Platform.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "Platform.h"
#include "posix/Files.h"
#include "posix/LocaleText.h"
#include "posix/MachineRoot.h"
#include "posix/RegistryFile.h"
#include "posix/Unicode.h"

namespace platform {

// An open key holds its values as they were when it was opened.
struct RegistryKeyRecord {
    posix::RegistryValues values;
};

namespace {

constexpr std::size_t kMaxRegistryFile = 64u << 20;

std::u16string TextOrEmpty(const char16_t* text) { return text != nullptr ? std::u16string(text) : std::u16string(); }

// Reads the machine's registry file; false when it is missing or unreadable.
bool ReadRegistryFile(std::string* bytes) {
    const posix::UniqueFd root = posix::OpenMachineRoot();
    if (!root) return false;
    const posix::UniqueFd file = posix::OpenBeneath(root.get(), "registry.reg", O_RDONLY);
    struct stat status;
    if (!file || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::size_t>(status.st_size) > kMaxRegistryFile) {
        return false;
    }
    bytes->clear();
    char buffer[1 << 14];
    for (;;) {
        const ssize_t got = read(file.get(), buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) return false;
        bytes->append(buffer, static_cast<std::size_t>(got));
        if (bytes->size() > kMaxRegistryFile) return false;
    }
}

bool IsStringType(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

}  // namespace

int32_t OpenRegistryKey(RegistryRoot, const char16_t* subKey, uint32_t, uint32_t, RegistryKey* key) {
    *key = nullptr;
    std::string bytes;
    if (!ReadRegistryFile(&bytes)) return kErrorFileNotFound;
    posix::RegistryHive hive;
    if (!posix::ParseRegistryFile(bytes, &hive)) return kErrorBadDatabase;
    const posix::RegistryValues* values = hive.Find(TextOrEmpty(subKey));
    if (values == nullptr) return kErrorFileNotFound;
    *key = new RegistryKeyRecord{*values};
    return kErrorSuccess;
}

int32_t QueryRegistryValue(RegistryKey key, const char16_t* valueName, uint32_t* type, void* data, uint32_t* size) {
    if (key == nullptr) return kErrorInvalidParameter;
    if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
    const auto found = key->values.find(posix::FoldCase(TextOrEmpty(valueName)));
    if (found == key->values.end()) return kErrorFileNotFound;
    const posix::RegistryValue& value = found->second;
    const uint32_t length = static_cast<uint32_t>(value.data.size());
    if (type != nullptr) *type = value.type;
    if (data == nullptr) {
        if (size != nullptr) *size = length;
        return kErrorSuccess;
    }
    const uint32_t capacity = *size;
    *size = length;
    if (length > capacity) return kErrorMoreData;
    auto* bytes = static_cast<unsigned char*>(data);
    if (length > 0) std::memcpy(bytes, value.data.data(), length);
    // Windows ends unterminated text with a NUL unit when there is room for one.
    if (IsStringType(value.type) && length >= 2 && length + 2 <= capacity &&
        (bytes[length - 2] != 0 || bytes[length - 1] != 0)) {
        bytes[length] = 0;
        bytes[length + 1] = 0;
    }
    return kErrorSuccess;
}

int32_t CloseRegistryKey(RegistryKey key) {
    if (key == nullptr) return kErrorInvalidParameter;
    delete key;
    return kErrorSuccess;
}

int32_t CopyFileTo(const char16_t* source, const char16_t* target, bool failIfExists) {
    return posix::CopyMachineFile(source, target, failIfExists);
}

int32_t DeleteOneFile(const char16_t* path) { return posix::DeleteMachineFile(path); }

int32_t RunFileOperation(FileOperation* operation) {
    if (operation == nullptr || operation->function != kFoDelete || operation->from == nullptr) {
        return kErrorInvalidParameter;
    }
    if (operation->from[0] == u'\0') return kErrorAccessDenied;  // an empty list, as Windows answers it
    for (const char16_t* entry = operation->from; *entry != u'\0'; entry += std::char_traits<char16_t>::length(entry) + 1) {
        const int32_t result = posix::DeleteMachineTree(entry);
        if (result != 0) return result;
    }
    return kErrorSuccess;
}

int32_t MultiByteToWide(uint32_t codePage, uint32_t flags, const char* input, int32_t inputBytes, char16_t* output,
                        int32_t outputUnits) {
    if (codePage != kCpUtf8 || flags != 0 || input == nullptr || inputBytes == 0 || inputBytes < -1 ||
        outputUnits < 0 || (outputUnits > 0 && output == nullptr)) {
        return 0;
    }
    const std::size_t bytes = inputBytes == -1 ? std::strlen(input) + 1 : static_cast<std::size_t>(inputBytes);
    const std::u16string wide = posix::DecodeUtf8(input, bytes);
    if (outputUnits == 0) return static_cast<int32_t>(wide.size());
    if (wide.size() > static_cast<std::size_t>(outputUnits)) return 0;
    std::memcpy(output, wide.data(), wide.size() * sizeof(char16_t));
    return static_cast<int32_t>(wide.size());
}

int32_t WideToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* input, int32_t inputUnits, char* output,
                        int32_t outputBytes, const char* defaultChar, int32_t* usedDefault) {
    if (codePage != kCpThreadAcp || flags != 0 || input == nullptr || inputUnits == 0 || inputUnits < -1 ||
        outputBytes < 0 || (outputBytes > 0 && output == nullptr) || defaultChar != nullptr ||
        usedDefault != nullptr) {
        return 0;
    }
    const std::size_t units = inputUnits == -1 ? std::char_traits<char16_t>::length(input) + 1
                                               : static_cast<std::size_t>(inputUnits);
    const std::string narrow = posix::EncodeForThreadLocale(input, units);
    if (outputBytes == 0) return static_cast<int32_t>(narrow.size());
    if (narrow.size() > static_cast<std::size_t>(outputBytes)) return 0;
    std::memcpy(output, narrow.data(), narrow.size());
    return static_cast<int32_t>(narrow.size());
}

}  // namespace platform
