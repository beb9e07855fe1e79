// TestMachine_windows.cpp - keys in the Wine prefix's registry and a fresh folder, removed afterwards.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "TestMachine.h"

namespace fs = std::filesystem;

struct TestMachine::State {
    std::u16string folder;
    std::vector<std::u16string> createdKeys;  // in the order created; removed in reverse
};

namespace {

const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

fs::path HostPath(const std::u16string& path) { return fs::path(std::wstring(W(path))); }

}  // namespace

TestMachine::TestMachine() : state_(new State) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"qlff-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount());
    if (!CreateDirectoryW(folder.c_str(), nullptr)) throw std::runtime_error("CreateDirectoryW");
    state_->folder.assign(folder.begin(), folder.end());
}

TestMachine::~TestMachine() {
    for (auto key = state_->createdKeys.rbegin(); key != state_->createdKeys.rend(); ++key) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, W(*key));
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, W(*key));
    }
    std::error_code ignored;
    const fs::path root = HostPath(state_->folder);
    for (auto it = fs::recursive_directory_iterator(root, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(root, ignored);
    delete state_;
}

std::u16string TestMachine::Folder() const { return state_->folder; }

void TestMachine::CreateKey(const std::u16string& key) {
    // Each level is created on its own, so that the ones this test made are known.
    for (std::size_t end = 0; end != std::u16string::npos;) {
        end = key.find(u'\\', end + 1);
        const std::u16string level = key.substr(0, end);
        HKEY handle = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(level), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                            &disposition) != ERROR_SUCCESS) {
            throw std::runtime_error("RegCreateKeyExW");
        }
        RegCloseKey(handle);
        if (disposition == REG_CREATED_NEW_KEY) state_->createdKeys.push_back(level);
    }
}

void TestMachine::SetValue(const std::u16string& key, const std::u16string& name, uint32_t type,
                           const std::vector<uint8_t>& bytes) {
    CreateKey(key);
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(key), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) {
        throw std::runtime_error("RegOpenKeyExW");
    }
    // RegSetValueExW counts one more unit for text whose NUL the caller "forgot",
    // reading past the data; a nonzero unit there keeps the value exactly as given.
    std::vector<uint8_t> padded = bytes;
    padded.insert(padded.end(), {0xFF, 0xFF});
    const LONG result = RegSetValueExW(handle, name.empty() ? nullptr : W(name), 0, type,
                                       bytes.empty() ? nullptr : padded.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) throw std::runtime_error("RegSetValueExW");
}

void TestMachine::SetString(const std::u16string& key, const std::u16string& name, const std::u16string& text) {
    SetValue(key, name, REG_SZ, Utf16Bytes(text));
}

void TestMachine::CreateFolder(const std::u16string& path) { fs::create_directories(HostPath(path)); }

void TestMachine::WriteFile(const std::u16string& path, const std::string& bytes) {
    std::ofstream(HostPath(path), std::ios::binary) << bytes;
}

void TestMachine::SetReadOnly(const std::u16string& path) {
    SetFileAttributesW(W(path), GetFileAttributesW(W(path)) | FILE_ATTRIBUTE_READONLY);
}

std::optional<std::string> TestMachine::ReadFile(const std::u16string& path) const {
    std::error_code error;
    if (!fs::is_regular_file(HostPath(path), error)) return std::nullopt;
    std::ifstream in(HostPath(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool TestMachine::IsFolder(const std::u16string& path) const {
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool TestMachine::Exists(const std::u16string& path) const { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::u16string> TestMachine::List(const std::u16string& path) const {
    std::vector<std::u16string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(HostPath(path), error)) {
        names.push_back(entry.path().filename().u16string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TestMachine::HostPathOf(const std::u16string& path) const {
    const std::wstring wide(W(path));
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size, nullptr, nullptr);
    return text;
}
