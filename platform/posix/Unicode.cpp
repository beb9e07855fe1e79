// Unicode.cpp - UTF-8 decoding with Windows' replacement rules, UTF-8 encoding, case folding.
#include "Unicode.h"

namespace platform::posix {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The number of continuation bytes that a lead byte announces; 0 for a byte
// that cannot begin a sequence (a continuation byte, C0, C1, F5 to FF).
int ContinuationCount(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

// The range the first continuation byte must lie in, so that the sequence is
// neither overlong, nor a surrogate, nor above U+10FFFF.
void FirstContinuationRange(unsigned char lead, unsigned char* low, unsigned char* high) {
    *low = 0x80;
    *high = 0xBF;
    if (lead == 0xE0) *low = 0xA0;
    if (lead == 0xED) *high = 0x9F;
    if (lead == 0xF0) *low = 0x90;
    if (lead == 0xF4) *high = 0x8F;
}

void AppendCodePoint(char32_t codePoint, std::u16string* output) {
    if (codePoint < 0x10000) {
        output->push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    output->push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    output->push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

}  // namespace

std::u16string DecodeUtf8(const char* input, std::size_t bytes) {
    const auto* in = reinterpret_cast<const unsigned char*>(input);
    std::u16string output;
    output.reserve(bytes);
    std::size_t i = 0;
    while (i < bytes) {
        const unsigned char lead = in[i++];
        if (lead < 0x80) {
            output.push_back(lead);
            continue;
        }
        const int count = ContinuationCount(lead);
        if (count == 0) {
            output.push_back(kReplacementCharacter);
            continue;
        }
        char32_t codePoint = lead & (0x3F >> count);
        unsigned char low = 0;
        unsigned char high = 0;
        FirstContinuationRange(lead, &low, &high);
        if (i >= bytes || !IsContinuation(in[i])) {
            output.push_back(kReplacementCharacter);  // only the lead is spent
            continue;
        }
        if (in[i] < low || in[i] > high) {
            ++i;  // the lead and its first continuation make one replacement
            output.push_back(kReplacementCharacter);
            continue;
        }
        codePoint = (codePoint << 6) | (in[i++] & 0x3F);
        int remaining = count - 1;
        while (remaining > 0 && i < bytes && IsContinuation(in[i])) {
            codePoint = (codePoint << 6) | (in[i++] & 0x3F);
            --remaining;
        }
        if (remaining > 0) {
            output.push_back(kReplacementCharacter);  // cut short: what was read makes one
            continue;
        }
        AppendCodePoint(codePoint, &output);
    }
    return output;
}

bool EncodeUtf8(const char16_t* input, std::size_t units, std::string* output) {
    output->clear();
    output->reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        char32_t c = input[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= units || input[i + 1] < 0xDC00 || input[i + 1] > 0xDFFF) return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (input[++i] - 0xDC00);
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        if (c < 0x80) {
            output->push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            output->push_back(static_cast<char>(0xC0 | (c >> 6)));
            output->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            output->push_back(static_cast<char>(0xE0 | (c >> 12)));
            output->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            output->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            output->push_back(static_cast<char>(0xF0 | (c >> 18)));
            output->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            output->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            output->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return true;
}

std::u16string FoldCase(std::u16string text) {
    for (char16_t& unit : text) {
        if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - (u'a' - u'A'));
    }
    return text;
}

}  // namespace platform::posix
