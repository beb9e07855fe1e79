// FirefoxDiscovery.cpp - finding Firefox's folder in the registry and checking its version.
#include <array>
#include <climits>
#include <cstdint>

#include "Platform.h"
#include "SharedProcs.h"

namespace SharedProcs {

namespace {

const char16_t kAppPathsKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";
const char16_t kFirefoxKey[] = u"SOFTWARE\\Mozilla\\Mozilla Firefox";

// Each value read is limited to 255 bytes; the buffer is larger and cleared,
// so that whatever is read is followed by zero bytes.
constexpr uint32_t kReadLimit = 255;
using ValueBuffer = std::array<unsigned char, 260>;

platform::UniqueRegistryKey OpenForReading(const char16_t* subKey, int32_t* result) {
    platform::RegistryKey key = nullptr;
    *result = platform::OpenRegistryKey(platform::RegistryRoot::LocalMachine, subKey, 0, platform::kKeyRead, &key);
    return platform::UniqueRegistryKey(*result == 0 ? key : nullptr);
}

int32_t ReadValue(const platform::UniqueRegistryKey& key, const char16_t* name, ValueBuffer* buffer) {
    uint32_t type = platform::kRegSz;
    uint32_t size = kReadLimit;
    return platform::QueryRegistryValue(key.get(), name, &type, buffer->data(), &size);
}

// The buffer's UTF-16LE text up to its first NUL unit.
std::u16string TextOf(const ValueBuffer& buffer) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
        if (unit == u'\0') break;
        text.push_back(unit);
    }
    return text;
}

bool IsSpaceByte(unsigned char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// Reads a decimal number from the raw bytes at `position`, as the C library's
// narrow conversion reads text: blanks skipped, one sign, then digits. A run
// of digits too long for 32 bits saturates, as strtol does.
int32_t ReadNumberAt(const ValueBuffer& bytes, std::size_t position) {
    std::size_t i = position;
    while (i < bytes.size() && IsSpaceByte(bytes[i])) ++i;
    bool negative = false;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) negative = bytes[i++] == '-';
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t value = 0;
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
        value = value * 10 + (bytes[i] - '0');
        if (value > limit) value = limit;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

int32_t SearchForFirefoxPath(const HookContext& context) {
    LogLine(context, "SharedProcs::SearchForFirefoxPath");
    int32_t opened = 0;
    const platform::UniqueRegistryKey key = OpenForReading(kAppPathsKey, &opened);
    if (opened != 0) {
        LogLine(context, "SearchForFirefoxPath-> RegOpenKeyEx failed");
        return 0;
    }
    ValueBuffer buffer{};
    if (ReadValue(key, u"Path", &buffer) != 0) {
        LogLine(context, "SearchForFirefoxPath-> RegQueryValueEx failed");
        return 0;
    }
    FirefoxInstallDIR = TextOf(buffer);
    LogLine(context, "SearchForFirefoxPath-> RegQueryValueEx passed and FirefoxInstallDIR found");
    return 1;
}

int32_t VerifyFirefoxVersion(const HookContext& context) {
    LogLine(context, "SharedProcs::VerifyFirefoxVersion");
    int32_t opened = 0;
    platform::UniqueRegistryKey key = OpenForReading(kFirefoxKey, &opened);
    if (opened != 0) {
        LogLine(context, "VerifyFirefoxVersion-> Firefox not found");
        return 0;
    }
    ValueBuffer buffer{};
    if (ReadValue(key, u"CurrentVersion", &buffer) != 0) {
        LogLine(context, "VerifyFirefoxVersion->RegQueryValueEx failed");
        return 0;
    }
    LogLine(context, "VerifyFirefoxVersion->RegQueryValueEx succeeded");
    // The major number starts at byte 0, the minor at byte 4: the third UTF-16 unit.
    const int64_t major = ReadNumberAt(buffer, 0);
    const int64_t minor = ReadNumberAt(buffer, 4);
    key.reset();
    const int64_t version = major * 10 + minor;
    if (version < 30 || version >= 40) {
        LogLine(context, "VerifyFirefoxVersion-> Firefox version is not supported");
        return 0;
    }
    LogLine(context, "VerifyFirefoxVersion-> Firefox version is supported");
    return 1;
}

}  // namespace SharedProcs
