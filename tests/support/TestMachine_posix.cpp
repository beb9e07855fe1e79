// TestMachine_posix.cpp - a private machine folder with a registry.reg written from the values set.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "TestMachine.h"

namespace fs = std::filesystem;

struct TestMachine::State {
    fs::path root;
    // key -> name -> (type, bytes), written out in full after every change
    std::map<std::u16string, std::map<std::u16string, std::pair<uint32_t, std::vector<uint8_t>>>> registry;
    std::string previousRoot;
    bool hadRoot = false;
};

namespace {

std::string Quoted(const std::u16string& text) {
    std::string out = "\"";
    for (char c : Utf8Of(text)) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// The test's own mapping of its Windows paths: "C:\a\b" is drive_c/a/b.
fs::path HostPath(const fs::path& root, const std::u16string& path) {
    if (path.size() < 3 || path[1] != u':' || path[2] != u'\\') throw std::invalid_argument("not a drive path");
    std::string rest = Utf8Of(path.substr(3));
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return root / (std::string("drive_") + static_cast<char>(path[0] | 0x20)) / rest;
}

}  // namespace

TestMachine::TestMachine() : state_(new State) {
    char pattern[] = "/tmp/qlff-machine-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
    state_->root = pattern;
    fs::create_directories(state_->root / "drive_c" / "work");
    if (const char* previous = getenv("TESKHOOK_ROOT")) {
        state_->hadRoot = true;
        state_->previousRoot = previous;
    }
    setenv("TESKHOOK_ROOT", pattern, 1);
}

TestMachine::~TestMachine() {
    std::error_code ignored;
    // Read-only folders are made writable again so that everything goes.
    for (auto it = fs::recursive_directory_iterator(state_->root, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) chmod(it->path().c_str(), 0700);
    }
    fs::remove_all(state_->root, ignored);
    if (state_->hadRoot) {
        setenv("TESKHOOK_ROOT", state_->previousRoot.c_str(), 1);
    } else {
        unsetenv("TESKHOOK_ROOT");
    }
    delete state_;
}

std::u16string TestMachine::Folder() const { return u"C:\\work"; }

namespace {

void WriteRegistry(const TestMachine::State& state);

}  // namespace

void TestMachine::CreateKey(const std::u16string& key) {
    state_->registry[key];
    WriteRegistry(*state_);
}

void TestMachine::SetValue(const std::u16string& key, const std::u16string& name, uint32_t type,
                           const std::vector<uint8_t>& bytes) {
    state_->registry[key][name] = {type, bytes};
    WriteRegistry(*state_);
}

namespace {

// Writes every value as hex(type) bytes, so that the file holds them exactly.
void WriteRegistry(const TestMachine::State& state) {
    std::ostringstream file;
    file << "Windows Registry Editor Version 5.00\r\n";
    for (const auto& [keyPath, values] : state.registry) {
        file << "\r\n[HKEY_LOCAL_MACHINE\\" << Utf8Of(keyPath) << "]\r\n";
        for (const auto& [valueName, value] : values) {
            file << (valueName.empty() ? std::string("@") : Quoted(valueName)) << "=hex(" << std::hex
                 << value.first << "):";
            for (std::size_t i = 0; i < value.second.size(); ++i) {
                file << (i ? "," : "") << std::hex << static_cast<int>(value.second[i] >> 4)
                     << static_cast<int>(value.second[i] & 15);
            }
            file << std::dec << "\r\n";
        }
    }
    std::ofstream(state.root / "registry.reg", std::ios::binary) << file.str();
}

}  // namespace

void TestMachine::SetString(const std::u16string& key, const std::u16string& name, const std::u16string& text) {
    SetValue(key, name, 1, Utf16Bytes(text));
}

void TestMachine::CreateFolder(const std::u16string& path) { fs::create_directories(HostPath(state_->root, path)); }

void TestMachine::WriteFile(const std::u16string& path, const std::string& bytes) {
    std::ofstream(HostPath(state_->root, path), std::ios::binary) << bytes;
}

void TestMachine::SetReadOnly(const std::u16string& path) { chmod(HostPath(state_->root, path).c_str(), 0444); }

std::optional<std::string> TestMachine::ReadFile(const std::u16string& path) const {
    const fs::path host = HostPath(state_->root, path);
    std::error_code error;
    if (!fs::is_regular_file(host, error)) return std::nullopt;
    std::ifstream in(host, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool TestMachine::IsFolder(const std::u16string& path) const {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(HostPath(state_->root, path), error));
}

bool TestMachine::Exists(const std::u16string& path) const {
    std::error_code error;
    return fs::exists(fs::symlink_status(HostPath(state_->root, path), error));
}

std::vector<std::u16string> TestMachine::List(const std::u16string& path) const {
    std::vector<std::u16string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(HostPath(state_->root, path), error)) {
        names.push_back(entry.path().filename().u16string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TestMachine::HostPathOf(const std::u16string& path) const { return HostPath(state_->root, path).string(); }
