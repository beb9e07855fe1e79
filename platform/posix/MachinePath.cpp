// MachinePath.cpp - Windows paths mapped into the machine folder.
#include "MachinePath.h"

#include "Unicode.h"

namespace platform::posix {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsForbiddenInName(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*';
}

}  // namespace

std::string MachinePath::Relative() const {
    std::string relative = drive;
    for (const std::string& component : components) {
        relative += '/';
        relative += component;
    }
    return relative;
}

bool MapWindowsPath(const std::u16string& path, MachinePath* result) {
    std::size_t start = 0;
    char16_t letter = u'c';
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == u':') {
        letter = static_cast<char16_t>(path[0] | 0x20);
        start = 2;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return false;  // UNC and device paths name no drive of this machine
    }

    MachinePath mapped;
    mapped.drive = std::string("drive_") + static_cast<char>(letter);
    std::size_t i = start;
    while (i <= path.size()) {
        std::size_t end = i;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::u16string component = path.substr(i, end - i);
        i = end + 1;
        if (component.empty() || component == u".") continue;
        if (component == u"..") {
            if (!mapped.components.empty()) mapped.components.pop_back();
            continue;
        }
        for (char16_t c : component) {
            if (IsForbiddenInName(c)) return false;
        }
        std::string utf8;
        if (!EncodeUtf8(component.data(), component.size(), &utf8)) return false;
        mapped.components.push_back(std::move(utf8));
    }
    *result = std::move(mapped);
    return true;
}

}  // namespace platform::posix
