// TestMachine.h - a private machine for one test: registry values and files that it removes afterwards.
//
// Natively it is a fresh machine folder named by TESKHOOK_ROOT; under Wine it
// is keys in the private prefix's registry and a fresh folder on its drive C.
// Paths are Windows paths; keys are paths below HKEY_LOCAL_MACHINE.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TestMachine {
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    // A folder of this test's own, such as "C:\users\x\Temp\qlff-123".
    std::u16string Folder() const;

    // Sets a value with exactly these bytes and this type, creating the key.
    void SetValue(const std::u16string& key, const std::u16string& name, uint32_t type,
                  const std::vector<uint8_t>& bytes);
    // Sets a REG_SZ value: the text as UTF-16LE with its NUL, as regedit stores it.
    void SetString(const std::u16string& key, const std::u16string& name, const std::u16string& text);
    // Creates a key without values.
    void CreateKey(const std::u16string& key);

    void CreateFolder(const std::u16string& path);
    void WriteFile(const std::u16string& path, const std::string& bytes);
    void SetReadOnly(const std::u16string& path);
    // The file's bytes, or nothing when there is no such file.
    std::optional<std::string> ReadFile(const std::u16string& path) const;
    bool IsFolder(const std::u16string& path) const;
    bool Exists(const std::u16string& path) const;
    // Where a Windows path of this machine lies for the programs of this
    // platform, in UTF-8: inside the machine folder natively, itself on Windows.
    std::string HostPathOf(const std::u16string& path) const;
    // The names in a folder, sorted.
    std::vector<std::u16string> List(const std::u16string& path) const;

    struct State;

private:
    State* state_;
};

// `text` as UTF-8 (surrogate pairs joined), for the tests' own use.
std::string Utf8Of(const std::u16string& text);

// UTF-16LE bytes of `text` followed by a NUL unit.
std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool terminated = true);
