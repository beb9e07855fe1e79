// SharedState.cpp - the log prefix, the two process-wide directory strings and the text conversions.
#include <climits>

#include "Platform.h"
#include "SharedProcs.h"

namespace SharedProcs {

const char LogPrefix[] = "QL FF Plugin Custom Hook: ";

// Created empty when the library loads, released when it unloads.
std::u16string FirefoxInstallDIR;
std::u16string QL_FFPluginDIR;

void LogLine(const HookContext& context, const std::string& message) {
    std::string line;
    line.reserve(sizeof LogPrefix - 1 + message.size());
    line += LogPrefix;
    line += message;
    context.Log(line.c_str());
}

std::u16string Utf8ToWide(const std::string& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT32_MAX)) {
        return std::u16string();
    }
    const int32_t bytes = static_cast<int32_t>(text.size());
    const int32_t units = platform::MultiByteToWide(platform::kCpUtf8, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0) {
        return std::u16string();
    }
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    if (platform::MultiByteToWide(platform::kCpUtf8, 0, text.data(), bytes, &wide[0], units) == 0) {
        return std::u16string();
    }
    return wide;
}

std::string WideToAnsi(const std::u16string& text) {
    const char16_t* input = text.c_str();  // read up to its first NUL
    const int32_t length =
        platform::WideToMultiByte(platform::kCpThreadAcp, 0, input, -1, nullptr, 0, nullptr, nullptr) - 1;
    if (length <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<std::size_t>(length), '\0');
    // The conversion writes the terminator too: the string's own NUL slot takes it.
    if (platform::WideToMultiByte(platform::kCpThreadAcp, 0, input, -1, &narrow[0], length + 1, nullptr,
                                  nullptr) == 0) {
        return std::string();
    }
    return narrow;
}

}  // namespace SharedProcs
