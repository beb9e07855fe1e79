// registry_file_test.cpp - the emulated registry: the file forms it reads and the ones it refuses.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "Platform.h"
#include "TestMachine.h"

namespace {

using Bytes = std::vector<uint8_t>;

class RegistryFile : public ::testing::Test {
public:
    TestMachine machine_;  // a fresh machine folder as TESKHOOK_ROOT
    std::string root_ = getenv("TESKHOOK_ROOT");

    void WriteRegistry(const std::string& bytes) {
        std::ofstream(root_ + "/registry.reg", std::ios::binary) << bytes;
    }

    // The value's bytes, or the error code of the open or the read as text.
    static std::string Read(const std::u16string& key, const std::u16string& name, uint32_t* type = nullptr) {
        platform::RegistryKey raw = nullptr;
        const int32_t opened = platform::OpenRegistryKey(platform::RegistryRoot::LocalMachine, key.c_str(), 0,
                                                         platform::kKeyRead, &raw);
        if (opened != 0) {
            EXPECT_EQ(raw, nullptr);
            return "open " + std::to_string(opened);
        }
        platform::UniqueRegistryKey owned(raw);
        char buffer[512];
        uint32_t size = sizeof buffer;
        const int32_t read = platform::QueryRegistryValue(owned.get(), name.c_str(), type, buffer, &size);
        if (read != 0) return "read " + std::to_string(read);
        return std::string(buffer, size);
    }
};

std::string Utf16(const std::string& ascii, bool terminated = true) {
    std::string bytes;
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    if (terminated) bytes += std::string(2, '\0');
    return bytes;
}

// The same registry text as regedit writes it: UTF-16LE with BOM, CRLF.
std::string AsRegeditWritesIt(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        if (c == '\n') bytes += std::string("\r\0", 2);
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

const char kExport[] =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; Firefox, as its installer registers it\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe]\n"
    "@=\"C:\\\\Program Files\\\\Mozilla Firefox\\\\firefox.exe\"\n"
    "\"Path\"=\"C:\\\\Program Files\\\\Mozilla Firefox\"\n"
    "\n"
    "  [HKEY_LOCAL_MACHINE\\SOFTWARE\\Mozilla\\Mozilla Firefox]  \n"
    "\"CurrentVersion\"=\"3.6.13 (en-US)\"\n"
    "\"Quoted \\\"name\\\"\"=\"a \\\"quoted\\\" text\"\n"
    "\"Odd\"=hex(1):33,00,2e\n"
    "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n"
    "\"Long\"=hex:01,02,03,\\\n"
    "  04,05,\\\n"
    "  06\n"
    "\"Number\"=dword:0000001e\n"
    "\"Gone\"=\"soon\"\n"
    "\"Gone\"=-\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Old\\Product]\n"
    "\"Stale\"=\"x\"\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n"
    "\n"
    "[HKEY_CURRENT_USER\\SOFTWARE\\Mozilla\\Mozilla Firefox]\n"
    "\"CurrentVersion\"=\"4.0\"\n";

void ExpectTheExportRead(const std::string& why) {
    SCOPED_TRACE(why);
    const std::u16string firefox = u"SOFTWARE\\Mozilla\\Mozilla Firefox";
    uint32_t type = 0;
    EXPECT_EQ(RegistryFile::Read(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", u"Path",
                                 &type),
              Utf16("C:\\Program Files\\Mozilla Firefox"));
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(RegistryFile::Read(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", u""),
              Utf16("C:\\Program Files\\Mozilla Firefox\\firefox.exe"));
    EXPECT_EQ(RegistryFile::Read(firefox, u"CurrentVersion"), Utf16("3.6.13 (en-US)"));
    EXPECT_EQ(RegistryFile::Read(u"software\\MOZILLA\\mozilla firefox", u"currentVERSION"), Utf16("3.6.13 (en-US)"));
    EXPECT_EQ(RegistryFile::Read(firefox, u"Quoted \"name\""), Utf16("a \"quoted\" text"));
    EXPECT_EQ(RegistryFile::Read(firefox, u"Odd", &type), std::string("3\0.", 3));  // hex(1) exactly as written
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(RegistryFile::Read(firefox, u"Expand", &type), Utf16("%A%"));
    EXPECT_EQ(type, platform::kRegExpandSz);
    EXPECT_EQ(RegistryFile::Read(firefox, u"Long", &type), std::string("\1\2\3\4\5\6"));
    EXPECT_EQ(type, platform::kRegBinary);
    EXPECT_EQ(RegistryFile::Read(firefox, u"Number", &type), std::string("\x1e\0\0\0", 4));
    EXPECT_EQ(type, platform::kRegDword);
    EXPECT_EQ(RegistryFile::Read(firefox, u"Gone"), "read 2");
    EXPECT_EQ(RegistryFile::Read(u"SOFTWARE\\Old\\Product", u"Stale"), "open 2");  // deleted with its parent
    EXPECT_EQ(RegistryFile::Read(u"SOFTWARE\\Old", u""), "open 2");
    EXPECT_EQ(RegistryFile::Read(u"SOFTWARE\\Microsoft", u"x"), "read 2");  // a parent exists implicitly
}

TEST_F(RegistryFile, ReadsRegeditExportsInEveryEncoding) {
    WriteRegistry(kExport);
    ExpectTheExportRead("UTF-8, LF");
    WriteRegistry(std::string("\xEF\xBB\xBF") + kExport);
    ExpectTheExportRead("UTF-8 with BOM");
    WriteRegistry(AsRegeditWritesIt(kExport));
    ExpectTheExportRead("UTF-16LE with BOM, CRLF");
    std::string regedit4 = kExport;
    regedit4.replace(0, std::string("Windows Registry Editor Version 5.00").size(), "REGEDIT4");
    WriteRegistry(regedit4);
    ExpectTheExportRead("REGEDIT4");
}

TEST_F(RegistryFile, NonAsciiTextBecomesUtf16) {
    WriteRegistry("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n\"P\"=\"C:\\\\Caf\xC3\xA9\"\n");
    EXPECT_EQ(Read(u"SOFTWARE\\K", u"P"), std::string("C\0:\0\\\0C\0a\0f\0\xE9\0\0\0", 16));
}

TEST_F(RegistryFile, MalformedFilesOpenNoKey) {
    const std::string section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n";
    const std::string header = "Windows Registry Editor Version 5.00\n";
    struct Case {
        const char* what;
        std::string file;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"no header", section + "\"A\"=\"1\"\n"},
        {"another header", "Windows Registry Editor Version 4.00\n" + section},
        {"value before any section", header + "\"A\"=\"1\"\n" + section},
        {"section without ']'", header + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K\n"},
        {"empty key component", header + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\\K]\n"},
        {"unknown escape", header + section + "\"A\"=\"\\n\"\n"},
        {"unclosed text", header + section + "\"A\"=\"open\n"},
        {"text followed by more", header + section + "\"A\"=\"1\" 2\n"},
        {"no '='", header + section + "\"A\" \"1\"\n"},
        {"unknown data kind", header + section + "\"A\"=qword:1\n"},
        {"bad hex byte", header + section + "\"A\"=hex:0g\n"},
        {"hex byte of three digits", header + section + "\"A\"=hex:123\n"},
        {"dword of nine digits", header + section + "\"A\"=dword:123456789\n"},
        {"hex type without ')'", header + section + "\"A\"=hex(1:00\n"},
        {"UTF-16 of odd length", std::string("\xFF\xFE", 2) + Utf16("REGEDIT4", false) + "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRegistry(c.file + section + "\"Z\"=\"z\"\n");
        EXPECT_EQ(Read(u"SOFTWARE\\K", u"Z"), "open " + std::to_string(platform::kErrorBadDatabase));
    }
}

TEST_F(RegistryFile, WithoutAFileOrARootNoKeyOpens) {
    EXPECT_EQ(Read(u"SOFTWARE", u""), "open 2");  // no registry.reg yet
    WriteRegistry("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n\"A\"=\"1\"\n");
    EXPECT_EQ(Read(u"SOFTWARE\\K", u"A"), Utf16("1"));
    setenv("TESKHOOK_ROOT", "", 1);
    EXPECT_EQ(Read(u"SOFTWARE\\K", u"A"), "open 2");
    unsetenv("TESKHOOK_ROOT");
    EXPECT_EQ(Read(u"SOFTWARE\\K", u"A"), "open 2");
    setenv("TESKHOOK_ROOT", root_.c_str(), 1);
}

TEST_F(RegistryFile, ARegistryFileLinkedFromOutsideTheRootIsNotRead) {
    char outside[] = "/tmp/qlff-outside-XXXXXX";
    ASSERT_NE(mkdtemp(outside), nullptr);
    const std::string target = std::string(outside) + "/registry.reg";
    std::ofstream(target) << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n\"A\"=\"1\"\n";
    ASSERT_EQ(symlink(target.c_str(), (root_ + "/registry.reg").c_str()), 0);
    EXPECT_EQ(Read(u"SOFTWARE\\K", u"A"), "open 2");
    unlink(target.c_str());
    rmdir(outside);
}

TEST_F(RegistryFile, OpenKeysKeepTheirValuesWhenTheFileChanges) {
    WriteRegistry("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n\"A\"=\"1\"\n");
    platform::RegistryKey raw = nullptr;
    ASSERT_EQ(platform::OpenRegistryKey(platform::RegistryRoot::LocalMachine, u"SOFTWARE\\K", 0, platform::kKeyRead,
                                        &raw),
              0);
    platform::UniqueRegistryKey key(raw);
    WriteRegistry("REGEDIT4\n");
    char buffer[8];
    uint32_t size = sizeof buffer;
    EXPECT_EQ(platform::QueryRegistryValue(key.get(), u"A", nullptr, buffer, &size), 0);
    EXPECT_EQ(std::string(buffer, size), Utf16("1"));
}

}  // namespace
