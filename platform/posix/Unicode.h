// Unicode.h - UTF-8 and UTF-16 transforms of the emulation, with Windows' rendering of bad input.
#pragma once

#include <cstddef>
#include <string>

namespace platform::posix {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Decodes UTF-8 as MultiByteToWideChar(CP_UTF8, 0) does: never fails; each
// invalid lead or stray continuation byte becomes one U+FFFD; an overlong
// form, an encoded surrogate or a code point above U+10FFFF becomes one U+FFFD
// for its lead and first continuation byte, the rest then count as strays; a
// sequence cut short becomes one U+FFFD and the byte that cut it is decoded
// anew. NUL bytes are kept; characters beyond the BMP become surrogate pairs.
std::u16string DecodeUtf8(const char* input, std::size_t bytes);

// Encodes UTF-16 as UTF-8. False, with *output unspecified, when the text
// holds an unpaired surrogate.
bool EncodeUtf8(const char16_t* input, std::size_t units, std::string* output);

// Folds ASCII letters to upper case, unit by unit: how the emulation compares
// registry names without regard to case. (Windows folds every letter.)
std::u16string FoldCase(std::u16string text);

}  // namespace platform::posix
