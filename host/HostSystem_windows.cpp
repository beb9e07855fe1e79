// HostSystem_windows.cpp - teskhost's operating-system needs on Windows: LoadLibrary and the wide command line.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "HostSystem.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return std::string();
    }
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

std::wstring ToWide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 1) {
        return std::wstring();
    }
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &result[0], size);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

std::string LastErrorText() {
    const DWORD code = GetLastError();
    wchar_t* message = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text = message != nullptr ? ToUtf8(message) : std::string();
    LocalFree(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return "error " + std::to_string(code) + (text.empty() ? "" : ": " + text);
}

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function* function, std::string* error) {
    FARPROC symbol = GetProcAddress(library, name);
    if (symbol == nullptr) {
        *error = std::string("entry point ") + name + " not found";
        return false;
    }
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(symbol));
    return true;
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(ToUtf8(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::string DefaultLibraryPath() {
    wchar_t self[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return ToUtf8(path.substr(0, path.find_last_of(L"\\/") + 1).c_str()) + "qlffhook.dll";
}

bool LoadHookLibrary(const std::string& path, HookEntryPoints* entryPoints, std::string* error) {
    HMODULE library = LoadLibraryW(ToWide(path).c_str());
    if (library == nullptr) {
        *error = "cannot load " + path + ": " + LastErrorText();
        return false;
    }
    return Resolve(library, "TeskInstallerCustomHookInitSession", &entryPoints->initSession, error) &&
           Resolve(library, "TeskInstallerCustomHookProc", &entryPoints->proc, error) &&
           Resolve(library, "TeskInstallerCustomHookCloseSession", &entryPoints->closeSession, error);
}

bool SetMachineRoot(const std::string&, std::string* error) {
    *error = "--root is for the platform emulation; this Windows build uses the real machine";
    return false;
}
