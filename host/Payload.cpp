// Payload.cpp - copying a payload tree into the install folder and taking it out again.
#include "Payload.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

long LayDownPayload(const fs::path& payload, const fs::path& folder, std::string* error) {
    std::error_code failure;
    long files = 0;
    fs::create_directories(folder, failure);
    for (auto it = fs::recursive_directory_iterator(payload, failure); !failure && it != fs::end(it);
         it.increment(failure)) {
        const fs::path target = folder / fs::relative(it->path(), payload, failure);
        if (failure) break;
        if (it->is_directory(failure)) {
            fs::create_directories(target, failure);
        } else if (fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, failure)) {
            ++files;
        }
    }
    if (failure) {
        *error = "cannot lay down " + payload.string() + " into " + folder.string() + ": " + failure.message();
        return -1;
    }
    return files;
}

long RemovePayload(const fs::path& payload, const fs::path& folder, std::string* error) {
    std::error_code failure;
    std::vector<fs::path> folders;
    long files = 0;
    for (auto it = fs::recursive_directory_iterator(payload, failure); !failure && it != fs::end(it);
         it.increment(failure)) {
        const fs::path target = folder / fs::relative(it->path(), payload, failure);
        if (it->is_directory(failure)) {
            folders.push_back(target);
        } else if (fs::remove(target, failure)) {
            ++files;
        }
    }
    if (failure) {
        *error = "cannot remove " + payload.string() + " from " + folder.string() + ": " + failure.message();
        return -1;
    }
    // Deepest first; a folder that still holds something of another origin stays.
    std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) { return a > b; });
    folders.push_back(folder);
    for (const fs::path& emptied : folders) {
        std::error_code ignored;
        if (fs::is_empty(emptied, ignored)) fs::remove(emptied, ignored);
    }
    return files;
}
