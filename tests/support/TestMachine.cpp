// TestMachine.cpp - what the test machines of both platforms share.
#include "TestMachine.h"

std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool terminated) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    if (terminated) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}
