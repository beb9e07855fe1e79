// Process_windows.cpp - running a program of this build with CreateProcessW.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "Process.h"

namespace {

std::wstring ToWide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::string ToUtf8(const std::wstring& wide) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size, nullptr, nullptr);
    return text;
}

// Quotes one argument the way CommandLineToArgvW reads it back.
void AppendQuoted(std::wstring* line, const std::wstring& argument) {
    line->push_back(L'"');
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line->append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line->push_back(c);
    }
    line->append(backslashes * 2, L'\\');
    line->push_back(L'"');
}

struct TemporaryFile {
    std::wstring path;
    HANDLE handle = INVALID_HANDLE_VALUE;

    TemporaryFile() {
        wchar_t folder[MAX_PATH + 1] = {};
        wchar_t name[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qlf", 0, name);
        path = name;
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~TemporaryFile() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        DeleteFileW(path.c_str());
    }
    std::string Read() {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        std::string text;
        HANDLE in = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        char buffer[4096];
        DWORD got = 0;
        while (in != INVALID_HANDLE_VALUE && ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            text.append(buffer, got);
        }
        if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
        return text;
    }
};

}  // namespace

std::string ProgramBesideTest(const std::string& name) { return FileBesideTest(name + ".exe"); }

std::string FileBesideTest(const std::string& fileName) {
    wchar_t self[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return ToUtf8(path.substr(0, path.find_last_of(L"\\/") + 1)) + fileName;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments) {
    std::wstring line;
    AppendQuoted(&line, ToWide(program));
    for (const std::string& argument : arguments) {
        line.push_back(L' ');
        AppendQuoted(&line, ToWide(argument));
    }
    TemporaryFile out;
    TemporaryFile err;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out.handle;
    startup.hStdError = err.handle;
    PROCESS_INFORMATION process = {};
    ProcessResult result;
    if (CreateProcessW(ToWide(program).c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) {
            result.exitStatus = static_cast<int>(code);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    result.standardOutput = out.Read();
    result.standardError = err.Read();
    return result;
}
