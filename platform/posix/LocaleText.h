// LocaleText.h - UTF-16 to the narrow charset of the calling thread's locale.
#pragma once

#include <cstddef>
#include <string>

namespace platform::posix {

// Converts `units` units of `input` to the charset of the calling thread's
// locale (uselocale, else setlocale's), as WideCharToMultiByte does for
// CP_THREAD_ACP: a character the charset lacks becomes its transliteration
// where the C library knows one and '?' otherwise; an unpaired surrogate
// becomes '?'. Never fails as a whole.
std::string EncodeForThreadLocale(const char16_t* input, std::size_t units);

}  // namespace platform::posix
