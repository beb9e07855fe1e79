// LocaleText.cpp - the thread's ANSI code page, emulated with the locale's charset and iconv.
#include "LocaleText.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <memory>

#include "Unicode.h"

namespace platform::posix {

namespace {

const char* ThreadCodeset() {
    const locale_t current = uselocale(static_cast<locale_t>(nullptr));
    return current == LC_GLOBAL_LOCALE ? nl_langinfo(CODESET) : nl_langinfo_l(CODESET, current);
}

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using UniqueIconv = std::unique_ptr<void, IconvCloser>;

// Converts one character, given as UTF-8; false when the charset has no
// rendering of it at all.
bool ConvertCharacter(iconv_t converter, const std::string& character, std::string* output) {
    char buffer[32];
    char* in = const_cast<char*>(character.data());
    std::size_t inLeft = character.size();
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return false;
    }
    output->append(buffer, sizeof buffer - outLeft);
    return true;
}

}  // namespace

std::string EncodeForThreadLocale(const char16_t* input, std::size_t units) {
    const std::string target = std::string(ThreadCodeset()) + "//TRANSLIT";
    iconv_t raw = iconv_open(target.c_str(), "UTF-8");
    if (raw == reinterpret_cast<iconv_t>(-1)) raw = iconv_open("ASCII//TRANSLIT", "UTF-8");
    const UniqueIconv converter(raw == reinterpret_cast<iconv_t>(-1) ? nullptr : raw);

    std::string output;
    std::string character;
    for (std::size_t i = 0; i < units; ++i) {
        const bool pair = input[i] >= 0xD800 && input[i] <= 0xDBFF && i + 1 < units && input[i + 1] >= 0xDC00 &&
                          input[i + 1] <= 0xDFFF;
        const std::size_t length = pair ? 2 : 1;
        if (input[i] < 0x80) {
            output.push_back(static_cast<char>(input[i]));
        } else if (!EncodeUtf8(input + i, length, &character) || converter == nullptr ||
                   !ConvertCharacter(static_cast<iconv_t>(converter.get()), character, &output)) {
            output.push_back('?');
        }
        i += length - 1;
    }
    return output;
}

}  // namespace platform::posix
