// RegistryFile.cpp - a strict reader of regedit's export format.
#include "RegistryFile.h"

#include <optional>

#include "Unicode.h"

namespace platform::posix {

namespace {

constexpr uint32_t kTypeString = 1;
constexpr uint32_t kTypeBinary = 3;
constexpr uint32_t kTypeDword = 4;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Trim(const std::u16string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// The file's text as UTF-16, whatever its encoding; nothing for bad UTF-16.
std::optional<std::u16string> DecodeFile(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        if (bytes.size() % 2 != 0) return std::nullopt;
        std::u16string text;
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
        return text;
    }
    std::size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    return DecodeUtf8(bytes.data() + start, bytes.size() - start);
}

std::vector<std::u16string> SplitLines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads a run of 1 to `maxDigits` hex digits at `*at`.
std::optional<uint32_t> ReadHex(const std::u16string& text, std::size_t* at, int maxDigits) {
    uint32_t value = 0;
    int digits = 0;
    while (*at < text.size() && digits < maxDigits && HexDigit(text[*at]) >= 0) {
        value = value * 16 + static_cast<uint32_t>(HexDigit(text[(*at)++]));
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

// Reads a quoted text at `*at` (on its opening quote), with \\ and \" escapes.
std::optional<std::u16string> ReadQuoted(const std::u16string& text, std::size_t* at) {
    if (*at >= text.size() || text[*at] != u'"') return std::nullopt;
    std::u16string result;
    for (std::size_t i = *at + 1; i < text.size(); ++i) {
        if (text[i] == u'"') {
            *at = i + 1;
            return result;
        }
        if (text[i] == u'\\') {
            if (i + 1 >= text.size() || (text[i + 1] != u'\\' && text[i + 1] != u'"')) return std::nullopt;
            ++i;
        }
        result.push_back(text[i]);
    }
    return std::nullopt;  // no closing quote
}

bool OnlyBlanksFrom(const std::u16string& text, std::size_t at) {
    for (; at < text.size(); ++at) {
        if (!IsBlank(text[at])) return false;
    }
    return true;
}

// Reads comma-separated hex bytes; the whole list, continuations joined.
std::optional<std::vector<uint8_t>> ReadHexBytes(const std::u16string& list) {
    std::vector<uint8_t> bytes;
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < list.size() && IsBlank(list[at])) ++at;
    };
    skipBlanks();
    if (at == list.size()) return bytes;
    for (;;) {
        skipBlanks();
        const auto byte = ReadHex(list, &at, 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(*byte));
        skipBlanks();
        if (at == list.size()) return bytes;
        if (list[at] != u',') return std::nullopt;
        ++at;
        skipBlanks();
        if (at == list.size()) return bytes;  // a trailing comma, as regedit writes before a line break
    }
}

std::vector<uint8_t> Utf16LeWithTerminator(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

class Parser {
public:
    explicit Parser(RegistryHive* hive) : hive_(hive) {}

    bool Parse(const std::vector<std::u16string>& lines) {
        if (lines.empty()) return false;
        const std::u16string header = Trim(lines[0]);
        if (header != u"Windows Registry Editor Version 5.00" && header != u"REGEDIT4") return false;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            std::u16string line = Trim(lines[i]);
            // A hex list ending in '\' goes on in the next line.
            while (!line.empty() && line.back() == u'\\' && IsHexValueLine(line) && i + 1 < lines.size()) {
                line.pop_back();
                line += Trim(lines[++i]);
            }
            if (line.empty() || line[0] == u';') continue;
            if (!(line[0] == u'[' ? ParseSection(line) : ParseValue(line))) return false;
        }
        return true;
    }

private:
    static bool IsHexValueLine(const std::u16string& line) {
        const std::size_t equals = line.find(u"=hex");
        return equals != std::u16string::npos;
    }

    // The folded path below HKEY_LOCAL_MACHINE, or nothing for another root.
    static std::optional<std::u16string> KeyBelowLocalMachine(const std::u16string& fullPath, bool* malformed) {
        *malformed = false;
        const std::size_t slash = fullPath.find(u'\\');
        const std::u16string root = FoldCase(fullPath.substr(0, slash));
        if (root.empty()) {
            *malformed = true;
            return std::nullopt;
        }
        if (root != u"HKEY_LOCAL_MACHINE" && root != u"HKLM") return std::nullopt;
        if (slash == std::u16string::npos) return std::u16string();
        const std::u16string below = fullPath.substr(slash + 1);
        // Empty components (a doubled or trailing backslash) name no key.
        if (below.empty() || below.front() == u'\\' || below.back() == u'\\' ||
            below.find(u"\\\\") != std::u16string::npos) {
            *malformed = true;
            return std::nullopt;
        }
        return FoldCase(below);
    }

    bool ParseSection(const std::u16string& line) {
        if (line.back() != u']') return false;
        std::u16string name = line.substr(1, line.size() - 2);
        const bool remove = !name.empty() && name[0] == u'-';
        if (remove) name.erase(0, 1);
        bool malformed = false;
        const auto path = KeyBelowLocalMachine(name, &malformed);
        if (malformed) return false;
        inSection_ = true;
        current_.reset();
        if (!path) return true;  // another root: its values are skipped
        if (remove) {
            RemoveKey(*path);
        } else {
            CreateKey(*path);
            current_ = *path;
        }
        return true;
    }

    void CreateKey(const std::u16string& path) {
        hive_->keys[path];
        for (std::size_t slash = path.find(u'\\'); slash != std::u16string::npos;
             slash = path.find(u'\\', slash + 1)) {
            hive_->keys[path.substr(0, slash)];
        }
        hive_->keys[u""];
    }

    void RemoveKey(const std::u16string& path) {
        const std::u16string below = path + u"\\";
        for (auto it = hive_->keys.begin(); it != hive_->keys.end();) {
            const bool inside = it->first == path || it->first.compare(0, below.size(), below) == 0 || path.empty();
            it = inside ? hive_->keys.erase(it) : std::next(it);
        }
    }

    bool ParseValue(const std::u16string& line) {
        if (!inSection_) return false;
        std::size_t at = 0;
        std::u16string name;
        if (line[0] == u'@') {
            at = 1;
        } else {
            const auto quoted = ReadQuoted(line, &at);
            if (!quoted) return false;
            name = *quoted;
        }
        while (at < line.size() && IsBlank(line[at])) ++at;
        if (at >= line.size() || line[at] != u'=') return false;
        ++at;
        while (at < line.size() && IsBlank(line[at])) ++at;

        std::optional<RegistryValue> value;
        bool remove = false;
        if (!ReadData(line, at, &value, &remove)) return false;
        if (!current_) return true;
        RegistryValues& values = hive_->keys[*current_];
        if (remove) {
            values.erase(FoldCase(name));
        } else {
            values[FoldCase(name)] = std::move(*value);
        }
        return true;
    }

    static bool ReadData(const std::u16string& line, std::size_t at, std::optional<RegistryValue>* value,
                         bool* remove) {
        const std::u16string data = line.substr(at);
        if (data == u"-") {
            *remove = true;
            return true;
        }
        RegistryValue result;
        if (!data.empty() && data[0] == u'"') {
            std::size_t end = 0;
            const auto text = ReadQuoted(data, &end);
            if (!text || !OnlyBlanksFrom(data, end)) return false;
            result.type = kTypeString;
            result.data = Utf16LeWithTerminator(*text);
        } else if (FoldCase(data.substr(0, 6)) == u"DWORD:") {
            std::size_t end = 6;
            const auto number = ReadHex(data, &end, 8);
            if (!number || !OnlyBlanksFrom(data, end)) return false;
            result.type = kTypeDword;
            for (int shift = 0; shift < 32; shift += 8) result.data.push_back(static_cast<uint8_t>(*number >> shift));
        } else if (FoldCase(data.substr(0, 3)) == u"HEX") {
            std::size_t end = 3;
            result.type = kTypeBinary;
            if (end < data.size() && data[end] == u'(') {
                ++end;
                const auto type = ReadHex(data, &end, 8);
                if (!type || end >= data.size() || data[end] != u')') return false;
                result.type = *type;
                ++end;
            }
            if (end >= data.size() || data[end] != u':') return false;
            auto bytes = ReadHexBytes(data.substr(end + 1));
            if (!bytes) return false;
            result.data = std::move(*bytes);
        } else {
            return false;
        }
        *value = std::move(result);
        return true;
    }

    RegistryHive* hive_;
    bool inSection_ = false;
    std::optional<std::u16string> current_;
};

}  // namespace

const RegistryValues* RegistryHive::Find(const std::u16string& path) const {
    const auto found = keys.find(FoldCase(path));
    return found == keys.end() ? nullptr : &found->second;
}

bool ParseRegistryFile(const std::string& bytes, RegistryHive* hive) {
    const auto text = DecodeFile(bytes);
    if (!text) return false;
    RegistryHive parsed;
    if (!Parser(&parsed).Parse(SplitLines(*text))) return false;
    *hive = std::move(parsed);
    return true;
}

}  // namespace platform::posix
